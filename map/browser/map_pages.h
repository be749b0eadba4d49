// The map pages of the browser window: where they are (the sites file in the program's
// folder, or the defaults), which one the shared flags choose, and the bounded wait for it.
#pragma once

#include <QString>
#include <QUrl>
#include <chrono>
#include <functional>

namespace corv {

// The sites file: "name = site" lines, '#' starts a comment line.
inline constexpr const char* kMapSitesFile = "Corvantine_mapsites.txt";
// The national map viewer's public site.
inline constexpr const char* kUsgsViewerSite = "http://apps.nationalmap.gov";

// Sites without a trailing '/': mapPages serves /bigmap.htm and /latlongmap.htm,
// usgsViewer serves /viewer/. An empty mapPages (the default) means the program's own
// copies of the pages, in its folder.
struct MapSites {
    QString mapPages;
    QString usgsViewer = QString::fromLatin1(kUsgsViewerSite);
};

// A folder as a file:/// site.
QString folderSite(const QString& folder);

// Reads the sites file in folder; a site it does not name keeps its default. A line that
// is neither blank, a comment nor a known name with a web address is a run-time error
// naming the file and the line.
MapSites readMapSites(const QString& folder);

// A site as written in the sites file: "host", "host:port/folder" (plain http) or a full
// address with its scheme; the trailing '/' dropped. Empty when it is no usable site.
QString siteFromText(const QString& text);

struct MapPage {
    QUrl address;
    QString caption;
};

// The page and the window's caption for the two flags; the big map wins over the viewer.
// The caption names only what the page offers: the program's own big map has no
// contents list or map labels.
// programPages gives the site of the program's own pages; it is asked only when one of
// them is chosen and no mapPages site is set.
MapPage chooseMapPage(bool bigMapPage, bool usgsViewerPage, const MapSites& sites,
                      const std::function<QString()>& programPages);

// The browser's own user agent with " Corvantine/<version>" appended, so that the tile
// servers behind the map pages (OpenStreetMap's usage policy asks for it) can tell which
// program is asking. An agent that already names the program is kept as it is.
QString mapUserAgent(const QString& engineAgent);

// Lets events run until the page is complete or more than limit has passed since the
// start; a complete page gets one more round of events. now() must be a steady clock, so
// that midnight or a change of the system clock can neither stretch nor cut the wait.
// Returns whether the page completed in time.
template <class Now, class RunEvents, class Complete>
bool waitForPage(Now now, RunEvents runEvents, Complete complete, std::chrono::milliseconds limit)
{
    const auto start = now();
    for (;;) {
        runEvents();
        if (now() - start > limit) return false;
        if (complete()) {
            runEvents();
            return true;
        }
    }
}

}  // namespace corv
