// The map-source window opened from the picture menu, against a web server of the test's
// own on a free local port: caption, page, scroll bars, layout, one window at a time, the
// menu back on close, the bounded wait for a server that never answers, and the program's
// own map pages from its loopback server.
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <memory>

#include "common/module1.h"
#include "map/browser/form4.h"
#include "map/browser/map_pages.h"
#include "map/map_window.h"

using namespace corv;
using namespace corv::test;

namespace {

// Serves /bigmap.htm, /latlongmap.htm and /viewer/ as pages far taller and wider than any
// window (titled with their path); anything else is not found. A silent server reads the
// requests and never answers.
class PageServer : public QObject {
public:
    explicit PageServer(bool silent) : silent_(silent)
    {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
        });
    }
    QString site() const { return QStringLiteral("127.0.0.1:%1").arg(server_.serverPort()); }
    QStringList requests;    // pages asked for (the browser's icon requests left out)
    QStringList userAgents;  // the User-Agent each of those requests sent
    QStringList referers;    // the Referer each of those requests sent (empty for none)

private:
    void answer(QTcpSocket* socket)
    {
        QByteArray& got = pending_[socket];
        got += socket->readAll();
        if (!got.contains("\r\n\r\n")) return;
        const QString path = QString::fromLatin1(got.split(' ').value(1));
        pending_.remove(socket);
        const bool known =
            path == "/bigmap.htm" || path == "/latlongmap.htm" || path == "/viewer/" || path == "/tile.png";
        if (known) {
            requests << path;
            static const QRegularExpression agentLine("\\r\\nUser-Agent: ([^\\r]*)\\r\\n", QRegularExpression::CaseInsensitiveOption);
            userAgents << agentLine.match(QString::fromLatin1(got)).captured(1);
            static const QRegularExpression refererLine("\\r\\nReferer: ([^\\r]*)\\r\\n", QRegularExpression::CaseInsensitiveOption);
            referers << refererLine.match(QString::fromLatin1(got)).captured(1);
        }
        if (silent_) return;
        QByteArray status = "404 Not Found", body = "not here";
        if (known) {
            status = "200 OK";
            body = "<!DOCTYPE html><html><head><title>" + path.toLatin1() +
                   "</title></head><body><div style='width:3000px;height:4000px'>map</div></body></html>";
        }
        socket->write("HTTP/1.1 " + status + "\r\nContent-Type: text/html\r\nCache-Control: no-store\r\nConnection: close\r\nContent-Length: " +
                      QByteArray::number(body.size()) + "\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    bool silent_;
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
        const QString big = "Press Alt*PrtScr to copy to clipboard, on map set Contents and turn off Map Labels";
        const QString viewer = "Press Alt*PrtScr to copy to clipboard, set Content(Hydrography or Contours or "
                               "Scanned Topo) turn off Map Labels";
        const QString latLong = "Drag the map or pointer to desired location then click pointer; Press Alt*PrtScr "
                                "to copy to clipboard";
        struct Pick {
            const char* item;
            std::pair<bool, bool> flags;
            QString path, caption;
            const char* secondItem;  // picked while the window is open
        };
        for (const Pick& p : {Pick{"Big Google Maps", {true, false}, "/bigmap.htm", big, "USGS Map Viewer"},
                              Pick{"USGS Map Viewer", {false, true}, "/viewer/", viewer, "Google Map Lat/Long"},
                              Pick{"Google Map Lat/Long", {false, false}, "/latlongmap.htm", latLong, "Big Google Maps"}}) {
            w.pictureMenu(p.item);
            QCOMPARE(std::pair(Module1::bigMapPage, Module1::usgsViewerPage), p.flags);
            Form4* f = w.program->form4();
            QVERIFY(f && f->isVisible() && (f->windowState() & Qt::WindowMaximized));
            QCOMPARE(w.program->window("Form4"), f);
            QCOMPARE(f->windowTitle(), p.caption);
            QWebEngineView* view = control<QWebEngineView>(f, "WebBrowser1");
            QVERIFY(view->isVisible());
            QCOMPARE(view->url(), QUrl("http://" + server.site() + p.path));
            // The page was complete when the pick returned.
            QCOMPARE(server.requests.back(), p.path);
            // Tile servers are told which program asks: the engine's agent with the program's name.
            const QString agent = view->page()->profile()->httpUserAgent();
            QVERIFY2(QRegularExpression("^Mozilla/5\\.0 .+ Corvantine/\\d+\\.\\d+\\.\\d+$").match(agent).hasMatch(),
                     qPrintable(agent));
            QCOMPARE(agent.count("Corvantine/"), 1);
            QCOMPARE(server.userAgents.back(), agent);
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
            QCOMPARE(f->windowTitle(), p.caption);
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
        QCOMPARE(f->windowTitle(), QStringLiteral("Press Alt*PrtScr to copy to clipboard, set Content(Hydrography or "
                                                  "Contours or Scanned Topo) turn off Map Labels"));
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

    void pagesFetchTheirMapFromTheWeb()
    {
        // The map of a page comes from a web server. The program's own pages (no sites
        // file) come from its loopback server, so the tile server is told the page's site
        // in the Referer; pages set up as a folder's files may fetch too, without one.
        PageServer tiles(false);
        MapWindow w;
        const QByteArray page =
            "<!DOCTYPE html><html><body><img src='http://" + tiles.site().toLatin1() + "/tile.png'></body></html>";
        writeFile(w.dir.filePath("bigmap.htm"), page);
        QDir(w.dir.path()).mkpath("pages");
        writeFile(w.dir.filePath("pages/bigmap.htm"), page);

        w.pictureMenu("Big Google Maps");
        const QUrl address = w.program->form4()->WebBrowser1->url();
        QCOMPARE(address.scheme(), QStringLiteral("http"));
        QCOMPARE(address.host(), QStringLiteral("127.0.0.1"));
        QCOMPARE(address.path(), QStringLiteral("/bigmap.htm"));
        QVERIFY(address.port() > 0 && address.port() != QUrl("http://" + tiles.site()).port());
        QTRY_VERIFY_WITH_TIMEOUT(tiles.requests.contains("/tile.png"), 10000);
        // Another site than the tile server's: the page's origin.
        QCOMPARE(tiles.referers.back(), address.adjusted(QUrl::RemovePath).toString() + "/");
        QCOMPARE(tiles.userAgents.back(), w.program->form4()->WebBrowser1->page()->profile()->httpUserAgent());
        closeForm4(w);

        tiles.requests.clear();
        writeSites(w, QUrl::fromLocalFile(w.dir.filePath("pages")).toString());
        w.pictureMenu("Big Google Maps");
        QCOMPARE(w.program->form4()->WebBrowser1->url(), QUrl::fromLocalFile(w.dir.filePath("pages/bigmap.htm")));
        QTRY_VERIFY_WITH_TIMEOUT(tiles.requests.contains("/tile.png"), 10000);
        QCOMPARE(tiles.referers.back(), QString());
        closeForm4(w);
        QCOMPARE(w.dialogs->messages(), std::vector<QString>{});
    }

    void programsOwnPagesDrawTheMap()
    {
        // The program's folder as built: the shipped pages, Leaflet beside them, no sites set.
        MapWindow w({1000, 680}, QStringLiteral(PROGRAM_DATA_DIR));
        w.pictureMenu("Google Map Lat/Long");
        Form4* f = w.program->form4();
        QVERIFY(f);
        QWebEngineView* view = f->WebBrowser1;
        const QString site = view->url().adjusted(QUrl::RemovePath).toString();
        QVERIFY2(QRegularExpression("^http://127\\.0\\.0\\.1:\\d+$").match(site).hasMatch(), qPrintable(site));
        QCOMPARE(view->url().path(), QStringLiteral("/latlongmap.htm"));
        QTRY_COMPARE(js(view, "typeof L + ' ' + L.version").toString().left(8), QStringLiteral("object 1"));
        QVERIFY(js(view, "document.querySelector('.leaflet-control-attribution').textContent").toString().contains("OpenStreetMap"));

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
        QCOMPARE(view->url(), QUrl(site + "/bigmap.htm"));
        QTRY_COMPARE(js(view, "typeof L + ' ' + document.querySelectorAll('.leaflet-control-scale-line').length").toString(),
                     QStringLiteral("object 2"));
        QVERIFY(js(view, "document.querySelector('.leaflet-control-attribution').textContent").toString().contains("OpenStreetMap"));
        closeForm4(w);
        QCOMPARE(w.dialogs->messages(), std::vector<QString>{});
    }
};

QTEST_MAIN(Form4WindowTest)
#include "form4_window_test.moc"
