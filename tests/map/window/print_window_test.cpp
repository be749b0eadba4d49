// "Print" in the picture menu. With no printer it says so; with the cups-pdf queue that
// tests/map/print_test.sh sets up (CORVANTINE_PRINT_QUEUE) it prints the map window.
#include <QPrinterInfo>

#include "map/picture/picture_menu.h"
#include "map/map_window.h"

class PrintWindowTest : public QObject {
    Q_OBJECT
private slots:
    void printsTheMapWindow()
    {
        const QString queue = qEnvironmentVariable("CORVANTINE_PRINT_QUEUE");
        const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
        if (queue.isEmpty() && !printer.isNull())
            QSKIP("A default printer exists but no cups-pdf test queue: run tests/map/print_test.sh to print");

        corv::test::MapWindow w(QSize(900, 500));  // wider than tall: the page shows its orientation
        QImage scan(900, 700, QImage::Format_RGB32);
        scan.fill(qRgb(230, 220, 180));
        QVERIFY(scan.save(w.dir.filePath("scan.bmp")));
        w.dialogs->answerFile(w.dir.filePath("scan.bmp"));
        w.pictureMenu("Load Map File");
        w.pictureMenu("Print");
        QVERIFY(w.c("img4Way")->isVisible());
        if (queue.isEmpty())  // no printer configured: the user is told, nothing else happens
            QCOMPARE(w.dialogs->messages(), std::vector<QString>{QString::fromLatin1(corv::kNoPrinterMessage)});
        else {
            QCOMPARE(printer.printerName(), queue);
            QCOMPARE(w.dialogs->messages(), std::vector<QString>{});  // the job went to the queue
        }
    }
};

QTEST_MAIN(PrintWindowTest)
#include "print_window_test.moc"
