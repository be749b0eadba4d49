// The map-source window.
#include "map/browser/form4.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <chrono>
#include <unistd.h>

#include "common/guard.h"
#include "common/module1.h"
#include "common/shell.h"
#include "map/browser/map_pages.h"
#include "map/browser/page_server.h"

namespace corv {

namespace {

constexpr std::chrono::milliseconds kPageWait{10000};
const QUrl kBlankPage(QStringLiteral("about:blank"));

// Chromium refuses to start its sandbox for root (as in CI); only then is it turned off.
// It must be set before the first web view creates the engine.
void allowWebEngineAsRoot()
{
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

void runEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents); }

}  // namespace

Form4::Form4(Shell& shell, QWidget* parent) : QWidget(parent), shell_(shell)
{
    setObjectName("Form4");
    setAttribute(Qt::WA_DeleteOnClose);
    resize(800, 600);
    allowWebEngineAsRoot();
    WebBrowser1 = new QWebEngineView(this);
    QWebEngineProfile* profile = WebBrowser1->page()->profile();
    profile->setHttpUserAgent(mapUserAgent(profile->httpUserAgent()));
    // Pages set up as files of a folder (file:///) fetch their map tiles from the web;
    // without this the web engine keeps them from it, and the map stays an empty grey.
    WebBrowser1->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    WebBrowser1->setObjectName("WebBrowser1");
    WebBrowser1->hide();
    connect(WebBrowser1, &QWebEngineView::loadFinished, this, &Form4::WebBrowser1_DocumentComplete);
    connect(WebBrowser1->page(), &QWebEnginePage::loadingChanged, this, &Form4::WebBrowser1_LoadingChanged);
}

void Form4::Form_Load()
{
    QPointer<Form4> alive(this);
    guarded(shell_.dialogs(), [&] {
        WebBrowser1->load(kBlankPage);
        QCoreApplication::processEvents();
        show();
        QCoreApplication::processEvents();
        if (!alive) return;
        setWindowState(windowState() | Qt::WindowMaximized);
        QCoreApplication::processEvents();
        if (!alive) return;

        const QString folder = shell_.folder();
        // The program's own pages come from its loopback server, so that their tile
        // requests carry a Referer (pages opened as files send none).
        const MapPage page = chooseMapPage(Module1::bigMapPage, Module1::usgsViewerPage, readMapSites(folder),
                                           [&] { return programPagesSite(folder); });
        setWindowTitle(page.caption);
        WebBrowser1->show();

        pageStarted_ = pageLoading_ = false;
        WebBrowser1->load(page.address);
        emit pageRequested();
        // Wakes the wait at least this often when the page sends nothing (a silent server).
        QTimer tick;
        tick.start(50);
        // Closing the window during the wait ends the wait (the window is then gone).
        waitForPage(std::chrono::steady_clock::now, runEvents, [&] { return !alive || pageComplete(); }, kPageWait);
    });
}

void Form4::WebBrowser1_LoadingChanged(const QWebEngineLoadingInfo& info)
{
    if (info.url() == kBlankPage) return;
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        pageStarted_ = pageLoading_ = true;
    } else {
        pageLoading_ = false;
    }
}

void Form4::WebBrowser1_DocumentComplete()
{
    WebBrowser1->page()->runJavaScript(QStringLiteral("if (document.body) document.body.style.overflow = 'hidden';"));
}

void Form4::Form_Resize() { WebBrowser1->setGeometry(rect()); }

void Form4::Form_Unload() { shell_.showPictureMenu(); }

void Form4::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void Form4::closeEvent(QCloseEvent* event)
{
    event->accept();
    Form_Unload();
    emit unloaded();
}

}  // namespace corv
