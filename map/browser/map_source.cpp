// Running the map-source window's helper process and relaying what it says.
#include "map/browser/map_source.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <chrono>

#include "common/dialogs.h"
#include "common/module1.h"
#include "common/runtime_error.h"
#include "common/shell.h"
#include "map/browser/map_pages.h"
#include "map/helper_program.h"

namespace corv {

namespace {

using std::chrono::steady_clock;

// The window's own wait for its page, counted from the navigation it reports.
constexpr std::chrono::milliseconds kPageWait{10000};
// A helper that never gets as far as the navigation (a web engine that cannot start)
// holds the menu no longer than this.
constexpr std::chrono::milliseconds kStartWait{20000};

// What the user is told when the helper ended by itself rather than being closed (its
// window then went without a word); empty for a helper that ended well.
QString mapSourceStopped(const QString& helper, int exitCode, QProcess::ExitStatus status)
{
    const QString stopped = QStringLiteral("The map page stopped: its helper %1 ").arg(QFileInfo(helper).fileName());
    if (status == QProcess::CrashExit) return stopped + QStringLiteral("crashed.");
    if (exitCode != 0) return stopped + QStringLiteral("ended with exit code %1.").arg(exitCode);
    return {};
}

}  // namespace

QString mapSourceHelperPath() { return helperProgramPath(QStringLiteral("corvantine-mapsource")); }

MapSourceWindow::MapSourceWindow(Shell& shell, QObject* parent, QString helper)
    : QObject(parent), shell_(shell), helper_(helper.isEmpty() ? mapSourceHelperPath() : std::move(helper))
{
    // The web engine's own warnings go where the program's go.
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(&process_, &QProcess::readyReadStandardOutput, this, &MapSourceWindow::readLines);
    connect(&process_, &QProcess::finished, this,
            [this](int exitCode, QProcess::ExitStatus status) { ended(mapSourceStopped(helper_, exitCode, status)); });
}

MapSourceWindow::~MapSourceWindow()
{
    process_.disconnect(this);
    if (process_.state() == QProcess::NotRunning) return;
    close();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

void MapSourceWindow::Form_Load()
{
    process_.start(helper_, {shell_.folder(), QString::number(int(Module1::bigMapPage)),
                             QString::number(int(Module1::usgsViewerPage))});
    if (!process_.waitForStarted()) {
        ended(QString::fromStdString(helperNotStarted("map page", helper_).description()));
        return;
    }
    QPointer<MapSourceWindow> alive(this);
    QTimer tick;  // wakes the wait when the helper says nothing
    tick.start(50);
    const auto runEvents = [] { QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents); };
    const auto over = [&] { return !alive || loaded_ || ended_; };
    if (!waitForPage(steady_clock::now, runEvents, [&] { return over() || navigating_; }, kStartWait) || over()) return;
    waitForPage(steady_clock::now, runEvents, over, kPageWait);
}

void MapSourceWindow::close()
{
    if (process_.state() == QProcess::Running) process_.write("close\n");
}

void MapSourceWindow::readLines()
{
    pending_ += process_.readAllStandardOutput();
    for (qsizetype end; (end = pending_.indexOf('\n')) >= 0;) {
        const QByteArray line = pending_.left(end);
        pending_.remove(0, end + 1);
        if (line == "navigating") {
            navigating_ = true;
        } else if (line == "loaded") {
            loaded_ = true;
        } else if (line.startsWith("message ")) {
            QPointer<MapSourceWindow> alive(this);
            shell_.dialogs().msgBox(QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(8))));
            if (!alive) return;
        }
    }
}

void MapSourceWindow::ended(const QString& why)
{
    if (ended_) return;
    ended_ = true;
    if (!why.isEmpty()) {
        QPointer<MapSourceWindow> alive(this);
        shell_.dialogs().msgBox(why);
        if (!alive) return;
    }
    shell_.showPictureMenu();
    emit unloaded();
}

}  // namespace corv
