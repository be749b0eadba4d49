// Turns Qt mouse presses and moves on a control into the map window's mouse event
// procedures: button and shift codes (1 left, 2 right, 4 middle, summed) and the
// position in twips from the control's top-left corner.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace corv {

int mouseButtonCode(Qt::MouseButtons buttons);
int mouseShiftCode(Qt::KeyboardModifiers modifiers);

class MouseForwarder : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(int button, int shift, float x, float y)>;
    // Events arrive on watched (the control itself, or its viewport) and are reported in
    // control's coordinates. passLeftPress lets a left press reach the control too
    // (a text box places its caret); every other handled event is taken.
    MouseForwarder(QWidget* watched, QWidget* control, Handler down, Handler move, bool passLeftPress = false);

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    QPointer<QWidget> control_;
    Handler down_, move_;
    bool passLeftPress_;
};

}  // namespace corv
