// The map window clicked through as a user would: the right-click menu, tracing an
// area with the mouse, the coordinate box and the area label.
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "app/program.h"
#include "common/numbers.h"
#include "common/twips.h"
#include "map/form1.h"
#include "support/widget_lookup.h"

using corv::test::control;
using corv::test::textOf;

class Form1Window : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void tracesAnAreaWithTheMouse();
    void coordinateBoxFollowsTracingUndoAndEdits();
    void menuStaysInsideTheViewportAtTheBottom();

private:
    // Clicks the item as a user would (scrolled into view first).
    void pick(const QString& text);
    void leftClick(int px, int py) { QTest::mouseClick(image(), Qt::LeftButton, {}, QPoint(px, py)); }
    void rightClick(int px, int py) { QTest::mouseClick(image(), Qt::RightButton, {}, QPoint(px, py)); }
    QWidget* image() { return control(form_, "Image1"); }
    QString boxText() { return textOf(control(form_, "Text1")); }

    std::unique_ptr<QTemporaryDir> dir_;
    corv::ScriptedDialogs* dialogs_ = nullptr;
    std::unique_ptr<corv::Program> program_;
    corv::Form1* form_ = nullptr;
};

void Form1Window::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    auto dialogs = std::make_unique<corv::ScriptedDialogs>();
    dialogs_ = dialogs.get();
    program_ = std::make_unique<corv::Program>(dir_->path(), std::move(dialogs));
    form_ = program_->form1();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_));
}

void Form1Window::cleanup()
{
    program_.reset();
    dir_.reset();
}

void Form1Window::pick(const QString& text)
{
    auto* list = control<QListWidget>(form_, "lstMenu1");
    QVERIFY2(list->isVisible(), "the menu is not shown");
    const auto found = list->findItems(text, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    list->scrollToItem(found.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.first()).center());
}

void Form1Window::tracesAnAreaWithTheMouse()
{
    // Miles at 3000 twips (200 pixels) a mile, set as an applied scale would set them.
    corv::MapState& s = form_->model().s;
    s.scaleX = s.scaleY = 1.0f / 3000;
    s.areaFactor = 1;
    s.areaUnits = " (mi^2)";

    rightClick(100, 100);
    pick("Start Area");
    QCOMPARE(form_->windowTitle(), QString("Left click area boundary..."));
    QCOMPARE(image()->cursor().shape(), Qt::CrossCursor);
    leftClick(100, 100);
    leftClick(300, 100);
    leftClick(300, 300);
    leftClick(100, 300);
    QVERIFY(control(form_, "Text1")->isVisible());
    rightClick(400, 200);
    pick("End Area/Line");

    const double H = form_->model().UserControlPic1.Height;
    auto y = [&](double twipsY) { return QString::fromStdString(corv::strSingle(static_cast<float>((H - twipsY) / 3000))); };
    const QStringList expected = {"Area1 X,Y Coordinates   (mi)",
                                  "0.5, " + y(1500),
                                  "1.5, " + y(1500),
                                  "1.5, " + y(4500),
                                  "0.5, " + y(4500),
                                  "0.5, " + y(1500)};
    const QStringList lines = boxText().split('\n');
    QCOMPARE(lines.mid(0, 6), expected);
    QCOMPARE(lines[6], "Xmin 0.5, Ymin " + y(4500) + ", Xmax 1.5, Ymax " + y(1500));
    QVERIFY2(lines[7].startsWith("Area1= 1.00 (mi^2), Perimeter= 4.00 (mi), Centroid= 1.00, "), qPrintable(lines[7]));
    QVERIFY(control(form_, "Text1")->isVisible());
    QCOMPARE(textOf(control(form_, "Label1(0)")), QString("Area1= 1.00 (mi^2), Perimeter= 4.00 (mi)"));
    QCOMPARE(image()->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(form_->windowTitle(),
             QString("Right click coordinate text box to save... or select 'Add Label' from menu"));

    // The ring is drawn in the area style: black, three pixels wide, closing edge too
    // (the coordinate box covers the top-left corner).
    const QImage shot = control(form_, "UserControlPic1")->grab().toImage();
    QCOMPARE(shot.pixelColor(300, 200), QColor(Qt::black));
    QCOMPARE(shot.pixelColor(301, 200), QColor(Qt::black));
    QCOMPARE(shot.pixelColor(200, 300), QColor(Qt::black));
    QCOMPARE(shot.pixelColor(100, 200), QColor(Qt::black));
    QCOMPARE(shot.pixelColor(200, 200), QColor(Qt::white));

    rightClick(150, 150);
    pick("Add Label");
    QVERIFY(control(form_, "Label1(0)")->isVisible());
    QCOMPARE(control(form_, "Label1(0)")->pos(), QPoint(150, 150));
    QVERIFY(dialogs_->messages().empty());
}

void Form1Window::coordinateBoxFollowsTracingUndoAndEdits()
{
    rightClick(50, 50);
    pick("Start Stream Line");
    for (int k = 0; k < 40; ++k) leftClick(50 + 5 * k, 60 + (k % 3));
    const auto& model = form_->model();
    QCOMPARE(boxText(), QString(model.Text1.Text).replace("\r\n", "\n"));
    QCOMPARE(boxText().count('\n'), 41);
    auto* box = control<QPlainTextEdit>(form_, "Text1");
    QVERIFY(box->textCursor().atEnd());

    rightClick(50, 50);
    pick("Undo Current Line");
    QCOMPARE(boxText().count('\n'), 40);
    QCOMPARE(boxText(), QString(model.Text1.Text).replace("\r\n", "\n"));

    // A line typed by the user joins the model's text, with the model's line ends.
    box->setFocus();
    box->moveCursor(QTextCursor::End);
    QTest::keyClicks(box, "note");
    QVERIFY(model.Text1.Text.endsWith("\r\nnote"));
    leftClick(300, 80);  // the next vertex goes after it and nothing typed is lost
    QVERIFY(boxText().contains("\nnote"));
    QCOMPARE(boxText(), QString(model.Text1.Text).replace("\r\n", "\n"));
}

void Form1Window::menuStaysInsideTheViewportAtTheBottom()
{
    auto* list = control<QListWidget>(form_, "lstMenu1");
    QWidget* viewport = control(form_, "UserControlPic1");
    form_->model().Image1.rect = form_->model().UserControlPic1;  // a picture as large as the viewport
    form_->refresh();
    rightClick(image()->width() - 20, image()->height() - 5);
    QVERIFY(list->isVisible());
    const int bottom = corv::twips::toPixelsY(form_->model().UserControlPic1.Height);
    QCOMPARE(list->geometry().bottom() + 1, bottom);
    QVERIFY(list->geometry().right() > viewport->width());  // nothing holds it at the right
    leftClick(10, 10);
    QVERIFY(!list->isVisible());
}

QTEST_MAIN(Form1Window)
#include "form1_window_test.moc"
