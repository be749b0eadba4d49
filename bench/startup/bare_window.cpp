// The yardstick of the start-up benchmark: a bare Qt widgets window, maximised as the map
// window is.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Right Click for menu... Corvantine");
    window.setWindowState(Qt::WindowMaximized);
    window.show();
    return app.exec();
}
