// The map picture menu and the pad, clicked through as a user would: load, zoom,
// scroll, save as JPEG and bitmap, copy and paste, speed and failures.
#include <QClipboard>
#include <QImageReader>

#include "common/module1.h"
#include "map/picture/picture_check.h"
#include "map/map_window.h"
#include "support/failing_save_device.h"

using namespace corv;
using namespace corv::test;

class PictureMenuWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MapWindow> w_;
    const TwipRect& image() { return w_->m().Image1.rect; }
    double centredLeft() { return (w_->m().UserControlPic1.Width - image().Width) / 2; }
    // A click on the pad at a fraction of its width and height.
    void padClick(double fx, double fy)
    {
        QWidget* pad = w_->c("img4Way");
        QTest::mouseClick(pad, Qt::LeftButton, {}, QPoint(int(pad->width() * fx), int(pad->height() * fy)));
    }

private slots:
    void initTestCase()
    {
        w_ = std::make_unique<MapWindow>();
        QImage scan(1200, 900, QImage::Format_RGB32);  // light grey ground, a dark square at its centre
        scan.fill(qRgb(200, 200, 200));
        for (int y = 440; y < 460; ++y)
            for (int x = 590; x < 610; ++x) scan.setPixel(x, y, qRgb(20, 90, 40));
        QVERIFY(scan.save(w_->dir.filePath("scan.bmp")));
        // One reader limit was set when the program started. A picture that fails to
        // load, a damaged metafile among them, keeps the map: map_picture_cancels.scn.
        QCOMPARE(qint64(QImageReader::allocationLimit()), pictureMemoryLimit() / (1024 * 1024));
    }

    void loadZoomScrollSaveCopy()
    {
        MapWindow& w = *w_;
        w.dialogs->answerFile(w.dir.filePath("scan.bmp"));
        w.pictureMenu("Load Map File");
        QCOMPARE(QSizeF(image().Width, image().Height), QSizeF(18000, 13500));  // natural size, centred
        QCOMPARE(image().Left, centredLeft());
        const QPoint centre = w.c("UserControlPic1")->geometry().center();
        QVERIFY(near(w.form->grab().toImage().pixel(centre), qRgb(20, 90, 40), 0));

        // Zoom in with the pad, the centre staying (the pad's regions and steps: view_test.cpp).
        padClick(0.85, 0.2);
        QCOMPARE(float(image().Width), 18900.0f);
        QVERIFY(near(w.form->grab().toImage().pixel(centre), qRgb(20, 90, 40), 0));
        // Zoomed in past half the scale, "Set Scale" first brings back the natural size and scale 1.
        w.m().s.scrollSpeed = 0.5f;
        padClick(0.85, 0.2);
        padClick(0.85, 0.2);
        QVERIFY(w.m().s.scaleX < 0.5f && image().Width > 40000);
        w.menu("Set Scale");
        QCOMPARE(std::tuple(image().Width, image().Height, w.m().s.scaleX, w.m().s.scaleY), std::tuple(18000., 13500., 1.f, 1.f));
        QCOMPARE(std::pair(image().Left, w.m().s.traceMode), std::pair(centredLeft(), std::int16_t(0)));

        // Saved under a name not ending .jpg (JPEG: picture_menu.scn): a bitmap file of
        // exactly the captured client area, without the pad, which then comes back.
        const QPoint padCentre = w.c("img4Way")->geometry().center() + w.c("UserControlPic1")->pos();
        w.dialogs->answerFile(w.dir.filePath("map.png"));
        w.pictureMenu("Save Map Image");
        QCOMPARE(w.dialogs->asked().back().extra, QStringLiteral("Corvan0.jpg"));
        QVERIFY(w.c("img4Way")->isVisible());
        const QImage capture = w.form->Picture2->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(QImage(w.dir.filePath("map.png"), "bmp").convertToFormat(QImage::Format_RGB32), capture);
        QCOMPARE(readAll(w.dir.filePath("map.png")).at(28), char(24));  // 24 bits per pixel
        QVERIFY(capture.size() == w.form->size() && near(capture.pixel(padCentre), qRgb(200, 200, 200), 0) &&
                near(capture.pixel(centre), qRgb(20, 90, 40), 0));

        // Copy to the clipboard, read it back, paste it as the new map: figures go, centred.
        w.pictureMenu("Copy to Clipboard");
        QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), capture);
        w.m().s.areaCount = 2;
        w.m().Line1.load(1).Visible = true;
        w.pictureMenu("Paste From Clipboard");
        QCOMPARE(w.form->picture().image().size(), w.form->size());
        QVERIFY(w.m().s.areaCount == 0 && !w.m().Line1.exists(1) && image().Left == centredLeft());
        QVERIFY(w.dialogs->messages().empty());
    }

    // A failed "Save Map Image" says why (the file and the reason), brings the pad
    // back and leaves the earlier file as it was. Each failure of each writer:
    // jpeg_writer_test.cpp, picture_menu_test.cpp, save_file_test.cpp.
    void failedSavesSayWhyAndKeepThePad()
    {
        MapWindow& w = *w_;
        const QString path = writeFile(w.dir.filePath("full.bmp"), "an older map picture");
        w.dialogs->answerFile(path);
        {
            FailingSaveDevice full(FailingSaveDevice::Point::Byte, 1000);
            const ScopedSaveDevice scoped(full);
            w.pictureMenu("Save Map Image");
        }
        QCOMPARE(w.dialogs->messages().back(), "Path/File access error: " + path + " could not be saved (No space left on device).");
        QVERIFY(w.c("img4Way")->isVisible() && w.m().padVisible);
        QCOMPARE(readAll(path), QByteArray("an older map picture"));
        const std::size_t shown = w.dialogs->messages().size();  // Cancel says nothing
        w.dialogs->answerFile(std::nullopt);
        w.pictureMenu("Save Map Image");
        QVERIFY(w.dialogs->messages().size() == shown && w.c("img4Way")->isVisible());
    }

    void speedClearAndCancel()
    {
        MapWindow& w = *w_;
        w.dialogs->answerInput(QStringLiteral("0.2 fast"));
        w.pictureMenu("Scroll/Zoom Speed");
        const auto& asked = w.dialogs->asked().back();
        QCOMPARE(asked.text + "|" + asked.title + "|" + asked.extra, QStringLiteral("Enter scoll/zoom factor:|Scroll/Zoom Speed|0.5"));  // the speed in force
        QCOMPARE(w.m().s.scrollSpeed, 0.2f);

        // A load that fails or is cancelled keeps the picture and figures; a new picture
        // takes them with its scale: tests/scenarios/map_picture_cancels.scn.
        w.pictureMenu("Clear Map Image");
        QVERIFY(w.form->picture().isNull());

        w.pictureMenu("Cancel");  // the map pages: form4_window_test.cpp
        QCOMPARE(w.dialogs->unanswered(), 0);
    }

    void cleanupTestCase() { w_.reset(); }
};

QTEST_MAIN(PictureMenuWindowTest)
#include "picture_menu_window_test.moc"
