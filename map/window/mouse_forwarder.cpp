// Mouse events of the map window's floating controls.
#include "map/window/mouse_forwarder.h"

#include <QMouseEvent>
#include <QWidget>

#include "common/twips.h"

namespace corv {

int mouseButtonCode(Qt::MouseButtons buttons)
{
    int code = 0;
    if (buttons & Qt::LeftButton) code |= 1;
    if (buttons & Qt::RightButton) code |= 2;
    if (buttons & Qt::MiddleButton) code |= 4;
    return code;
}

int mouseShiftCode(Qt::KeyboardModifiers modifiers)
{
    int code = 0;
    if (modifiers & Qt::ShiftModifier) code |= 1;
    if (modifiers & Qt::ControlModifier) code |= 2;
    if (modifiers & Qt::AltModifier) code |= 4;
    return code;
}

MouseForwarder::MouseForwarder(QWidget* watched, QWidget* control, Handler down, Handler move, bool passLeftPress)
    : QObject(watched), control_(control), down_(std::move(down)), move_(std::move(move)), passLeftPress_(passLeftPress)
{
    watched->installEventFilter(this);
}

bool MouseForwarder::eventFilter(QObject* object, QEvent* event)
{
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick && type != QEvent::MouseMove)
        return false;
    auto* watched = qobject_cast<QWidget*>(object);
    if (!watched || !control_) return false;
    auto* me = static_cast<QMouseEvent*>(event);
    const QPointF p = watched == control_ ? me->position() : watched->mapTo(control_.data(), me->position());
    const float x = static_cast<float>(twips::fromPixelsX(p.x()));
    const float y = static_cast<float>(twips::fromPixelsY(p.y()));
    // The buttons held, the one just pressed included: both buttons together give 3.
    const int button = mouseButtonCode(me->buttons() | (type == QEvent::MouseMove ? Qt::NoButton : me->button()));
    const int shift = mouseShiftCode(me->modifiers());
    // A handler may redraw the window, which can remove the control and this filter
    // with it: decide the answer first and touch no member afterwards.
    if (type == QEvent::MouseMove) {
        if (button == 0) return false;
        const Handler move = move_;
        if (move) move(button, shift, x, y);
        return button == 1;
    }
    const bool take = !(passLeftPress_ && button == 1);
    const Handler down = down_;
    if (down) down(button, shift, x, y);
    return take;
}

}  // namespace corv
