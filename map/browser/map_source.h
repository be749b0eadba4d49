// The map-source window as the program sees it: Form4 runs in the helper process
// corvantine-mapsource beside the program, so that the web engine, which loads the OpenGL
// driver as it starts, costs nothing until a map page is picked. The program waits for
// the page as the window itself would and shows the window's messages in its own dialogs.
//
// The helper is started as "corvantine-mapsource FOLDER BIG VIEWER" (the two flags as 0
// or 1). It writes one line per event: "navigating" (the chosen page's navigation began),
// "loaded" (the window's load is over), "message TEXT" (TEXT percent-encoded UTF-8). A
// "close" line on its input, or the input's end, closes its window and ends it.
#pragma once

#include <QObject>
#include <QProcess>
#include <QString>

namespace corv {

class Shell;

// Where the helper program is: beside the running program.
QString mapSourceHelperPath();

class MapSourceWindow : public QObject {
    Q_OBJECT
public:
    // helper: the helper program; empty: the one beside this program.
    explicit MapSourceWindow(Shell& shell, QObject* parent = nullptr, QString helper = {});
    // Closes the helper's window with this one's owner (the program ending).
    ~MapSourceWindow() override;

    // Starts the helper with the page the shared flags choose; returns once the page is
    // complete, about 10 seconds after its navigation began, or when the helper ended.
    void Form_Load();
    // Closes the window as its own close box would.
    void close();
    const QProcess& process() const { return process_; }

signals:
    // The window is closed (or its process ended): the picture menu is shown again.
    void unloaded();

private:
    void readLines();
    // The helper ended, or never started; why is shown first unless empty.
    void ended(const QString& why = {});

    Shell& shell_;
    QString helper_;
    QProcess process_;
    QByteArray pending_;
    bool navigating_ = false;
    bool loaded_ = false;
    bool ended_ = false;
};

}  // namespace corv
