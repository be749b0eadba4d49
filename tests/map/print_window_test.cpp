// "Print" in the picture menu. With no printer it says so; with the cups-pdf queue that
// tests/map/print_test.sh sets up (CORVANTINE_PRINT_QUEUE) it prints the map window.
#include <QListWidget>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "app/program.h"
#include "map/form1.h"
#include "map/picture_menu.h"
#include "support/widget_lookup.h"

using corv::test::control;

class PrintWindowTest : public QObject {
    Q_OBJECT

    void printFromTheMenu(corv::Form1* form)
    {
        auto* menu = control<QListWidget>(form, "lstMenu2");
        form->model().lstMenu2.Visible = true;
        form->refresh();
        const auto items = menu->findItems("Print", Qt::MatchExactly);
        QVERIFY(!items.isEmpty());
        menu->setCurrentItem(items.first());
        emit menu->itemClicked(items.first());
    }

private slots:
    void printsTheMapWindow()
    {
        const QString queue = qEnvironmentVariable("CORVANTINE_PRINT_QUEUE");
        const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
        if (queue.isEmpty() && !printer.isNull())
            QSKIP("A default printer exists but no cups-pdf test queue: run tests/map/print_test.sh to print");

        QTemporaryDir dir;
        auto dialogs = std::make_unique<corv::ScriptedDialogs>();
        corv::ScriptedDialogs* asked = dialogs.get();
        corv::Program program(dir.path(), std::move(dialogs));
        corv::Form1* form = program.form1();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        // Clearly wider than tall, so the printed page shows its orientation.
        form->showNormal();
        form->resize(900, 500);
        QImage scan(900, 700, QImage::Format_RGB32);
        scan.fill(qRgb(230, 220, 180));
        QVERIFY(scan.save(dir.filePath("scan.bmp")));
        asked->answerFile(dir.filePath("scan.bmp"));
        form->model().lstMenu2.Visible = true;
        form->refresh();
        auto* menu = control<QListWidget>(form, "lstMenu2");
        menu->setCurrentRow(0);  // "Load Map File"
        emit menu->itemClicked(menu->currentItem());
        QCOMPARE(form->picture().width(), 900);

        printFromTheMenu(form);
        QVERIFY(control(form, "img4Way")->isVisible());
        if (queue.isEmpty()) {
            // No printer configured: the user is told, nothing else happens.
            QCOMPARE(asked->messages(), std::vector<QString>{QString::fromLatin1(corv::kNoPrinterMessage)});
            return;
        }
        QCOMPARE(printer.printerName(), queue);
        QCOMPARE(asked->messages(), std::vector<QString>{});  // the job went to the queue
    }
};

QTEST_MAIN(PrintWindowTest)
#include "print_window_test.moc"
