// The map page choice: the flags pick the page and caption; the sites come from the
// sites file in the program's folder or from the defaults; the wait is bounded.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <chrono>

#include "common/runtime_error.h"
#include "map/map_pages.h"
#include "map_fixture.h"

using namespace corv;

namespace {

const QString kBigCaption =
    "Press Alt*PrtScr to copy to clipboard, on map set Contents and turn off Map Labels";
const QString kViewerCaption =
    "Press Alt*PrtScr to copy to clipboard, set Content(Hydrography or Contours or Scanned Topo) turn off Map Labels";
const QString kLatLongCaption =
    "Drag the map or pointer to desired location then click pointer; Press Alt*PrtScr to copy to clipboard";

void writeSites(const QTemporaryDir& dir, const QByteArray& text) { test::writeFile(dir.filePath(kMapSitesFile), text); }

// The address and caption for each of the four flag pairs: big, viewer, lat/long, both set.
std::vector<std::pair<QString, QString>> allChoices(const MapSites& sites)
{
    std::vector<std::pair<QString, QString>> out;
    for (auto [big, viewer] : {std::pair{true, false}, {false, true}, {false, false}, {true, true}}) {
        const MapPage p = chooseMapPage(big, viewer, sites);
        out.emplace_back(p.address.toString(QUrl::FullyEncoded), p.caption);
    }
    return out;
}

}  // namespace

TEST(MapPages, DefaultsAreTheProgramFoldersPagesAndTheUsgsViewer)
{
    // No sites file: the folder's own copies (its blank encoded) and the public viewer.
    QTemporaryDir dir;
    const QString folder = dir.filePath("Corvantine 1");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString local = "file://" + QDir::cleanPath(folder).replace(" ", "%20");
    using Choices = std::vector<std::pair<QString, QString>>;
    EXPECT_EQ(allChoices(readMapSites(folder)), (Choices{{local + "/bigmap.htm", kBigCaption},
                                                          {"http://apps.nationalmap.gov/viewer/", kViewerCaption},
                                                          {local + "/latlongmap.htm", kLatLongCaption},
                                                          {local + "/bigmap.htm", kBigCaption}}));
    // A trailing separator on the folder changes nothing.
    EXPECT_EQ(chooseMapPage(false, false, readMapSites(folder + "/")).address.toString(QUrl::FullyEncoded),
              local + "/latlongmap.htm");
}

TEST(MapPages, ConfiguredSites)
{
    QTemporaryDir dir;
    writeSites(dir, "# our own server\n\n  mappages =  maps.example.org:8080/corvantine/  \r\n"
                    "usgsviewer=https://viewer.example.gov\n");
    using Choices = std::vector<std::pair<QString, QString>>;
    EXPECT_EQ(allChoices(readMapSites(dir.path())),
              (Choices{{"http://maps.example.org:8080/corvantine/bigmap.htm", kBigCaption},
                       {"https://viewer.example.gov/viewer/", kViewerCaption},
                       {"http://maps.example.org:8080/corvantine/latlongmap.htm", kLatLongCaption},
                       {"http://maps.example.org:8080/corvantine/bigmap.htm", kBigCaption}}));

    // A site left out or empty keeps its default; a typed blank in a folder is encoded.
    writeSites(dir, "usgsviewer =\nmappages = file:///srv/our maps\n");
    const MapSites sites = readMapSites(dir.path());
    EXPECT_EQ(sites.usgsViewer, "http://apps.nationalmap.gov");
    EXPECT_EQ(chooseMapPage(true, false, sites).address.toString(QUrl::FullyEncoded), "file:///srv/our%20maps/bigmap.htm");
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

TEST(MapPages, UserAgentNamesTheProgramOnce)
{
    const QString engine = "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/102.0 Safari/537.36";
    const QString agent = mapUserAgent(engine);
    EXPECT_TRUE(agent.startsWith(engine + " Corvantine/")) << agent.toStdString();
    EXPECT_TRUE(QRegularExpression("^Corvantine/\\d+\\.\\d+\\.\\d+$").match(agent.mid(engine.size() + 1)).hasMatch())
        << agent.toStdString();
    // A second window on the same profile does not append it again.
    EXPECT_EQ(mapUserAgent(agent), agent);
}
