// The GUI against the real simulated drive: connect, read, edit a value, send
// everything, save, and compare the file with what veld-para reads.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>

#include "FileDialogAnswerer.h"
#include "FormFixture.h"
#include "ToolProcess.h"
#include "form/CValueDecDlg.h"
#include "serial/PortMap.h"

using namespace std::chrono_literals;

class EndToEndTest : public QObject {
    Q_OBJECT
  private slots:
    void operatorReadsEditsSendsAndSaves() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QString wireLog = dir.filePath("wire.log");
        auto sim = std::make_unique<ToolProcess>(
            std::vector<std::string>{VELD_DRIVE_SIM_PATH, "--log", wireLog.toStdString()},
            dir.filePath("sim").toStdString());
        QVERIFY(sim->WaitForStdout("\n", 10s));
        std::string pty = sim->Stdout().substr(0, sim->Stdout().find('\n'));
        PortMap::Clear();
        PortMap::AddMapping("COM15=" + pty);

        FormFixture f;
        f.Click(1024);
        QVERIFY(f.View().Port().IsConnected());
        f.Click(1028);
        // The grid shows the drive's values: its acceleration time is not 0.
        QTRY_VERIFY_WITH_TIMEOUT(f.Grid()->TextMatrix(7, 2) != "0  ", 10000);
        QCOMPARE(f.Grid()->TextMatrix(7, 2),
                 QStringLiteral("%1  ").arg(ParamTable::Instance().GetParamValue(20)));

        // Parameter 20 through the decimal dialog.
        CMSFlexGrid* grid = f.Grid();
        QPoint cell = grid->visualItemRect(grid->item(7, 2)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
        AnswerValueDialog("750");
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(ParamTable::Instance().GetParamValue(20), 750);
        QTRY_VERIFY_WITH_TIMEOUT(FileContents(wireLog).contains("#0.PSV"), 10000);
        QByteArray log = FileContents(wireLog);
        qsizetype write = log.indexOf("#0.PWR 20 750");
        QVERIFY(write > 0);
        QVERIFY(log.indexOf("#0.COP", write) > write);
        QVERIFY(log.indexOf("#0.PSV", write) > log.indexOf("#0.COP", write));
        QTRY_COMPARE_WITH_TIMEOUT(f.Grid()->TextMatrix(7, 2), "750  ", 5000);

        f.Click(1036);
        QTRY_VERIFY_WITH_TIMEOUT(FileContents(wireLog).count("#0.PSV") == 2, 10000);
        QVERIFY(FileContents(wireLog).contains("#0.PWR 61 "));

        QString saved = dir.filePath("gui.par");
        {
            FileDialogAnswerer answerer(saved);
            f.Frame().Command(57603)->trigger();
        }
        f.Click(1024);
        QVERIFY(!f.View().Port().IsConnected());

        QString read = dir.filePath("para.par");
        ToolProcess para({VELD_PARA_PATH, "-p", pty, "-q", "read", "-o", read.toStdString()},
                         dir.filePath("para").toStdString());
        QCOMPARE(para.Wait(30s), 0);
        QCOMPARE(FileContents(saved).size(), 1220);
        QCOMPARE(FileContents(saved), FileContents(read));
        PortMap::Clear();
    }
};

QTEST_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
