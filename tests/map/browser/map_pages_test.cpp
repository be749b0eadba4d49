// The map page choice (the flags pick the page and caption; the sites come from the sites
// file in the program's folder or from the defaults), the bounded wait, and the loopback
// server of the program's own pages.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTcpSocket>
#include <QtCore/qtestsupport_core.h>
#include <chrono>
#include <memory>
#include <vector>

#include "common/runtime_error.h"
#include "map/browser/map_pages.h"
#include "map/browser/page_server.h"
#include "map/map_fixture.h"
#include "support/core_application.h"

using namespace corv;

TEST(MapPages, SitesFileAndFlagsChooseThePageAndItsCaption)
{
    const QString big = "Press Alt*PrtScr to copy to clipboard, on map set Contents and turn off Map Labels";
    // The program's own big map has no contents list or labels to turn off.
    const QString ownBig = "Drag the map to the basin; Press Alt*PrtScr to copy to clipboard";
    const QString viewer = "Press Alt*PrtScr to copy to clipboard, set Content(Hydrography or Contours or Scanned "
                           "Topo) turn off Map Labels";
    const QString latLong = "Drag the map or pointer to desired location then click pointer; Press Alt*PrtScr to "
                            "copy to clipboard";
    QTemporaryDir dir;
    const auto writeSites = [&](const char* text) { test::writeFile(dir.filePath(kMapSitesFile), text); };
    const MapSites defaults = readMapSites(dir.path());  // no sites file
    writeSites("# our own server\n\n  mappages =  maps.example.org:8080/corvantine/  \r\n"
               "usgsviewer=https://viewer.example.gov\n");
    const MapSites configured = readMapSites(dir.path());
    struct Case { bool big, viewer; const MapSites& sites; const char* address; QString caption; };
    int asked = 0;  // the program's own server is started only for its own pages
    for (const Case& c : {Case{true, false, defaults, "http://127.0.0.1:50123/bigmap.htm", ownBig},
                          {false, true, defaults, "http://apps.nationalmap.gov/viewer/", viewer},
                          {false, false, defaults, "http://127.0.0.1:50123/latlongmap.htm", latLong},
                          {true, true, defaults, "http://127.0.0.1:50123/bigmap.htm", ownBig},
                          {true, false, configured, "http://maps.example.org:8080/corvantine/bigmap.htm", big},
                          {false, true, configured, "https://viewer.example.gov/viewer/", viewer},
                          {false, false, configured, "http://maps.example.org:8080/corvantine/latlongmap.htm", latLong}}) {
        const MapPage p = chooseMapPage(c.big, c.viewer, c.sites, [&] { return ++asked, QString("http://127.0.0.1:50123"); });
        EXPECT_EQ(p.address.toString(QUrl::FullyEncoded), c.address);
        EXPECT_EQ(p.caption, c.caption) << c.address;
    }
    EXPECT_EQ(asked, 3);

    // A site left out or empty keeps its default; a typed blank in a folder is encoded.
    writeSites("usgsviewer =\nmappages = file:///srv/our maps\n");
    const MapSites sites = readMapSites(dir.path());
    EXPECT_EQ(sites.usgsViewer, "http://apps.nationalmap.gov");
    EXPECT_EQ(sites.mapPages, "file:///srv/our%20maps");
    // Where no server can run, the folder's files (a trailing separator dropped).
    EXPECT_EQ(folderSite(dir.filePath("Corvantine 1/")), "file://" + QDir::cleanPath(dir.filePath("Corvantine%201")));

    // A bad line is named.
    for (auto [text, message] :
         {std::pair{"# sites\nmappages maps.example.org\n", "Corvantine_mapsites.txt, line 2: \"name = site\" expected"},
          {"mapsite = maps.example.org\n", "Corvantine_mapsites.txt, line 1: unknown name \"mapsite\" (mappages or usgsviewer)"},
          {"\nusgsviewer = http://exa mple.org\n", "Corvantine_mapsites.txt, line 2: \"http://exa mple.org\" is no web address"},
          {"mappages = ftp://maps.example.org\n", "Corvantine_mapsites.txt, line 1: \"ftp://maps.example.org\" is no web address"},
          {"mappages = http://\n", "Corvantine_mapsites.txt, line 1: \"http://\" is no web address"}}) {
        writeSites(text);
        EXPECT_EQ(test::errorText([&] { readMapSites(dir.path()); }), message);
    }
}

TEST(MapPages, WaitEndsWhenCompleteOrAfterTheLimit)
{
    using namespace std::chrono;
    // A fake steady clock from 5 s; each round of events advances it by the step.
    // Never complete, 3 s steps: rounds at 3, 6, 9 s go on, the one at 12 s passes 10 s.
    // 2.5 s steps: exactly 10 s is not yet past the limit, 12.5 s is. Complete after the
    // second round: one more round of events, then the end.
    struct Case { int stepMs, completeAfter; bool complete; int rounds; };
    for (const Case& c : {Case{3000, -1, false, 4}, {2500, -1, false, 5}, {2500, 2, true, 3}}) {
        milliseconds clock{5000};
        int rounds = 0;
        const bool complete = waitForPage([&] { return steady_clock::time_point(clock); },
                                          [&] { ++rounds, clock += milliseconds(c.stepMs); },
                                          [&] { return rounds == c.completeAfter; }, seconds(10));
        EXPECT_EQ(std::pair(complete, rounds), std::pair(c.complete, c.rounds)) << c.stepMs << " ms steps";
    }
}

namespace {

// A program folder with the served files, files beside them that are not served, and a
// secret one level up.
struct PagesFolder {
    QTemporaryDir root;
    QString folder = root.filePath("program");
    PagesFolder()
    {
        for (auto [name, text] :
             {std::pair{"program/bigmap.htm", "<html>big</html>"}, {"program/latlongmap.htm", "<html>lat/long</html>"},
              {"program/mappage.js", "var page;"}, {"program/leaflet/leaflet.min.js", "var L;"},
              {"program/leaflet/leaflet.css", ".leaflet{}"}, {"program/leaflet/images/marker-icon.png", "\x89PNG"},
              {"program/leaflet/notes.txt", "notes"}, {"program/leaflet/.hidden.js", "hidden"},
              {"program/Corvantine_mapsites.txt", "mappages ="}, {"program/viewer.htm", "<html>other</html>"},
              {"secret.htm", "<html>secret</html>"}}) {
            QDir().mkpath(QFileInfo(root.filePath(name)).path());
            test::writeFile(root.filePath(name), text);
        }
        // Links inside the served folder, to the sites file and to the folder above it.
        QFile::link(root.filePath("program/Corvantine_mapsites.txt"), root.filePath("program/leaflet/evil.js"));
        QFile::link(root.path(), root.filePath("program/leaflet/up"));
    }
};

QByteArray request(const QByteArray& line) { return line + "\r\nHost: 127.0.0.1\r\nUser-Agent: test\r\n\r\n"; }

QByteArray statusOf(const QByteArray& answer) { return answer.left(answer.indexOf("\r\n")); }

QByteArray bodyOf(const QByteArray& answer) { return answer.mid(answer.indexOf("\r\n\r\n") + 4); }

// Sends the parts to the server (it shares this thread) and returns all it answered
// before it closed the connection, waiting at most 5 s for that.
QByteArray exchange(quint16 port, const QList<QByteArray>& parts)
{
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    for (const QByteArray& part : parts) {
        client.write(part);
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    (void)QTest::qWaitFor([&] { return client.state() == QAbstractSocket::UnconnectedState; }, 5000);
    EXPECT_EQ(client.state(), QAbstractSocket::UnconnectedState) << "the server kept the connection open";
    return client.readAll();
}

}  // namespace

TEST(PageServer, ServesThePagesTheirScriptAndLeafletAndNothingElse)
{
    PagesFolder p;
    const auto answer = [&](const QByteArray& line) { return answerPageRequest(p.folder, request(line)); };
    for (auto [target, type, body] :
         {std::tuple{"/bigmap.htm", "text/html; charset=utf-8", "<html>big</html>"},
          {"/latlongmap.htm", "text/html; charset=utf-8", "<html>lat/long</html>"},
          {"/mappage.js", "text/javascript; charset=utf-8", "var page;"},
          {"/leaflet/leaflet.min.js?v=1.7", "text/javascript; charset=utf-8", "var L;"},
          {"/leaflet/leaflet.css", "text/css; charset=utf-8", ".leaflet{}"},
          {"/leaflet/images/marker-icon.png", "image/png", "\x89PNG"}}) {
        const QByteArray got = answer(QByteArray("GET ") + target + " HTTP/1.1");
        EXPECT_EQ(statusOf(got), "HTTP/1.1 200 OK") << target;
        EXPECT_TRUE(got.contains(QByteArray("\r\nContent-Type: ") + type + "\r\n")) << target;
        EXPECT_EQ(bodyOf(got), body) << target;
    }
    // HEAD: the same head, no body; HTTP/1.0 is answered too.
    const QByteArray head = answer("HEAD /latlongmap.htm HTTP/1.0");
    EXPECT_EQ(statusOf(head), "HTTP/1.1 200 OK");
    EXPECT_TRUE(head.contains("\r\nContent-Length: 21\r\n") && head.endsWith("\r\nConnection: close\r\n\r\n"));
    EXPECT_EQ(bodyOf(answer("HEAD /missing.htm HTTP/1.1")), "");

    // Not one of the served files, or a way out of the folder.
    for (const char* target :
         {"/", "/viewer.htm", "/Corvantine_mapsites.txt", "/leaflet/notes.txt", "/leaflet/.hidden.js",
          "/leaflet/images", "/leaflet/missing.js", "/BIGMAP.HTM", "/bigmap.htm/", "/../secret.htm",
          "/leaflet/../../secret.htm", "/leaflet/../bigmap.htm", "/leaflet/images/../leaflet.css",
          "/leaflet/..%2f..%2fsecret.htm", "/leaflet%2fleaflet.css", "/%2e%2e/secret.htm", "/bigmap%2ehtm",
          "//bigmap.htm", "/leaflet//leaflet.css", "/leaflet\\leaflet.css", "/leaflet/./leaflet.css",
          "/leaflet/evil.js", "/leaflet/up/secret.htm"}) {
        const QByteArray got = answer(QByteArray("GET ") + target + " HTTP/1.1");
        EXPECT_EQ(statusOf(got), "HTTP/1.1 404 Not Found") << target;
        EXPECT_FALSE(got.contains("secret") || got.contains("mappages")) << target;
    }
    // Not a request of this server: an absolute address or path, a malformed line.
    for (const char* line : {"GET http://127.0.0.1/bigmap.htm HTTP/1.1", "GET C:/bigmap.htm HTTP/1.1",
                             "GET *", "GET /bigmap.htm", "GET  /bigmap.htm HTTP/1.1", "GET /bigmap.htm HTTP/2",
                             "get /bigmap.htm HTTP/1.1", "\x16\x03\x01\x02", ""})
        EXPECT_EQ(statusOf(answer(line)), "HTTP/1.1 400 Bad Request") << line;
    // Read only.
    for (const char* method : {"POST", "PUT", "DELETE", "OPTIONS"}) {
        const QByteArray got = answer(QByteArray(method) + " /bigmap.htm HTTP/1.1");
        EXPECT_TRUE(got.startsWith("HTTP/1.1 405 Method Not Allowed\r\n") && got.contains("\r\nAllow: GET, HEAD\r\n"));
    }
}

TEST(PageServer, AnswersOverLoopbackAndDropsSilentClients)
{
    test::ensureCoreApplication();
    PagesFolder p;
    MapPageServer server(p.folder, nullptr, 300, 60000);
    ASSERT_TRUE(server.listen());
    const QUrl site(server.site());
    EXPECT_EQ(site.adjusted(QUrl::RemovePort).toString(), "http://127.0.0.1");
    const auto port = quint16(site.port());

    // A request in pieces is answered once whole; the connection then closes.
    const QByteArray page = exchange(port, {"GET /bigm", "ap.htm HTTP/1.1\r\nHost: x\r\n", "\r\n"});
    EXPECT_EQ(statusOf(page), "HTTP/1.1 200 OK");
    EXPECT_EQ(bodyOf(page), "<html>big</html>");

    // A head longer than the limit is refused without reading the rest.
    const QByteArray huge = "GET /bigmap.htm HTTP/1.1\r\nX-Padding: " + QByteArray(kPageRequestLimit, 'a') + "\r\n\r\n";
    EXPECT_EQ(statusOf(exchange(port, {huge})), "HTTP/1.1 431 Request Header Fields Too Large");

    // A client that says nothing, or stops halfway through its request, is dropped long
    // before the connection's own limit.
    QTcpSocket silent, stopped;
    silent.connectToHost(QHostAddress::LocalHost, port);
    stopped.connectToHost(QHostAddress::LocalHost, port);
    stopped.write("GET /bigmap.htm HTTP/1.1\r\n");
    EXPECT_TRUE(QTest::qWaitFor([&] { return silent.state() == QAbstractSocket::UnconnectedState &&
                                             stopped.state() == QAbstractSocket::UnconnectedState; }, 5000));
}

TEST(PageServer, ServesBesideSilentClientsAndKeepsNoMoreThanItsBound)
{
    test::ensureCoreApplication();
    PagesFolder p;
    MapPageServer server(p.folder, nullptr, 60000, 60000);  // nobody is dropped for silence here
    ASSERT_TRUE(server.listen());
    const auto port = quint16(QUrl(server.site()).port());
    // 8 more silent clients than the bound, each connected before the next.
    std::vector<std::unique_ptr<QTcpSocket>> silent;
    for (int i = 0; i < kMaxPageConnections + 8; ++i) {
        silent.push_back(std::make_unique<QTcpSocket>());
        silent.back()->connectToHost(QHostAddress::LocalHost, port);
        ASSERT_TRUE(QTest::qWaitFor([&] { return silent.back()->state() == QAbstractSocket::ConnectedState; }, 5000));
    }
    // A request is answered at once all the same: the 8 latecomers and the request each
    // replaced the oldest silent client, so the first 9 are gone and the other 63 still open.
    EXPECT_EQ(bodyOf(exchange(port, {request("GET /mappage.js HTTP/1.1")})), "var page;");
    const auto closed = [&](size_t i) { return silent[i]->state() == QAbstractSocket::UnconnectedState; };
    EXPECT_TRUE(QTest::qWaitFor([&] { return closed(0) && closed(8); }, 5000));
    for (size_t i = 0; i < silent.size(); ++i) EXPECT_EQ(closed(i), i < 9) << i;
}
