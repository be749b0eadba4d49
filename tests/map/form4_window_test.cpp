// The map-source window opened from the picture menu, against a web server of the test's
// own on a free local port: caption, page, scroll bars, layout, one window at a time, the
// menu back on close, the bounded wait for a server that never answers, and the program's
// own map pages.
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <memory>

#include "common/module1.h"
#include "map/form4.h"
#include "map/map_pages.h"
#include "map_window.h"

using namespace corv;
using namespace corv::test;

namespace {

// Serves /bigmap.htm, /latlongmap.htm and /viewer/ as pages far taller and wider than any
// window (titled with their path), anything else as not found; a silent server reads the
// requests and never answers.
class PageServer : public QObject {
public:
    explicit PageServer(bool silent)
    {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this, silent] {
            while (QTcpSocket* socket = server_.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket, silent] {
                    QByteArray& got = pending_[socket];
                    got += socket->readAll();
                    if (!got.contains("\r\n\r\n")) return;
                    const QByteArray path = got.split(' ').value(1);
                    pending_.remove(socket);
                    const bool known = path == "/bigmap.htm" || path == "/latlongmap.htm" || path == "/viewer/";
                    if (known) requests << QString::fromLatin1(path);  // the browser's icon requests left out
                    if (silent) return;
                    const QByteArray body = known ? "<!DOCTYPE html><html><head><title>" + path + "</title></head><body>"
                                                    "<div style='width:3000px;height:4000px'>map</div></body></html>"
                                                  : QByteArray("not here");
                    socket->write("HTTP/1.1 " + QByteArray(known ? "200 OK" : "404 Not Found") +
                                  "\r\nContent-Type: text/html\r\nConnection: close\r\nContent-Length: " +
                                  QByteArray::number(body.size()) + "\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
        });
    }
    QString site() const { return QStringLiteral("127.0.0.1:%1").arg(server_.serverPort()); }
    QStringList requests;

private:
    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> pending_;
};

// The value of a script run in the page (an invalid value when it gives none in 5 s).
QVariant js(QWebEngineView* view, const QString& script)
{
    auto result = std::make_shared<std::optional<QVariant>>();
    view->page()->runJavaScript(script, [result](const QVariant& v) { *result = v; });
    (void)QTest::qWaitFor([&] { return result->has_value(); }, 5000);
    return result->value_or(QVariant());
}

void writeSites(const MapWindow& w, const QString& site)
{
    writeFile(w.dir.filePath(kMapSitesFile), QStringLiteral("mappages = %1\nusgsviewer = %1\n").arg(site).toUtf8());
}

// Closes the window as the user would; the picture menu comes back.
void closeForm4(MapWindow& w)
{
    Form4* f = w.program->form4();
    QVERIFY(f);
    QVERIFY(!w.list("lstMenu2")->isVisible());
    f->close();
    QTRY_VERIFY(!w.program->form4());
    QVERIFY(w.list("lstMenu2")->isVisible());
    QVERIFY(!w.program->window("Form4"));
}

}  // namespace

class Form4WindowTest : public QObject {
    Q_OBJECT
private slots:
    void eachPageFromTheMenu()
    {
        PageServer server(false);
        MapWindow w;
        writeSites(w, server.site());
        struct Pick {
            const char* item;
            std::pair<bool, bool> flags;
            QString path;
            const char* secondItem;  // picked while the window is open
        };
        for (const Pick& p : {Pick{"Big Google Maps", {true, false}, "/bigmap.htm", "USGS Map Viewer"},
                              Pick{"USGS Map Viewer", {false, true}, "/viewer/", "Google Map Lat/Long"},
                              Pick{"Google Map Lat/Long", {false, false}, "/latlongmap.htm", "Big Google Maps"}}) {
            w.pictureMenu(p.item);
            QCOMPARE(std::pair(Module1::bigMapPage, Module1::usgsViewerPage), p.flags);
            Form4* f = w.program->form4();
            QVERIFY(f && f->isVisible() && (f->windowState() & Qt::WindowMaximized));
            // The captions' words: map_pages_test.cpp.
            const QString caption = chooseMapPage(p.flags.first, p.flags.second, MapSites{}).caption;
            QCOMPARE(f->windowTitle(), caption);
            QWebEngineView* view = control<QWebEngineView>(f, "WebBrowser1");
            QVERIFY(view->isVisible());
            QCOMPARE(view->url(), QUrl("http://" + server.site() + p.path));
            // The page was complete when the pick returned.
            QCOMPARE(server.requests.back(), p.path);
            QCOMPARE(js(view, "document.readyState + ' ' + document.title").toString(), "complete " + p.path);

            // Taller and wider than the window, yet without scroll bars.
            QCOMPARE(js(view, "document.documentElement.scrollHeight > innerHeight && "
                              "document.documentElement.scrollWidth > innerWidth")
                         .toBool(),
                     true);
            QTRY_COMPARE(js(view, "getComputedStyle(document.body).overflow + ' ' + "
                                  "(innerWidth - document.documentElement.clientWidth) + ' ' + "
                                  "(innerHeight - document.documentElement.clientHeight)")
                             .toString(),
                         QStringLiteral("hidden 0 0"));

            // The view fills the window, maximised and after the user resizes it.
            QCOMPARE(view->geometry(), f->rect());
            f->setWindowState(Qt::WindowNoState);
            f->resize(520, 360);
            QTRY_COMPARE(f->size(), QSize(520, 360));
            QCOMPARE(view->geometry(), QRect(0, 0, 520, 360));

            // A second pick while the window is open changes the flags and opens nothing.
            const int asked = server.requests.size();
            w.pictureMenu(p.secondItem);
            QVERIFY(Module1::bigMapPage != p.flags.first || Module1::usgsViewerPage != p.flags.second);
            QCOMPARE(w.program->form4(), f);
            QCOMPARE(f->windowTitle(), caption);
            QCOMPARE(view->url(), QUrl("http://" + server.site() + p.path));
            QCOMPARE(server.requests.size(), asked);

            // Closing shows the picture menu again, though the user picked meanwhile.
            closeForm4(w);
        }
        QCOMPARE(w.dialogs->messages(), std::vector<QString>{});
    }

    void silentServerEndsTheWaitAfterTenSeconds()
    {
        PageServer server(true);
        MapWindow w;
        writeSites(w, server.site());
        QElapsedTimer clock;
        clock.start();
        w.pictureMenu("USGS Map Viewer");
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(elapsed >= 10000 && elapsed < 20000, qPrintable(QString::number(elapsed)));
        QCOMPARE(server.requests, QStringList{"/viewer/"});

        // The window is open with its page still loading, and closes as usual.
        Form4* f = w.program->form4();
        QVERIFY(f && f->isVisible());
        QCOMPARE(f->windowTitle(), chooseMapPage(false, true, MapSites{}).caption);
        QCOMPARE(w.dialogs->messages(), std::vector<QString>{});
        closeForm4(w);
    }

    void badSitesFileIsShownAndTheWindowStays()
    {
        MapWindow w;
        writeFile(w.dir.filePath(kMapSitesFile), "usgsviewer = http://exa mple.org\n");
        w.pictureMenu("USGS Map Viewer");
        QCOMPARE(w.dialogs->messages(), std::vector<QString>{"Corvantine_mapsites.txt, line 1: \"http://exa mple.org\" "
                                                             "is no web address"});
        Form4* f = w.program->form4();
        QVERIFY(f && f->isVisible());
        QVERIFY(!f->WebBrowser1->isVisible());
        closeForm4(w);
    }

    void programsOwnPagesDrawTheMap()
    {
        // The program's folder as built: the shipped pages, Leaflet beside them, no sites set.
        MapWindow w({1000, 680}, QStringLiteral(PROGRAM_DATA_DIR));
        const QString attribution = "document.querySelector('.leaflet-control-attribution').textContent";
        w.pictureMenu("Google Map Lat/Long");
        QWebEngineView* view = w.program->form4()->WebBrowser1;
        QCOMPARE(view->url(), QUrl::fromLocalFile(QStringLiteral(PROGRAM_DATA_DIR "/latlongmap.htm")));
        QTRY_COMPARE(js(view, "typeof L + ' ' + L.version").toString().left(8), QStringLiteral("object 1"));
        QVERIFY(js(view, attribution).toString().contains("OpenStreetMap"));

        // The pointer's position in decimal degrees, longitude first, in the box and its popup.
        QVERIFY(QRegularExpression("^Longitude -?\\d+\\.\\d{5}, Latitude -?\\d+\\.\\d{5}$")
                    .match(js(view, "document.getElementById('readout').textContent").toString())
                    .hasMatch());
        QCOMPARE(js(view, "pointer.setLatLng([40.5, -105.25]); document.getElementById('readout').textContent").toString(),
                 QStringLiteral("Longitude -105.25000, Latitude 40.50000"));
        QCOMPARE(js(view, "pointer.fire('click'); pointer.isPopupOpen() + ' ' + pointer.getPopup().getContent()").toString(),
                 QStringLiteral("true Longitude -105.25000, Latitude 40.50000"));
        QVERIFY(js(view, "pointer.dragging.enabled()").toBool());
        closeForm4(w);

        w.pictureMenu("Big Google Maps");
        view = w.program->form4()->WebBrowser1;
        QCOMPARE(view->url(), QUrl::fromLocalFile(QStringLiteral(PROGRAM_DATA_DIR "/bigmap.htm")));
        QTRY_COMPARE(js(view, "typeof L + ' ' + document.querySelectorAll('.leaflet-control-scale-line').length").toString(),
                     QStringLiteral("object 2"));
        QVERIFY(js(view, attribution).toString().contains("OpenStreetMap"));
        closeForm4(w);
        QCOMPARE(w.dialogs->messages(), std::vector<QString>{});
    }
};

QTEST_MAIN(Form4WindowTest)
#include "form4_window_test.moc"
