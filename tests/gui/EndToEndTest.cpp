// The GUI against the real simulated drive: connect, read, edit a value, send
// everything, save, and compare the file with what veld-para reads.
#include <QTest>

#include "FileDialogAnswerer.h"
#include "FormFixture.h"
#include "SimulatedDrive.h"

class EndToEndTest : public QObject {
    Q_OBJECT
  private slots:
    void operatorReadsEditsSendsAndSaves() {
        SimulatedDrive drive;
        QVERIFY(drive.Started());
        FormFixture f;
        f.Click(1024);
        QVERIFY(f.View().Port().IsConnected());
        f.Click(1028);
        // The grid shows the drive's values: its acceleration time is not 0.
        QTRY_VERIFY_WITH_TIMEOUT(f.Grid()->TextMatrix(7, 2) != "0  ", 10000);
        QCOMPARE(f.Grid()->TextMatrix(7, 2),
                 QStringLiteral("%1  ").arg(ParamTable::Instance().GetParamValue(20)));

        // Parameter 20 through the decimal dialog: written, applied and saved.
        {
            ValueDialogAnswerer answerer("750");
            f.EditCell(7);
        }
        QCOMPARE(ParamTable::Instance().GetParamValue(20), 750);
        QTRY_VERIFY_WITH_TIMEOUT(drive.WireLines().contains("#0.PSV"), 10000);
        QStringList wire = drive.WireLines();
        QCOMPARE(wire.mid(wire.indexOf("#0.PWR 20 750"), 3),
                 QStringList({"#0.PWR 20 750", "#0.COP", "#0.PSV"}));
        QTRY_COMPARE_WITH_TIMEOUT(f.Grid()->TextMatrix(7, 2), "750  ", 5000);

        f.Click(1036);
        QTRY_COMPARE_WITH_TIMEOUT(drive.WireLines().count("#0.PSV"), 2, 10000);
        QVERIFY(FileContents(drive.FilePath("wire.log")).contains("#0.PWR 61 "));

        QString saved = drive.FilePath("gui.par");
        {
            FileDialogAnswerer answerer(saved);
            f.Frame().Command(57603)->trigger();
        }
        f.Click(1024);
        QVERIFY(!f.View().Port().IsConnected());

        QString read = drive.FilePath("para.par");
        QCOMPARE(drive.Para({"read", "-o", read.toStdString()}), 0);
        QCOMPARE(FileContents(saved).size(), 1220);
        QCOMPARE(FileContents(saved), FileContents(read));
    }
};

QTEST_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
