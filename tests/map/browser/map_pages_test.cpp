// The map page choice: the flags pick the page and caption; the sites come from the
// sites file in the program's folder or from the defaults; the wait is bounded.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTcpSocket>
#include <chrono>

#include "common/runtime_error.h"
#include "map/browser/map_pages.h"
#include "map/browser/page_server.h"
#include "map/map_fixture.h"

using namespace corv;

namespace {

const QString kBigCaption =
    "Press Alt*PrtScr to copy to clipboard, on map set Contents and turn off Map Labels";
// The program's own big map has no contents list or labels to turn off.
const QString kOwnBigCaption = "Drag the map to the basin; Press Alt*PrtScr to copy to clipboard";
const QString kViewerCaption =
    "Press Alt*PrtScr to copy to clipboard, set Content(Hydrography or Contours or Scanned Topo) turn off Map Labels";
const QString kLatLongCaption =
    "Drag the map or pointer to desired location then click pointer; Press Alt*PrtScr to copy to clipboard";

void writeSites(const QTemporaryDir& dir, const QByteArray& text) { test::writeFile(dir.filePath(kMapSitesFile), text); }

// The address and caption for each of the four flag pairs: big, viewer, lat/long, both set.
// programPages stands for the program's own server.
std::vector<std::pair<QString, QString>> allChoices(const MapSites& sites, const std::function<QString()>& programPages)
{
    std::vector<std::pair<QString, QString>> out;
    for (auto [big, viewer] : {std::pair{true, false}, {false, true}, {false, false}, {true, true}}) {
        const MapPage p = chooseMapPage(big, viewer, sites, programPages);
        out.emplace_back(p.address.toString(QUrl::FullyEncoded), p.caption);
    }
    return out;
}

QString noProgramPages()
{
    ADD_FAILURE() << "the program's own pages were asked for";
    return {};
}

}  // namespace

TEST(MapPages, DefaultsAreTheProgramsOwnPagesAndTheUsgsViewer)
{
    // No sites file: the program's own pages (asked for only when chosen) and the public viewer.
    QTemporaryDir dir;
    int asked = 0;
    const auto loopback = [&] { return ++asked, QStringLiteral("http://127.0.0.1:50123"); };
    using Choices = std::vector<std::pair<QString, QString>>;
    EXPECT_EQ(allChoices(readMapSites(dir.path()), loopback),
              (Choices{{"http://127.0.0.1:50123/bigmap.htm", kOwnBigCaption},
                       {"http://apps.nationalmap.gov/viewer/", kViewerCaption},
                       {"http://127.0.0.1:50123/latlongmap.htm", kLatLongCaption},
                       {"http://127.0.0.1:50123/bigmap.htm", kOwnBigCaption}}));
    EXPECT_EQ(asked, 3);
    // The viewer alone never starts the program's server.
    EXPECT_EQ(chooseMapPage(false, true, readMapSites(dir.path()), noProgramPages).address.host(), "apps.nationalmap.gov");

    // Where no server can run, the folder's files (a blank encoded, a trailing separator dropped).
    const QString folder = dir.filePath("Corvantine 1");
    const QString local = "file://" + QDir::cleanPath(folder).replace(" ", "%20");
    EXPECT_EQ(folderSite(folder), local);
    EXPECT_EQ(chooseMapPage(false, false, MapSites{}, [&] { return folderSite(folder + "/"); })
                  .address.toString(QUrl::FullyEncoded),
              local + "/latlongmap.htm");
}

TEST(MapPages, ConfiguredSites)
{
    QTemporaryDir dir;
    writeSites(dir, "# our own server\n\n  mappages =  maps.example.org:8080/corvantine/  \r\n"
                    "usgsviewer=https://viewer.example.gov\n");
    using Choices = std::vector<std::pair<QString, QString>>;
    EXPECT_EQ(allChoices(readMapSites(dir.path()), noProgramPages),
              (Choices{{"http://maps.example.org:8080/corvantine/bigmap.htm", kBigCaption},
                       {"https://viewer.example.gov/viewer/", kViewerCaption},
                       {"http://maps.example.org:8080/corvantine/latlongmap.htm", kLatLongCaption},
                       {"http://maps.example.org:8080/corvantine/bigmap.htm", kBigCaption}}));

    // A site left out or empty keeps its default; a typed blank in a folder is encoded.
    writeSites(dir, "usgsviewer =\nmappages = file:///srv/our maps\n");
    const MapSites sites = readMapSites(dir.path());
    EXPECT_EQ(sites.usgsViewer, "http://apps.nationalmap.gov");
    EXPECT_EQ(chooseMapPage(true, false, sites, noProgramPages).address.toString(QUrl::FullyEncoded), "file:///srv/our%20maps/bigmap.htm");
}

TEST(MapPages, BadSitesFileLinesAreNamed)
{
    QTemporaryDir dir;
    for (auto [text, message] :
         {std::pair{"# sites\nmappages maps.example.org\n", "Corvantine_mapsites.txt, line 2: \"name = site\" expected"},
          {"mapsite = maps.example.org\n", "Corvantine_mapsites.txt, line 1: unknown name \"mapsite\" (mappages or usgsviewer)"},
          {"\nusgsviewer = http://exa mple.org\n", "Corvantine_mapsites.txt, line 2: \"http://exa mple.org\" is no web address"},
          {"mappages = ftp://maps.example.org\n", "Corvantine_mapsites.txt, line 1: \"ftp://maps.example.org\" is no web address"},
          {"mappages = http://\n", "Corvantine_mapsites.txt, line 1: \"http://\" is no web address"}}) {
        writeSites(dir, text);
        EXPECT_EQ(test::errorText([&] { readMapSites(dir.path()); }), message);
    }
}

TEST(MapPages, WaitEndsWhenCompleteOrAfterTheLimit)
{
    using namespace std::chrono;
    // A fake steady clock advanced 3 s by each round of events.
    milliseconds clock{5000};
    int rounds = 0;
    auto now = [&] { return steady_clock::time_point(clock); };
    auto events = [&] { ++rounds, clock += seconds(3); };

    // Never complete: rounds at 3, 6, 9 s go on, the one at 12 s passes 10 s and ends it.
    EXPECT_FALSE(waitForPage(now, events, [] { return false; }, seconds(10)));
    EXPECT_EQ(rounds, 4);

    // Exactly 10 s is not yet past the limit.
    rounds = 0;
    auto tenSeconds = [&] { ++rounds, clock += milliseconds(2500); };
    EXPECT_FALSE(waitForPage(now, tenSeconds, [] { return false; }, seconds(10)));
    EXPECT_EQ(rounds, 5);

    // Complete after the second round: one more round of events, then the end.
    rounds = 0;
    EXPECT_TRUE(waitForPage(now, events, [&] { return rounds == 2; }, seconds(10)));
    EXPECT_EQ(rounds, 3);
}

namespace {

// A program folder with the served files, files beside them that are not served, and a
// secret one level up.
struct PagesFolder {
    QTemporaryDir root;
    QString folder = root.filePath("program");
    PagesFolder()
    {
        for (auto [name, text] : {std::pair{"program/bigmap.htm", "<html>big</html>"},
                                  {"program/latlongmap.htm", "<html>lat/long</html>"},
                                  {"program/mappage.js", "var page;"},
                                  {"program/leaflet/leaflet.min.js", "var L;"},
                                  {"program/leaflet/leaflet.css", ".leaflet{}"},
                                  {"program/leaflet/images/marker-icon.png", "\x89PNG"},
                                  {"program/leaflet/notes.txt", "notes"},
                                  {"program/leaflet/.hidden.js", "hidden"},
                                  {"program/Corvantine_mapsites.txt", "mappages ="},
                                  {"program/viewer.htm", "<html>other</html>"},
                                  {"secret.htm", "<html>secret</html>"}}) {
            QDir().mkpath(QFileInfo(root.filePath(name)).path());
            QFile f(root.filePath(name));
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(text);
        }
        // Links inside the served folder, to the sites file and to the folder above it.
        QFile::link(root.filePath("program/Corvantine_mapsites.txt"), root.filePath("program/leaflet/evil.js"));
        QFile::link(root.path(), root.filePath("program/leaflet/up"));
    }
};

QByteArray request(const QByteArray& line) { return line + "\r\nHost: 127.0.0.1\r\nUser-Agent: test\r\n\r\n"; }

QByteArray statusOf(const QByteArray& answer) { return answer.left(answer.indexOf("\r\n")); }

QByteArray headerOf(const QByteArray& answer, const QByteArray& name)
{
    for (const QByteArray& line : answer.left(answer.indexOf("\r\n\r\n")).split('\n'))
        if (line.startsWith(name + ": ")) return line.mid(name.size() + 2).trimmed();
    return "(none)";
}

QByteArray bodyOf(const QByteArray& answer) { return answer.mid(answer.indexOf("\r\n\r\n") + 4); }

void needApplication()
{
    static int argc = 1;
    static char name[] = "map_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

// Sends the parts to the server with the event loop running (the server shares this
// thread) and returns all it answered before it closed the connection.
QByteArray exchange(quint16 port, const QList<QByteArray>& parts, int ms = 5000)
{
    QTcpSocket client;
    QByteArray got;
    QObject::connect(&client, &QTcpSocket::readyRead, [&] { got += client.readAll(); });
    client.connectToHost(QHostAddress::LocalHost, port);
    const QDeadlineTimer deadline(ms);
    while (client.state() != QAbstractSocket::ConnectedState && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    for (const QByteArray& part : parts) {
        client.write(part);
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    while (client.state() != QAbstractSocket::UnconnectedState && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(client.state(), QAbstractSocket::UnconnectedState) << "the server kept the connection open";
    return got;
}

}  // namespace

TEST(PageServer, ServesThePagesTheirScriptAndLeaflet)
{
    PagesFolder p;
    for (auto [target, type, body] :
         {std::tuple{"/bigmap.htm", "text/html; charset=utf-8", "<html>big</html>"},
          {"/latlongmap.htm", "text/html; charset=utf-8", "<html>lat/long</html>"},
          {"/mappage.js", "text/javascript; charset=utf-8", "var page;"},
          {"/leaflet/leaflet.min.js?v=1.7", "text/javascript; charset=utf-8", "var L;"},
          {"/leaflet/leaflet.css", "text/css; charset=utf-8", ".leaflet{}"},
          {"/leaflet/images/marker-icon.png", "image/png", "\x89PNG"}}) {
        const QByteArray answer = answerPageRequest(p.folder, request(QByteArray("GET ") + target + " HTTP/1.1"));
        EXPECT_EQ(statusOf(answer), "HTTP/1.1 200 OK") << target;
        EXPECT_EQ(headerOf(answer, "Content-Type"), type) << target;
        EXPECT_EQ(headerOf(answer, "Content-Length"), QByteArray::number(qstrlen(body))) << target;
        EXPECT_EQ(headerOf(answer, "Connection"), "close") << target;
        EXPECT_EQ(bodyOf(answer), body) << target;
    }
    // HEAD: the same head, no body; HTTP/1.0 is answered too.
    const QByteArray head = answerPageRequest(p.folder, request("HEAD /latlongmap.htm HTTP/1.0"));
    EXPECT_EQ(statusOf(head), "HTTP/1.1 200 OK");
    EXPECT_EQ(headerOf(head, "Content-Length"), "21");
    EXPECT_TRUE(head.endsWith("\r\n\r\n"));
}

TEST(PageServer, RefusesEverythingElse)
{
    PagesFolder p;
    // Not one of the served files, or a way out of the folder.
    for (const char* target :
         {"/", "/viewer.htm", "/Corvantine_mapsites.txt", "/leaflet/notes.txt", "/leaflet/.hidden.js",
          "/leaflet/images", "/leaflet/missing.js", "/BIGMAP.HTM", "/bigmap.htm/", "/../secret.htm",
          "/leaflet/../../secret.htm", "/leaflet/../bigmap.htm", "/leaflet/images/../leaflet.css",
          "/leaflet/..%2f..%2fsecret.htm", "/leaflet%2fleaflet.css", "/%2e%2e/secret.htm", "/bigmap%2ehtm",
          "//bigmap.htm", "/leaflet//leaflet.css", "/leaflet\\leaflet.css", "/leaflet/./leaflet.css",
          "/leaflet/evil.js", "/leaflet/up/secret.htm"}) {
        const QByteArray answer = answerPageRequest(p.folder, request(QByteArray("GET ") + target + " HTTP/1.1"));
        EXPECT_EQ(statusOf(answer), "HTTP/1.1 404 Not Found") << target;
        EXPECT_FALSE(answer.contains("secret") || answer.contains("mappages")) << target;
        EXPECT_EQ(pageFileFor(p.folder, target), QString()) << target;
    }
    EXPECT_EQ(bodyOf(answerPageRequest(p.folder, request("HEAD /missing.htm HTTP/1.1"))), "");

    // Not a request of this server: an absolute address or path, a malformed line.
    for (const char* line : {"GET http://127.0.0.1/bigmap.htm HTTP/1.1", "GET C:/bigmap.htm HTTP/1.1",
                             "GET *", "GET /bigmap.htm", "GET  /bigmap.htm HTTP/1.1", "GET /bigmap.htm HTTP/2",
                             "get /bigmap.htm HTTP/1.1", "\x16\x03\x01\x02", ""}) {
        EXPECT_EQ(statusOf(answerPageRequest(p.folder, request(line))), "HTTP/1.1 400 Bad Request") << line;
    }
    // Read only.
    for (const char* method : {"POST", "PUT", "DELETE", "OPTIONS"}) {
        const QByteArray answer = answerPageRequest(p.folder, request(QByteArray(method) + " /bigmap.htm HTTP/1.1"));
        EXPECT_EQ(statusOf(answer), "HTTP/1.1 405 Method Not Allowed") << method;
        EXPECT_EQ(headerOf(answer, "Allow"), "GET, HEAD");
    }
}

TEST(PageServer, AnswersOverLoopbackAndDropsSlowClients)
{
    needApplication();
    PagesFolder p;
    MapPageServer server(p.folder, nullptr, 1500);
    ASSERT_TRUE(server.listen());
    const QUrl site(server.site());
    EXPECT_EQ(site.scheme(), "http");
    EXPECT_EQ(site.host(), "127.0.0.1");
    EXPECT_TRUE(site.path().isEmpty());
    const auto port = quint16(site.port());

    // A request in pieces is answered once whole; the connection then closes.
    const QByteArray page = exchange(port, {"GET /bigm", "ap.htm HTTP/1.1\r\nHost: x\r\n", "\r\n"});
    EXPECT_EQ(statusOf(page), "HTTP/1.1 200 OK");
    EXPECT_EQ(bodyOf(page), "<html>big</html>");

    // A head longer than the limit is refused without reading the rest.
    const QByteArray huge = "GET /bigmap.htm HTTP/1.1\r\nX-Padding: " + QByteArray(kPageRequestLimit, 'a') + "\r\n\r\n";
    EXPECT_EQ(statusOf(exchange(port, {huge})), "HTTP/1.1 431 Request Header Fields Too Large");
    EXPECT_EQ(statusOf(exchange(port, {"GET /leaflet/evil.js HTTP/1.1\r\n\r\n"})), "HTTP/1.1 404 Not Found");

    // A client that connects and says nothing neither stops others being served nor stays.
    QTcpSocket silent;
    silent.connectToHost(QHostAddress::LocalHost, port);
    EXPECT_EQ(bodyOf(exchange(port, {request("GET /mappage.js HTTP/1.1")})), "var page;");
    EXPECT_EQ(silent.state(), QAbstractSocket::ConnectedState);
    const QDeadlineTimer deadline(5000);
    while (silent.state() != QAbstractSocket::UnconnectedState && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(silent.state(), QAbstractSocket::UnconnectedState);
}

TEST(PageServer, OneRunningServerForTheProgramsFolder)
{
    needApplication();
    PagesFolder p, other;
    const QString site = programPagesSite(p.folder);
    EXPECT_TRUE(site.startsWith("http://127.0.0.1:")) << site.toStdString();
    EXPECT_EQ(programPagesSite(p.folder), site);
    EXPECT_EQ(bodyOf(exchange(quint16(QUrl(site).port()), {request("GET /latlongmap.htm HTTP/1.1")})), "<html>lat/long</html>");
    // Another folder (another test's program) gets its own server in place of the first.
    const QString otherSite = programPagesSite(other.folder);
    EXPECT_EQ(bodyOf(exchange(quint16(QUrl(otherSite).port()), {request("GET /bigmap.htm HTTP/1.1")})), "<html>big</html>");
}
