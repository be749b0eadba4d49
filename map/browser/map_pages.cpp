// Map page addresses and captions.
#include "map/browser/map_pages.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

#include "common/runtime_error.h"

namespace corv {

namespace {

const char* const kBigMapPath = "/bigmap.htm";
const char* const kLatLongPath = "/latlongmap.htm";
const char* const kViewerPath = "/viewer/";

QUrl pageAddress(const QString& site, const char* path)
{
    return QUrl(site + QLatin1String(path), QUrl::StrictMode);
}

bool usable(const QString& site)
{
    const QUrl url = pageAddress(site, kViewerPath);
    if (!url.isValid()) return false;
    if (url.isLocalFile()) return true;
    return (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) && !url.host().isEmpty();
}

[[noreturn]] void badLine(int number, const QString& why)
{
    throw RuntimeError(err::kInvalidProcedureCall,
                       QStringLiteral("%1, line %2: %3").arg(QLatin1String(kMapSitesFile)).arg(number).arg(why).toStdString());
}

}  // namespace

QString mapUserAgent(const QString& engineAgent)
{
    const QString product = QStringLiteral(" Corvantine/%1.%2.%3")
                                .arg(CORVANTINE_VERSION_MAJOR)
                                .arg(CORVANTINE_VERSION_MINOR)
                                .arg(CORVANTINE_VERSION_PATCH);
    return engineAgent.endsWith(product) ? engineAgent : engineAgent + product;
}

QString folderSite(const QString& folder)
{
    QString site = QUrl::fromLocalFile(QDir::cleanPath(folder)).toString(QUrl::FullyEncoded);
    while (site.endsWith(QLatin1Char('/'))) site.chop(1);
    return site;
}

QString siteFromText(const QString& text)
{
    QString site = text.trimmed();
    if (!site.contains(QLatin1String("://"))) site.prepend(QLatin1String("http://"));
    // Typed by hand: a blank in a folder name is taken as meant and encoded.
    const QUrl url(site, QUrl::TolerantMode);
    if (!url.isValid()) return {};
    site = url.toString(QUrl::FullyEncoded);
    while (site.endsWith(QLatin1Char('/'))) site.chop(1);
    return usable(site) ? site : QString();
}

MapSites readMapSites(const QString& folder)
{
    MapSites sites;
    QFile file(QDir(folder).filePath(QLatin1String(kMapSitesFile)));
    if (!file.exists()) return sites;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) err::raise(err::kPermissionDenied);
    QTextStream in(&file);
    for (int number = 1; !in.atEnd(); ++number) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) badLine(number, QStringLiteral("\"name = site\" expected"));
        const QString name = line.left(eq).trimmed();
        QString* target = name == QLatin1String("mappages")     ? &sites.mapPages
                          : name == QLatin1String("usgsviewer") ? &sites.usgsViewer
                                                                : nullptr;
        if (!target) badLine(number, QStringLiteral("unknown name \"%1\" (mappages or usgsviewer)").arg(name));
        const QString value = line.mid(eq + 1).trimmed();
        if (value.isEmpty()) continue;  // the default stays
        const QString site = siteFromText(value);
        if (site.isEmpty()) badLine(number, QStringLiteral("\"%1\" is no web address").arg(value));
        *target = site;
    }
    return sites;
}

MapPage chooseMapPage(bool bigMapPage, bool usgsViewerPage, const MapSites& sites,
                      const std::function<QString()>& programPages)
{
    const auto pages = [&] { return sites.mapPages.isEmpty() ? programPages() : sites.mapPages; };
    // The program's own big map has neither a contents list nor map labels to turn off.
    if (bigMapPage && sites.mapPages.isEmpty())
        return {pageAddress(pages(), kBigMapPath),
                QStringLiteral("Drag the map to the basin; Press Alt*PrtScr to copy to clipboard")};
    if (bigMapPage)
        return {pageAddress(pages(), kBigMapPath),
                QStringLiteral("Press Alt*PrtScr to copy to clipboard, on map set Contents and turn off Map Labels")};
    if (usgsViewerPage)
        return {pageAddress(sites.usgsViewer, kViewerPath),
                QStringLiteral("Press Alt*PrtScr to copy to clipboard, set Content(Hydrography or Contours or Scanned "
                               "Topo) turn off Map Labels")};
    return {pageAddress(pages(), kLatLongPath),
            QStringLiteral("Drag the map or pointer to desired location then click pointer; Press Alt*PrtScr to copy "
                           "to clipboard")};
}

}  // namespace corv
