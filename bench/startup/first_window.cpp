// Linked into the start-up benchmark's two programs: the process ends the moment its first
// window has been painted, so that its run time is the time to a visible window and its
// peak memory what it took to get there.
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdlib>

namespace {

class FirstPaint : public QObject {
protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        // The window's first painting pass paints all its widgets and then shows them; the
        // process ends once that pass is over.
        if (event->type() == QEvent::Paint && !ending_ && object->isWidgetType()) {
            ending_ = true;
            QTimer::singleShot(0, [] { std::_Exit(0); });
        }
        return false;
    }

private:
    bool ending_ = false;
};

void watchFirstPaint() { QCoreApplication::instance()->installEventFilter(new FirstPaint); }

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(watchFirstPaint)
