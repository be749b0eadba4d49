// img4Way: drawing the pad and reporting its clicks in twips.
#include "map/window/pad_image.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "common/twips.h"

namespace corv {

PadImage::PadImage(QWidget* parent) : QWidget(parent) { setCursor(Qt::PointingHandCursor); }

QPixmap PadImage::padPicture(QSize size)
{
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    if (size.isEmpty()) return pm;
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double w = size.width(), h = size.height();
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(235, 235, 228, 220));
    p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 4, 4);

    // The cross: arrows up, down, left and right around the centre, whose column runs
    // from 0.22 to 0.44 of the width.
    const double cx = 0.33 * w, cy = 0.5 * h;
    const double armX = 0.11 * w, armY = 0.17 * h;
    auto arrow = [&](QPointF tip, QPointF back) {
        const QPointF d = tip - back;
        const QPointF n(-d.y() * 0.6, d.x() * 0.6);
        QPainterPath path;
        path.moveTo(tip);
        path.lineTo(back + n);
        path.lineTo(back - n);
        path.closeSubpath();
        p.drawPath(path);
    };
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 70, 140));
    arrow({cx, 0.05 * h}, {cx, 0.05 * h + armY});
    arrow({cx, 0.95 * h}, {cx, 0.95 * h - armY});
    arrow({0.03 * w, cy}, {0.03 * w + armX, cy});
    arrow({0.63 * w, cy}, {0.63 * w - armX, cy});
    p.drawEllipse(QPointF(cx, cy), 0.05 * w, 0.05 * w);

    // Zoom: a separating line, "+" in the upper and "-" in the lower half of the right third.
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.drawLine(QPointF(0.66 * w, 0.1 * h), QPointF(0.66 * w, 0.9 * h));
    p.drawLine(QPointF(0.7 * w, 0.5 * h), QPointF(0.96 * w, 0.5 * h));
    p.setPen(QPen(QColor(40, 70, 140), std::max(2.0, w / 30)));
    const double zx = 0.83 * w, arm = 0.08 * w;
    p.drawLine(QPointF(zx - arm, 0.25 * h), QPointF(zx + arm, 0.25 * h));
    p.drawLine(QPointF(zx, 0.25 * h - arm), QPointF(zx, 0.25 * h + arm));
    p.drawLine(QPointF(zx - arm, 0.75 * h), QPointF(zx + arm, 0.75 * h));
    return pm;
}

void PadImage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    picture_ = padPicture(size());
}

void PadImage::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, picture_);
}

void PadImage::mouseReleaseEvent(QMouseEvent* event)
{
    int button = 0;
    if (event->button() == Qt::LeftButton) button = 1;
    else if (event->button() == Qt::RightButton) button = 2;
    else if (event->button() == Qt::MiddleButton) button = 4;
    int shift = 0;
    if (event->modifiers() & Qt::ShiftModifier) shift |= 1;
    if (event->modifiers() & Qt::ControlModifier) shift |= 2;
    if (event->modifiers() & Qt::AltModifier) shift |= 4;
    const QPointF pos = event->position();
    emit mouseUp(button, shift, static_cast<float>(twips::fromPixelsX(pos.x())),
                 static_cast<float>(twips::fromPixelsY(pos.y())));
}

}  // namespace corv
