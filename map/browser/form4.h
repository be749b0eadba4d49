// Form4: the map-source window. It shows an online map page so that the user can move
// it to the basin, copy the screen and paste the copy into the map window. It runs in
// its own process (map/helper/corvantine_mapsource.cpp, started by MapSourceWindow), so
// that the program starts without the web engine and its OpenGL driver.
#pragma once

#include <QWidget>

class QWebEngineView;
class QWebEngineLoadingInfo;

namespace corv {

class Shell;

class Form4 : public QWidget {
    Q_OBJECT
public:
    explicit Form4(Shell& shell, QWidget* parent = nullptr);

    QWebEngineView* WebBrowser1 = nullptr;

    // Shows the window and opens the page chosen by the shared flags; returns once the
    // page is complete or about 10 seconds after the navigation began.
    void Form_Load();
    // Every completed document loses its scroll bars.
    void WebBrowser1_DocumentComplete();
    void Form_Resize();
    void Form_Unload();

signals:
    // The chosen page's navigation began (the wait for it starts).
    void pageRequested();
    // The window is closed; it deletes itself.
    void unloaded();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void WebBrowser1_LoadingChanged(const QWebEngineLoadingInfo& info);
    bool pageComplete() const { return pageStarted_ && !pageLoading_; }

    Shell& shell_;
    // The chosen page's load (the blank page's events do not count).
    bool pageStarted_ = false;
    bool pageLoading_ = false;
};

}  // namespace corv
