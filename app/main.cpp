// Corvantine: starts the application and opens the map window.
#include <QApplication>
#include <QScreen>

#include "app/program.h"
#include "common/twips.h"
#include "map/window/form1.h"

int main(int argc, char** argv)
{
    // No OpenGL context sharing: the map-source window's web engine, which needs it, runs
    // in a process of its own (corvantine-mapsource), so the program loads no GL driver.
    QApplication app(argc, argv);
    QApplication::setApplicationName("Corvantine");
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        corv::twips::setDpi(screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY());

    corv::Program program(QCoreApplication::applicationDirPath(),
                          std::make_unique<corv::QtDialogs>());
    QObject::connect(&program, &corv::Program::ended, &app, &QApplication::quit);
    program.form1()->show();
    return app.exec();
}
