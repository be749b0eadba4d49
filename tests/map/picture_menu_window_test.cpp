// The map picture menu and the pad, clicked through as a user would: load, zoom,
// scroll, save as JPEG and bitmap, copy and paste, speed, lock and failures.
#include <QClipboard>
#include <QGuiApplication>
#include <QImageReader>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "app/program.h"
#include "common/module1.h"
#include "map/form1.h"
#include "map/picture_menu.h"
#include "support/widget_lookup.h"

using corv::test::control;

namespace {
void pick(QListWidget* list, const QString& text)
{
    const auto items = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!items.isEmpty(), qPrintable(text));
    list->setCurrentItem(items.first());
    emit list->itemClicked(items.first());
}

bool near(QRgb c, QRgb want, int tolerance)
{
    return std::abs(qRed(c) - qRed(want)) <= tolerance && std::abs(qGreen(c) - qGreen(want)) <= tolerance &&
           std::abs(qBlue(c) - qBlue(want)) <= tolerance;
}
}  // namespace

class PictureMenuWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<corv::Program> program_;
    corv::ScriptedDialogs* dialogs_ = nullptr;
    corv::Form1* form_ = nullptr;

    // Right click on the map, "Load/Save Map", then the picture menu item.
    void pictureMenu(const QString& item)
    {
        QWidget* image = control(form_, "Image1");
        QWidget* target = image->isVisible() ? image : control(form_, "UserControlPic1");
        QTest::mouseClick(target, Qt::RightButton, {}, QPoint(5, 5));
        pick(control<QListWidget>(form_, "lstMenu1"), "Load/Save Map");
        auto* menu = control<QListWidget>(form_, "lstMenu2");
        QVERIFY(menu->isVisible());
        pick(menu, item);
        QVERIFY(!menu->isVisible());
        QCOMPARE(form_->windowTitle(), QStringLiteral("Mouse Right Click for menu..."));
    }

    // A click on the pad at a fraction of its width and height.
    void padClick(double fx, double fy, Qt::MouseButton button = Qt::LeftButton)
    {
        QWidget* pad = control(form_, "img4Way");
        QVERIFY(pad->isVisible());
        QTest::mouseClick(pad, button, {}, QPoint(int(pad->width() * fx), int(pad->height() * fy)));
    }

    const corv::TwipRect& image() { return form_->model().Image1.rect; }
    const corv::TwipRect& viewport() { return form_->model().UserControlPic1; }

private slots:
    void initTestCase()
    {
        auto dialogs = std::make_unique<corv::ScriptedDialogs>();
        dialogs_ = dialogs.get();
        program_ = std::make_unique<corv::Program>(dir_.path(), std::move(dialogs));
        form_ = program_->form1();
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_));

        // A 1200 x 900 scan: light grey ground, a dark square at its centre.
        QImage scan(1200, 900, QImage::Format_RGB32);
        scan.fill(qRgb(200, 200, 200));
        for (int y = 440; y < 460; ++y)
            for (int x = 590; x < 610; ++x) scan.setPixel(x, y, qRgb(20, 90, 40));
        QVERIFY(scan.save(dir_.filePath("scan.bmp")));
    }

    void loadZoomScrollSaveCopy()
    {
        dialogs_->answerFile(dir_.filePath("scan.bmp"));
        pictureMenu("Load Map File");
        const auto& asked = dialogs_->asked().back();
        QCOMPARE(asked.kind, corv::ScriptedDialogs::Asked::File);
        QCOMPARE(asked.file.filter, QString::fromLatin1(corv::kLoadFilter));
        QCOMPARE(asked.file.initDir, QDir::cleanPath(dir_.path()));
        QCOMPARE(form_->picture().width(), 1200);
        // Natural size, centred.
        QCOMPARE(image().Width, 18000.0);
        QCOMPARE(image().Height, 13500.0);
        QCOMPARE(image().Left, (viewport().Width - 18000) / 2);
        QCOMPARE(image().Top, (viewport().Height - 13500) / 2);
        QVERIFY(!form_->model().Image1.Stretch);
        // The window shows the picture's centre at the viewport's centre.
        QImage shown = form_->grab().toImage();
        const QPoint centre = control(form_, "UserControlPic1")->geometry().center();
        QVERIFY(near(shown.pixel(centre), qRgb(20, 90, 40), 0));

        // Zoom in with the pad, out again with the right button.
        padClick(0.85, 0.2);
        QCOMPARE(float(image().Width), 18900.0f);
        QVERIFY(form_->model().Image1.Stretch);
        QCOMPARE(form_->model().s.scaleX, float(1 / 1.05));
        shown = form_->grab().toImage();
        QVERIFY(near(shown.pixel(centre), qRgb(20, 90, 40), 0));
        padClick(0.85, 0.8, Qt::RightButton);
        QVERIFY(std::abs(image().Width - 18000) < 0.01);
        QVERIFY(std::abs(form_->model().s.scaleX - 1.0f) < 1e-6f);

        // Scroll: the picture moves down by a twentieth of the viewport.
        const double top = image().Top;
        padClick(0.33, 0.1);
        QVERIFY(std::abs(image().Top - (top + viewport().Height * 0.05)) < 0.01);
        padClick(0.33, 0.5);  // centre again
        QCOMPARE(image().Top, (viewport().Height - image().Height) / 2);

        // Save as JPEG under an upper-case name: the window's client area without the pad.
        QWidget* pad = control(form_, "img4Way");
        const QPoint padCentre = pad->geometry().center() + control(form_, "UserControlPic1")->pos();
        QVERIFY(!near(form_->grab().toImage().pixel(padCentre), qRgb(200, 200, 200), 10));
        dialogs_->answerFile(dir_.filePath("map.JPG"));
        pictureMenu("Save Map Image");
        QCOMPARE(dialogs_->asked().back().extra, QStringLiteral("Corvan0.jpg"));
        QCOMPARE(dialogs_->asked().back().file.filter, QString::fromLatin1(corv::kSaveFilter));
        QVERIFY(pad->isVisible());
        QImageReader jpeg(dir_.filePath("map.JPG"));
        QCOMPARE(jpeg.format(), QByteArray("jpeg"));
        const QImage saved = jpeg.read();
        QCOMPARE(saved.size(), form_->size());
        QVERIFY(near(saved.pixel(padCentre), qRgb(200, 200, 200), 12));
        QVERIFY(near(saved.pixel(centre), qRgb(20, 90, 40), 12));

        // Save as a bitmap file whatever the extension: exactly the captured picture.
        dialogs_->answerFile(dir_.filePath("map.png"));
        pictureMenu("Save Map Image");
        QFile bmp(dir_.filePath("map.png"));
        QVERIFY(bmp.open(QIODevice::ReadOnly));
        QVERIFY(bmp.read(2) == "BM");
        const QImage capture = form_->Picture2->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(QImage(dir_.filePath("map.png"), "bmp").convertToFormat(QImage::Format_RGB32), capture);
        QVERIFY(!form_->Picture2->isVisible());

        // Cancel in the save dialog: nothing written, nothing said, pad still there.
        const int messages = int(dialogs_->messages().size());
        dialogs_->answerFile(std::nullopt);
        pictureMenu("Save Map Image");
        QCOMPARE(int(dialogs_->messages().size()), messages);
        QVERIFY(pad->isVisible());

        // Copy to the clipboard and read it back.
        pictureMenu("Copy to Clipboard");
        const QImage copied = QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(copied.size(), form_->size());
        QVERIFY(near(copied.pixel(centre), qRgb(20, 90, 40), 0));
        QVERIFY(near(copied.pixel(padCentre), qRgb(200, 200, 200), 0));
        QVERIFY(pad->isVisible());

        // Paste it as the new map: figures and counters go, the picture is centred.
        form_->model().s.areaCount = 2;
        form_->model().Line1.load(1).Visible = true;
        pictureMenu("Paste From Clipboard");
        QCOMPARE(form_->picture().image().size(), form_->size());
        QCOMPARE(form_->model().s.areaCount, std::int16_t(0));
        QVERIFY(!form_->model().Line1.exists(1));
        QCOMPARE(image().Left, (viewport().Width - image().Width) / 2);
        QCOMPARE(dialogs_->messages().size(), std::size_t(messages));
    }

    void speedLockAndFailures()
    {
        // Scroll/zoom speed: "0.2 fast" reads as 0.2, then 0.51 is ignored.
        dialogs_->answerInput(QStringLiteral("0.2 fast"));
        pictureMenu("Scroll/Zoom Speed");
        const auto& asked = dialogs_->asked().back();
        QCOMPARE(asked.text, QStringLiteral("Enter scoll/zoom factor:"));
        QCOMPARE(asked.title, QStringLiteral("Scroll/Zoom Speed"));
        QCOMPARE(asked.extra, QStringLiteral("0.05"));
        QCOMPARE(form_->model().s.scrollSpeed, 0.2f);
        dialogs_->answerInput(QStringLiteral("0.51"));
        pictureMenu("Scroll/Zoom Speed");
        QCOMPARE(form_->model().s.scrollSpeed, 0.2f);
        dialogs_->answerInput(std::nullopt);
        pictureMenu("Scroll/Zoom Speed");
        QCOMPARE(form_->model().s.scrollSpeed, 0.2f);

        // The locked pad says so and changes nothing.
        dialogs_->clear();
        form_->model().s.panZoomAllowed = false;
        const corv::TwipRect before = image();
        padClick(0.85, 0.2);
        QCOMPARE(dialogs_->messages(), std::vector<QString>{"No resizing or scrolling after scale has been set"});
        QCOMPARE(image().Width, before.Width);
        form_->model().s.panZoomAllowed = true;

        // A file that is no picture: its error, the pad back, the old picture kept.
        dialogs_->clear();
        QFile notes(dir_.filePath("notes.jpg"));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("not a picture");
        notes.close();
        const QSize old = form_->picture().image().size();
        dialogs_->answerFile(dir_.filePath("notes.jpg"));
        pictureMenu("Load Map File");
        QCOMPARE(dialogs_->messages(), std::vector<QString>{"Invalid picture"});
        QVERIFY(control(form_, "img4Way")->isVisible());
        QCOMPARE(form_->picture().image().size(), old);

        // Cancel in the load dialog: an empty map, centred.
        dialogs_->answerFile(std::nullopt);
        pictureMenu("Load Map File");
        QVERIFY(form_->picture().isNull());
        QCOMPARE(image().Left, (viewport().Width - image().Width) / 2);

        // Clear Map Image after loading a metafile.
        dialogs_->answerFile(QStringLiteral(TEST_DATA_DIR "/sample.wmf"));
        pictureMenu("Load Map File");
        QCOMPARE(form_->picture().width(), 96);
        pictureMenu("Clear Map Image");
        QVERIFY(form_->picture().isNull());

        // Map pages only set the shared flags here.
        pictureMenu("Big Google Maps");
        QVERIFY(corv::Module1::bigMapPage);
        QVERIFY(!corv::Module1::usgsViewerPage);
        pictureMenu("USGS Map Viewer");
        QVERIFY(!corv::Module1::bigMapPage);
        QVERIFY(corv::Module1::usgsViewerPage);
        pictureMenu("Google Map Lat/Long");
        QVERIFY(!corv::Module1::bigMapPage && !corv::Module1::usgsViewerPage);
        pictureMenu("Cancel");
        QCOMPARE(dialogs_->unanswered(), 0);
    }

    void resizingKeepsTheImagePlace()
    {
        const corv::TwipRect before = image();
        form_->showNormal();
        form_->resize(500, 400);
        QCOMPARE(image().Left, before.Left);
        QCOMPARE(image().Top, before.Top);
        QWidget* pad = control(form_, "img4Way");
        QCOMPARE(pad->geometry().bottomRight(), control(form_, "UserControlPic1")->rect().bottomRight());
    }

    void cleanupTestCase()
    {
        program_.reset();
    }
};

QTEST_MAIN(PictureMenuWindowTest)
#include "picture_menu_window_test.moc"
