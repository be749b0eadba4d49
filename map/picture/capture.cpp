// CaptureFormImage: the window renders itself into a pixmap that becomes the box's picture.
#include "map/picture/capture.h"

#include <QLabel>
#include <QPainter>
#include <QImage>
#include <QPixmap>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>
#include <algorithm>

#include "common/runtime_error.h"
#include "map/picture/picture_menu.h"

namespace corv {

void CaptureFormImage(QWidget& form, QLabel& box, bool& wholeWindow)
{
    box.setFrameShape(QFrame::NoFrame);
    box.setContentsMargins(0, 0, 0, 0);
    box.hide();
    box.clear();

    // The widgets are rendered from their current state, so a control hidden just
    // before the call (the pad) is already absent; no repaint needs to run first. The
    // window paints its own background, so the copy needs no clearing beforehand.
    QImage shot(form.size(), QImage::Format_RGB32);
    if (shot.isNull()) return;  // no memory for it: the box stays blank
    form.render(&shot, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    const QPixmap client = QPixmap::fromImage(std::move(shot));
    if (!wholeWindow) {
        box.resize(client.size());
        box.setPixmap(client);
        return;
    }
    // The title bar and borders belong to the window manager, which draws them
    // outside this program: the frame is kept as a plain band of the window colour.
    const QRect frame = form.frameGeometry();
    const QSize size = frame.isValid() && frame.size().expandedTo(client.size()) == frame.size()
                           ? frame.size()
                           : client.size();
    QPixmap whole(size);
    whole.fill(form.palette().color(QPalette::Window));
    {
        QPainter p(&whole);
        const QPoint offset = size == client.size() ? QPoint() : form.geometry().topLeft() - frame.topLeft();
        p.drawPixmap(offset, client);
    }
    box.resize(whole.size());
    box.setPixmap(whole);
}

}  // namespace corv

namespace corv {

void PrintForm(QWidget& form)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) throw RuntimeError(482, kNoPrinterMessage);
    const QImage shot = form.grab(form.rect()).toImage();
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(QStringLiteral("Corvantine map window"));
    QPainter p;
    if (!p.begin(&printer)) throw RuntimeError(482, "Printer error");
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double screenDpi = form.logicalDpiX() > 0 ? form.logicalDpiX() : 96.0;
    double scale = printer.resolution() / screenDpi;
    if (!shot.isNull())
        scale = std::min({scale, double(page.width()) / shot.width(), double(page.height()) / shot.height()});
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRectF(0, 0, shot.width() * scale, shot.height() * scale), shot);
    if (!p.end()) throw RuntimeError(482, "Printer error");
}

}  // namespace corv
