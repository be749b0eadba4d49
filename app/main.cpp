// Corvantine: starts the application and opens the map window.
#include <QApplication>
#include <QScreen>

#include "app/program.h"
#include "common/twips.h"
#include "map/window/form1.h"

int main(int argc, char** argv)
{
    // The map-source window's web view shares its OpenGL context with the windows.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
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
