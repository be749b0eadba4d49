// corvantine-mapsource: the map-source window (Form4) in a process of its own. The web
// engine sets up OpenGL context sharing and loads the GL driver as it starts, which would
// more than double the program's start-up time and memory; here it costs only when a map
// page is picked, and a web engine that fails takes no work of the user's with it.
//
// Usage and the lines it writes and reads: map/browser/map_source.h.
#include <unistd.h>

#include <QApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <cerrno>
#include <cstdio>
#include <optional>

#include "common/dialogs.h"
#include "common/module1.h"
#include "common/shell.h"
#include "map/browser/form4.h"

namespace corv {
namespace {

void say(const QByteArray& line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// The window's message boxes are the program's to show.
class RelayedDialogs : public Dialogs {
public:
    MsgAnswer msgBox(const QString& text, MsgStyle, const QString&) override
    {
        say("message " + text.toUtf8().toPercentEncoding());
        return MsgAnswer::Ok;
    }
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    std::optional<QString> fileDialog(const FileRequest&) override { return std::nullopt; }
};

// What Form4 asks of the program: its folder and its dialogs. The picture menu comes
// back in the program when this process ends.
class HelperShell : public Shell {
public:
    explicit HelperShell(QString folder) : folder_(std::move(folder)) {}
    QString folder() const override { return folder_; }
    Dialogs& dialogs() override { return dialogs_; }
    CommonDialog& commonDialog() override { return commonDialog_; }
    void showMainMenu() override {}
    void showPictureMenu() override {}
    void handOffToRunoff(const BasinMeasurements&) override {}
    void openMapSource() override {}

private:
    QString folder_;
    RelayedDialogs dialogs_;
    CommonDialog commonDialog_{dialogs_};
};

}  // namespace
}  // namespace corv

int main(int argc, char** argv)
{
    using namespace corv;
    // The web view shares its OpenGL context with the window it is in.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Corvantine");
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: corvantine-mapsource FOLDER BIG(0|1) VIEWER(0|1)\n");
        return 2;
    }
    Module1::bigMapPage = args[2] == QLatin1String("1");
    Module1::usgsViewerPage = args[3] == QLatin1String("1");
    HelperShell shell(args[1]);

    QPointer<Form4> form = new Form4(shell);
    QObject::connect(form, &Form4::pageRequested, [] { say("navigating"); });
    QObject::connect(form, &Form4::unloaded, &app, &QApplication::quit);
    // "close" or the end of the input (the program gone) closes the window.
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray typed;
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n > 0) typed.append(buffer, n);
        if ((n > 0 && !typed.contains("close\n")) || (n < 0 && (errno == EINTR || errno == EAGAIN))) return;
        input.setEnabled(false);
        if (form) form->close();
        else QCoreApplication::quit();
    });

    form->Form_Load();
    say("loaded");
    // Closed while it loaded: quit() found no event loop to end.
    if (!form || !form->isVisible()) return 0;
    return app.exec();
}
