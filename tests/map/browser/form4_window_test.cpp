// The map-source window against web servers of the test's own: picked from the menu it runs
// in its helper process; the window itself, in this process, shows pages without scroll
// bars and the program's own pages, which say so on the map when tiles can't be loaded.
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <memory>

#include "common/module1.h"
#include "map/browser/form4.h"
#include "map/browser/map_pages.h"
#include "map/browser/map_source.h"
#include "map/map_window.h"

using namespace corv;
using namespace corv::test;

namespace {

// Answers each request with a page far taller and wider than any window, titled with its
// path, and records the path, User-Agent and Referer; a silent server never answers.
class PageServer : public QTcpServer {
public:
    explicit PageServer(bool silent) : silent_(silent)
    {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
        });
    }
    QString site() const { return QStringLiteral("127.0.0.1:%1").arg(serverPort()); }
    QStringList requests, userAgents, referers;

private:
    void answer(QTcpSocket* socket)
    {
        const QString head = QString::fromLatin1(socket->property("head").toByteArray() + socket->readAll());
        socket->setProperty("head", head.toLatin1());
        if (!head.contains("\r\n\r\n")) return;
        const QString path = head.section(' ', 1, 1);
        if (path != "/favicon.ico") {
            requests << path;
            userAgents << QRegularExpression("\\r\\nUser-Agent: ([^\\r]*)").match(head).captured(1);
            referers << QRegularExpression("\\r\\nReferer: ([^\\r]*)").match(head).captured(1);
        }
        if (silent_) return;
        const QByteArray body = "<!DOCTYPE html><html><head><title>" + path.toLatin1() +
                                "</title></head><body><div style='width:3000px;height:4000px'>map</div></body></html>";
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nCache-Control: no-store\r\nConnection: close\r\n"
                      "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        socket->disconnectFromHost();
    }
    bool silent_;
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

// The window as the menu would load it, in this process.
Form4* loadForm4(MapWindow& w, bool big, bool viewer)
{
    Module1::bigMapPage = big, Module1::usgsViewerPage = viewer;
    auto* f = new Form4(*w.program);
    f->Form_Load();
    return f;
}

// Closes the helper's window as the user would; the picture menu comes back.
void closeMapSource(MapWindow& w)
{
    QVERIFY(w.program->form4() && w.program->form4()->process().state() == QProcess::Running &&
            !w.list("lstMenu2")->isVisible());
    w.program->form4()->close();
    QTRY_VERIFY_WITH_TIMEOUT(!w.program->form4(), 10000);
    QVERIFY(w.list("lstMenu2")->isVisible());
}

}  // namespace

class Form4WindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // Offline, here and in the helpers: only loopback addresses bypass the dead proxy.
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--proxy-server=127.0.0.1:9");
    }

    void pickRunsTheWindowInItsOwnProcess()
    {
        MapWindow w;
        // A bad sites file: the message shows in the program and the window stays, blank.
        writeFile(w.dir.filePath(kMapSitesFile), "usgsviewer = http://exa mple.org\n");
        w.pictureMenu("USGS Map Viewer");
        QCOMPARE(w.dialogs->messages(), std::vector<QString>{"Corvantine_mapsites.txt, line 1: \"http://exa mple.org\" "
                                                             "is no web address"});
        closeMapSource(w);
        // A server that never answers: the pick returns about 10 s after the navigation.
        PageServer silent(true), server(false);
        writeSites(w, silent.site());
        QElapsedTimer clock;
        clock.start();
        w.pictureMenu("Google Map Lat/Long");
        QVERIFY2(clock.elapsed() >= 10000 && clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(silent.requests, QStringList{"/latlongmap.htm"});
        // A second pick while the window is open changes the flags and opens nothing.
        MapSourceWindow* open = w.program->form4();
        w.pictureMenu("Big Google Maps");
        QVERIFY(Module1::bigMapPage && w.program->form4() == open);
        closeMapSource(w);  // still loading, and open
        // The page was complete when the pick returned.
        writeSites(w, server.site());
        w.pictureMenu("USGS Map Viewer");
        QCOMPARE(server.requests, QStringList{"/viewer/"});
        closeMapSource(w);
    }

    void aHelperThatStopsOrIsMissingIsNamed()
    {
        MapWindow w;
        const QString missing = w.dir.filePath("gone");
        const std::pair<QString, QString> cases[] = {
            {writeScript(w.dir.filePath("aborts"), "echo navigating; kill -ABRT $$"),
             "The map page stopped: its helper aborts crashed."},
            {writeScript(w.dir.filePath("fails"), "echo navigating; exit 3"),
             "The map page stopped: its helper fails ended with exit code 3."},
            {missing, "File not found: the map page helper " + missing + " is missing"},
        };
        for (const auto& [helper, message] : cases) {
            w.dialogs->clear();
            w.program->setMapSourceHelper(helper);
            w.menu("Load/Save Map", 75, 75);
            pick(w.list("lstMenu2"), "Google Map Lat/Long");  // the menu is back when the pick returns
            QCOMPARE(w.dialogs->messages(), std::vector<QString>{message});
            QVERIFY(!w.program->form4() && w.list("lstMenu2")->isVisible());
        }
        // Closed by the user, a helper that ends well says nothing.
        w.dialogs->clear();
        w.program->setMapSourceHelper(writeScript(w.dir.filePath("closes"), "echo navigating; echo loaded; read line"));
        w.pictureMenu("Google Map Lat/Long");
        closeMapSource(w);
        QCOMPARE(w.dialogs->messages(), std::vector<QString>{});
    }

    void pagesFillTheWindowAndFetchTheirMapFromTheWeb()
    {
        PageServer server(false);
        MapWindow w;
        writeSites(w, server.site());
        std::unique_ptr<Form4> f(loadForm4(w, false, true));
        QVERIFY(f->isVisible() && (f->windowState() & Qt::WindowMaximized));
        QCOMPARE(f->windowTitle(), chooseMapPage(false, true, readMapSites(w.dir.path()), {}).caption);
        QWebEngineView* view = control<QWebEngineView>(f.get(), "WebBrowser1");
        // The viewer's page, taller and wider than the window, yet without scroll bars.
        QTRY_COMPARE(js(view, "(e => [document.title, e.scrollHeight > innerHeight && e.scrollWidth > innerWidth, "
                              "getComputedStyle(document.body).overflow, innerWidth - e.clientWidth, "
                              "innerHeight - e.clientHeight].join(' '))(document.documentElement)").toString(),
                     QStringLiteral("/viewer/ true hidden 0 0"));
        // The view follows the window when the user resizes it.
        f->setWindowState(Qt::WindowNoState);
        f->resize(520, 360);
        QTRY_COMPARE(view->geometry(), QRect(0, 0, 520, 360));

        // The program's own pages come from its loopback server, so the tile server is told
        // the page's site in the Referer; pages set up as a folder's files fetch too, without one.
        const QByteArray page = "<!DOCTYPE html><html><body><img src='http://" + server.site().toLatin1() + "/tile.png'></body></html>";
        QDir(w.dir.path()).mkpath("pages");
        writeFile(w.dir.filePath("bigmap.htm"), page);
        writeFile(w.dir.filePath("pages/bigmap.htm"), page);
        QFile::remove(w.dir.filePath(kMapSitesFile));
        f.reset(loadForm4(w, true, false));
        QTRY_VERIFY_WITH_TIMEOUT(server.requests.contains("/tile.png"), 10000);
        QCOMPARE(server.referers.back(), f->WebBrowser1->url().adjusted(QUrl::RemovePath).toString() + "/");
        server.requests.clear();
        writeSites(w, QUrl::fromLocalFile(w.dir.filePath("pages")).toString());
        f.reset(loadForm4(w, true, false));
        QTRY_VERIFY_WITH_TIMEOUT(server.requests.contains("/tile.png"), 10000);
        QCOMPARE(server.referers.back(), QString());
        // The agent names the program, once though three windows used the profile.
        const QString agent = server.userAgents.back();
        QVERIFY2(QRegularExpression("^Mozilla/5\\.0 .+ Corvantine/\\d+\\.\\d+\\.\\d+$").match(agent).hasMatch() &&
                     agent.count("Corvantine/") == 1,
                 qPrintable(agent));
        QCOMPARE(w.dialogs->messages(), std::vector<QString>{});
    }

    void programsOwnPagesSayOfflineWhatStillWorks()
    {
        // The program's folder as built: the shipped pages and Leaflet beside them, no sites set.
        MapWindow w({1000, 680}, QStringLiteral(PROGRAM_DATA_DIR));
        std::unique_ptr<Form4> f(loadForm4(w, false, false));
        QWebEngineView* view = f->WebBrowser1;
        // Leaflet has drawn the map, but no tile comes: it says so, naming the host and what still works.
        const QString notice = "getComputedStyle(document.getElementById('offline')).display + ': ' + "
                               "document.getElementById('offline').textContent";
        QTRY_COMPARE_WITH_TIMEOUT(js(view, notice).toString(),
                                  "block: Map tiles can't be loaded from tile.openstreetmap.org (no connection to it?). "
                                  "The pointer still reads longitude and latitude.", 10000);
        // The pointer's position in decimal degrees, longitude first, in the box and its popup.
        QCOMPARE(js(view, "pointer.setLatLng([40.5, -105.25]); pointer.fire('click'); pointer.dragging.enabled() + ' ' + "
                          "document.getElementById('readout').textContent + ' ' + pointer.getPopup().getContent()").toString(),
                 "true Longitude -105.25000, Latitude 40.50000 Longitude -105.25000, Latitude 40.50000");

        const QUrl latLong = view->url();
        f.reset(loadForm4(w, true, false));
        QCOMPARE(f->WebBrowser1->url(), latLong.resolved(QUrl("/bigmap.htm")));  // the same server
        QTRY_COMPARE(js(f->WebBrowser1, "document.querySelectorAll('.leaflet-control-scale-line').length + ' ' + "
                              "document.querySelector('.leaflet-control-attribution').textContent.includes('OpenStreetMap')")
                         .toString(), QStringLiteral("2 true"));
        QTRY_COMPARE_WITH_TIMEOUT(js(f->WebBrowser1, notice).toString(),
                                  "block: Map tiles can't be loaded from tile.openstreetmap.org (no connection to it?).", 10000);
    }
};

QTEST_MAIN(Form4WindowTest)
#include "form4_window_test.moc"
