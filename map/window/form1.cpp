// Form1: widgets of the map window and their event procedures.
#include "map/window/form1.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

#include "common/guard.h"
#include "common/twips.h"
#include "map/main_menu.h"
#include "map/window/mouse_forwarder.h"
#include "map/window/pad_image.h"

namespace corv {

namespace {
QRect toPixels(const TwipRect& r)
{
    return QRect(twips::toPixelsX(r.Left), twips::toPixelsY(r.Top), twips::toPixelsX(r.Width),
                 twips::toPixelsY(r.Height));
}

QPointF startPixels(const Segment& s) { return {s.X1 / twips::perPixelX(), s.Y1 / twips::perPixelY()}; }
QPointF endPixels(const Segment& s) { return {s.X2 / twips::perPixelX(), s.Y2 / twips::perPixelY()}; }

// The pixels a segment may touch, its pen width included.
QRectF segmentBounds(const Segment& s)
{
    const qreal w = s.BorderWidth + 1;
    return QRectF(startPixels(s), endPixels(s)).normalized().adjusted(-w, -w, w, w);
}

bool sameSegment(const Segment& a, const Segment& b)
{
    return a.X1 == b.X1 && a.Y1 == b.Y1 && a.X2 == b.X2 && a.Y2 == b.Y2 && a.BorderWidth == b.BorderWidth &&
           a.BorderColor == b.BorderColor && a.Visible == b.Visible && a.zOrder == b.zOrder;
}

// A frame or panel shown moves in from any edge it would cross (where it opens, or
// dragged); one larger than the window keeps its top-left corner in it.
void keepInside(TwipRect& r, bool visible, const TwipRect& window)
{
    if (!visible) return;
    r.Left = std::max(0.0, std::min(r.Left, window.Width - r.Width));
    r.Top = std::max(0.0, std::min(r.Top, window.Height - r.Height));
}

bool sameMarker(const Marker& a, const Marker& b)
{
    return a.Visible == b.Visible && a.rect.Left == b.rect.Left && a.rect.Top == b.rect.Top &&
           a.rect.Width == b.rect.Width && a.rect.Height == b.rect.Height;
}
}  // namespace

Form1::Form1(Shell& shell, QWidget* parent)
    : QWidget(parent), shell_(shell), commonDialog_(shell.dialogs())
{
    setObjectName("Form1");
    UserControlPic1 = new MapViewport(this);
    UserControlPic1->setObjectName("UserControlPic1");
    UserControlPic1->setAutoFillBackground(true);
    Image1 = new MapImage(*this, UserControlPic1);
    Image1->setObjectName("Image1");
    overlay = new MapOverlay(*this, UserControlPic1);
    overlay->setObjectName("Line1");

    auto* label0 = new QLabel(UserControlPic1);
    label0->setObjectName("Label1(0)");
    label0->hide();
    Label1.push_back(label0);

    Text1 = new QPlainTextEdit(UserControlPic1);
    Text1->setObjectName("Text1");
    Text1->hide();
    lstMenu2 = new QListWidget(UserControlPic1);
    lstMenu2->setObjectName("lstMenu2");
    lstMenu2->hide();
    lstMenu1 = new QListWidget(UserControlPic1);
    lstMenu1->setObjectName("lstMenu1");
    lstMenu1->hide();
    Picture2 = new QLabel(this);
    Picture2->setObjectName("Picture2");
    Picture2->hide();
    img4Way = new PadImage(UserControlPic1);
    img4Way->setObjectName("img4Way");

    connect(lstMenu1, &QListWidget::itemClicked, this, [this] { lstMenu1_Click(); });
    connect(lstMenu2, &QListWidget::itemClicked, this, [this] { lstMenu2_Click(); });
    buildScaleFrame();
    installDrags();
    connect(Text1, &QPlainTextEdit::textChanged, this, &Form1::Text1_Change);
    connect(img4Way, &PadImage::mouseUp, this, &Form1::img4Way_MouseUp);

    Form_Load();
}

Form1::~Form1() = default;

void Form1::Form_Load()
{
    model_.formLoad();
    lstMenu2->addItems(model_.lstMenu2.items);
    lstMenu1->addItems(model_.lstMenu1.items);
    // The menus show every item without a scroll bar.
    for (auto [list, st] : {std::pair{lstMenu1, &model_.lstMenu1}, std::pair{lstMenu2, &model_.lstMenu2}}) {
        const int rows = list->count() * list->sizeHintForRow(0) + 2 * list->frameWidth() + 2;
        const int cols = list->sizeHintForColumn(0) + 2 * list->frameWidth() + 8;
        st->rect.Height = twips::fromPixelsY(rows);
        st->rect.Width = twips::fromPixelsX(cols);
    }
    // Maximised; without a window manager the screen's area stands in for it.
    if (const QScreen* sc = screen()) setGeometry(sc->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
    refresh();
}

void Form1::lstMenu1_Click()
{
    const auto* item = lstMenu1->currentItem();
    const QString text = item ? item->text() : QString();
    guarded(shell_.dialogs(), [&] { MainMenu(*this).pick(text); });
    refresh();
}

void Form1::lstMenu2_Click()
{
    const auto* item = lstMenu2->currentItem();
    const QString text = item ? item->text() : QString();
    guarded(shell_.dialogs(), [&] { MainMenu(*this).pickPicture(text); });
    refresh();
}

void Form1::Image1_MouseUp(int button, int shift, float x, float y)
{
    guarded(shell_.dialogs(), [&] { MainMenu(*this).mapClick(button, shift, x, y); });
    refresh();
}

void Form1::img4Way_MouseUp(int, int, float x, float y)
{
    guarded(shell_.dialogs(), [&] { padClick(model_, shell_.dialogs(), view_, x, y); });
    refresh();
}

void Form1::ZoomPic(double ZoomPercent)
{
    corv::ZoomPic(model_, ZoomPercent);
    refresh();
}

void Form1::ScrollPic(std::int16_t ScrollMode)
{
    corv::ScrollPic(model_, ScrollMode);
    refresh();
}

void Form1::Form_Resize(bool newPicture)
{
    corv::Form_Resize(model_, view_, 0, 0, twips::fromPixelsX(width()), twips::fromPixelsY(height()), newPicture);
    fitNaturalSize(model_, picture_.image().size());
    refresh();
}

void Form1::setPicture(MapPicture picture)
{
    picture_ = std::move(picture);
    model_.Image1.hasPicture = !picture_.isNull();
    fitNaturalSize(model_, picture_.image().size());
    refresh();
}

void Form1::refresh()
{
    setWindowTitle(model_.caption);
    UserControlPic1->setGeometry(toPixels(model_.UserControlPic1));
    const TwipRect& window = model_.UserControlPic1;
    keepInside(model_.frameScaleRect, model_.frameScaleVisible, window);
    keepInside(model_.lstMenu1.rect, model_.lstMenu1.Visible, window);
    keepInside(model_.lstMenu2.rect, model_.lstMenu2.Visible, window);
    keepInside(model_.Text1.rect, model_.Text1.Visible, window);
    const QRect imageArea = imagePixels(model_.Image1.rect, UserControlPic1->rect());
    Image1->setGeometry(imageArea);
    Image1->setVisible(!imageArea.isEmpty());
    // Repaint the picture only when what it shows moved or changed: a repaint of the
    // picture also repaints every segment drawn above it.
    const ImageView shown{model_.Image1.rect.Left, model_.Image1.rect.Top, model_.Image1.rect.Width,
                          model_.Image1.rect.Height, model_.Image1.Stretch, picture_.image().cacheKey()};
    if (shown != shownImage_) {
        shownImage_ = shown;
        Image1->update();
    }
    img4Way->setGeometry(toPixels(view_.img4Way));
    img4Way->setVisible(model_.padVisible);
    img4Way->raise();
    Image1->setCursor(model_.Image1.MousePointer == 2 ? Qt::CrossCursor : Qt::ArrowCursor);
    overlay->setGeometry(UserControlPic1->rect());
    overlay->updateChanged();

    syncText1();
    Text1->setGeometry(toPixels(model_.Text1.rect));
    if (model_.Text1.Visible && !Text1->isVisible()) Text1->raise();
    Text1->setVisible(model_.Text1.Visible);

    auto placeList = [](QListWidget* w, const ListState& st) {
        QRect r = toPixels(st.rect);
        w->setGeometry(r);
        w->setVisible(st.Visible);
        if (st.Visible) w->raise();
    };
    placeList(lstMenu2, model_.lstMenu2);
    placeList(lstMenu1, model_.lstMenu1);
    syncLabels();
    refreshScaleFrame();
    refreshDrags();
}

void Form1::syncText1()
{
    const QString& text = model_.Text1.Text;
    QSignalBlocker block(Text1);
    bool changed = false;
    if (text.size() > shownText_.size() && text.startsWith(shownText_) && !shownText_.endsWith(QLatin1Char('\r'))) {
        // Lines were added: insert only them (a CR LF becomes one line break).
        const QString tail = text.mid(shownText_.size());
        QTextCursor end(Text1->document());
        end.movePosition(QTextCursor::End);
        end.insertText(tail);
        shownText_ += tail;
        changed = true;
    } else if (text.size() != shownText_.size() || text != shownText_) {
        Text1->setPlainText(text);
        shownText_ = QString(text.constData(), text.size());
        changed = true;
    }
    if (!changed && model_.Text1.SelStart == shownSelStart_) return;
    // The model counts CR LF as two characters, the box as one.
    QTextCursor c = Text1->textCursor();
    const int sel = model_.Text1.SelStart;
    if (sel >= text.size()) {
        c.movePosition(QTextCursor::End);
    } else {
        const int pos = sel - static_cast<int>(QStringView(text).left(std::max(sel, 0)).count(QLatin1Char('\r')));
        c.setPosition(std::clamp(pos, 0, Text1->document()->characterCount() - 1));
    }
    Text1->setTextCursor(c);
    shownSelStart_ = sel;
}

void Form1::Text1_Change()
{
    QString t = Text1->toPlainText();
    const int pos = Text1->textCursor().position();
    const auto breaksBefore = QStringView(t).left(pos).count(QLatin1Char('\n'));
    t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    model_.Text1.Text = t;
    model_.Text1.SelStart = pos + static_cast<int>(breaksBefore);
    shownText_ = QString(t.constData(), t.size());
    shownSelStart_ = model_.Text1.SelStart;
}

void Form1::syncLabels()
{
    while (Label1.size() < model_.Label1.size()) {
        auto* l = new QLabel(UserControlPic1);
        l->setObjectName(QStringLiteral("Label1(%1)").arg(Label1.size()));
        Label1.push_back(l);
    }
    while (Label1.size() > model_.Label1.size() && Label1.size() > 1) {
        delete Label1.back();
        Label1.pop_back();
    }
    for (std::size_t i = 0; i < Label1.size(); ++i) {
        const MapLabel& m = model_.Label1[i];
        QLabel* l = Label1[i];
        // Captions keep CR LF (the report's line ends); the label breaks lines at LF.
        QString caption = m.Caption;
        caption.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (l->textFormat() != Qt::PlainText) l->setTextFormat(Qt::PlainText);
        if (l->text() != caption) l->setText(caption);
        QRect r = toPixels(m.rect);
        r.setSize(r.size().expandedTo(l->sizeHint()));
        l->setGeometry(r);
        if (m.Visible && !l->isVisible()) l->raise();
        l->setVisible(m.Visible);
    }
}

void Form1::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit unloaded();
}

void Form1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

MapImage::MapImage(Form1& form, QWidget* parent) : QWidget(parent), form_(form)
{
    // Every pixel of the control is painted, so the viewport is not filled beneath it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void MapImage::paintEvent(QPaintEvent* event)
{
    // Only the exposed part of the picture is drawn, scaled from its source rectangle.
    QPainter p(this);
    if (form_.picture().isNull()) {
        p.fillRect(event->rect(), Qt::white);  // no picture: blank paper
        return;
    }
    if (form_.picture().image().hasAlphaChannel()) p.fillRect(event->rect(), Qt::white);
    const QRect exposed = event->rect().translated(pos());
    paintPicture(p, form_.picture(), form_.model().Image1.rect, form_.model().Image1.Stretch, exposed, pos());
}

void MapImage::mouseReleaseEvent(QMouseEvent* event)
{
    const int button = mouseButtonCode(event->button());
    const int shift = mouseShiftCode(event->modifiers());
    // The control covers only the visible part of the image: positions are made
    // relative to the image's own top-left corner.
    const QPointF at = event->position() + QPointF(pos());
    const TwipRect& image = form_.model().Image1.rect;
    form_.Image1_MouseUp(button, shift, static_cast<float>(twips::fromPixelsX(at.x()) - image.Left),
                         static_cast<float>(twips::fromPixelsY(at.y()) - image.Top));
}

MapOverlay::MapOverlay(Form1& form, QWidget* parent) : QWidget(parent), form_(form)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void MapOverlay::updateChanged()
{
    const MapModel& m = form_.model();
    QRegion dirty;
    int changed = 0;
    auto mark = [&](const Segment& seg) {
        if (seg.Visible && changed <= 64) dirty += segmentBounds(seg).toAlignedRect();
    };
    std::size_t i = 0;
    // Walk the drawn and the current segments side by side; both are in index order.
    m.Line1.forEach([&](long index, const Segment& s) {
        if (i < drawn_.size() && drawn_[i].index == index && sameSegment(drawn_[i].seg, s)) {
            ++i;
            return;
        }
        ++changed;
        mark(s);
        if (i < drawn_.size()) {
            mark(drawn_[i].seg);
            drawn_[i] = {index, s};
        } else {
            drawn_.push_back({index, s});
        }
        ++i;
    });
    for (std::size_t k = i; k < drawn_.size(); ++k, ++changed) mark(drawn_[k].seg);
    drawn_.resize(i);
    for (auto [now, was] : {std::pair{&m.Shape1, &shape1_}, std::pair{&m.Shape2, &shape2_}}) {
        if (sameMarker(*now, *was)) continue;
        dirty += toPixels(was->rect).adjusted(-1, -1, 1, 1);
        dirty += toPixels(now->rect).adjusted(-1, -1, 1, 1);
        *was = *now;
    }
    // Many changes at once (a zoom, a cleared map): one whole repaint is cheaper than
    // a region of hundreds of rectangles.
    if (changed > 64) update();
    else if (!dirty.isEmpty()) update(dirty);
}

void MapOverlay::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    const MapModel& m = form_.model();
    const QRectF dirty(event->rect());
    // One pass over the segments; those outside the exposed part are skipped.
    m.Line1.forEach([&](long, const Segment& s) {
        if (!s.Visible || !dirty.intersects(segmentBounds(s))) return;
        QPen pen(QColor::fromRgb(s.BorderColor));
        pen.setWidth(s.BorderWidth);
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        p.drawLine(startPixels(s), endPixels(s));
    });
    p.setPen(QPen(Qt::red, 1));
    for (const Marker* mk : {&m.Shape1, &m.Shape2})
        if (mk->Visible) p.drawRect(toPixels(mk->rect));
}

}  // namespace corv
