// "국번 검색" and "포트 진단" against two simulated drives (stations 3 and 7).
#include <QClipboard>
#include <QLabel>
#include <QProgressBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QTreeWidget>
#include <csignal>

#include "FormFixture.h"
#include "Legibility.h"
#include "SimulatedDrive.h"
#include "ToolProcess.h"
#include "serial/PortDoctor.h"
#include "support/PortLocked.h"
#include "toolbox/CPortDoctorDlg.h"
#include "toolbox/CStationScanDlg.h"

using namespace std::chrono_literals;

namespace {

template <class Widget>
Widget* Child(QWidget* dialog, const char* name) {
    return dialog->findChild<Widget*>(QString::fromLatin1(name));
}

void Click(QWidget* dialog, const char* button) {
    QTest::mouseClick(Child<QPushButton>(dialog, button), Qt::LeftButton);
}

}  // namespace

class PortToolsTest : public QObject {
    Q_OBJECT
  private slots:
    // The menu opens both tools. The doctor names who holds the port; the scan needs
    // the line; cancelled, it stops (what it asks after a stop is the core scan's
    // test); run whole, it lists who answered, and the form takes the chosen one.
    void doctorNamesWhoHoldsThePortAndTheScanFindsTheDrives() {
        SimulatedDrive drive({"--ids", "3,7"});
        QVERIFY(drive.Started());
        FormFixture f;
        const std::pair<const char*, const char*> kTools[] = {{"toolStationScan", "stationScanDlg"},
                                                              {"toolPortDoctor", "portDoctorDlg"}};
        for (const auto& [action, dialogName] : kTools) {
            QCOMPARE(f.DialogOpenedBy(action), QString::fromLatin1(dialogName));
        }
        CStationScanDlg scan(
            f.View().Session(), [&](int32_t id) { f.View().UseStationId(id); }, &f.Frame());
        scan.show();
        Click(&scan, "scanStart");
        QVERIFY(!scan.IsScanning());
        QVERIFY(Child<QLabel>(&scan, "scanStatus")->text().contains("연결되어 있지 않습니다"));

        ToolProcess monitor({VELD_PARA_PATH, "-q", "-p", drive.Pty(), "monitor"},
                            drive.FilePath("monitor").toStdString());
        QVERIFY(Eventually([&] { return PortLocked(drive.Pty()); }));
        // The connect fails and lets go of the toggle; the status bar says who has the port.
        {
            MessageBoxAnswerer answerer;
            f.Click(FormId::kConnectToggle);
            QCOMPARE(answerer.Texts(), QStringList({"포트를 열수가 없습니다."}));
        }
        QVERIFY(!f.Button(FormId::kConnectToggle)->isChecked());
        QString status = f.Frame().StatusText();
        QVERIFY2(status.startsWith("포트를 열 수 없습니다: \"veld-para\" (PID "),
                 qPrintable(status));
        QStatusBar* bar = f.Frame().statusBar();
        QCOMPARE(Legibility::Problems(bar, bar->rect()), QStringList());

        CPortDoctorDlg doctor(f.View().ChosenPort(), PortDoctor(), &f.Frame());
        doctor.show();
        QString text = doctor.FindingsText();
        QVERIFY2(text.startsWith("포트: COM15 → " + QString::fromStdString(drive.Pty()) + "\n"),
                 qPrintable(text));
        QVERIFY2(text.contains("\"veld-para\" (PID ") && text.contains("kill "), qPrintable(text));
        QCOMPARE(Legibility::WindowProblems(&doctor), QStringList());
        Click(&doctor, "doctorCopy");
        QCOMPARE(QApplication::clipboard()->text(), text);
        // Once the other program has gone and the form connected, a second look
        // finds the form holding it.
        monitor.Signal(SIGINT);
        QCOMPARE(monitor.Wait(30s), 0);
        f.Click(FormId::kConnectToggle);
        Click(&doctor, "doctorAgain");
        QVERIFY2(doctor.FindingsText().contains("이 프로그램이 이미 사용 중입니다"),
                 qPrintable(doctor.FindingsText()));

        Click(&scan, "scanStart");
        QVERIFY(scan.IsScanning());
        Click(&scan, "scanStop");
        QVERIFY(!scan.IsScanning());
        // "이 국번 사용" with nothing chosen takes nothing.
        scan.OnUse();
        QVERIFY(scan.isVisible());
        Child<QSpinBox>(&scan, "scanLast")->setValue(9);
        Child<QSpinBox>(&scan, "scanWait")->setValue(300);
        Click(&scan, "scanStart");
        // The form's tick sends the lines while the dialog waits for the answers.
        QTRY_VERIFY_WITH_TIMEOUT(!scan.IsScanning(), 25000);
        auto* results = Child<QTreeWidget>(&scan, "scanResults");
        QCOMPARE(results->topLevelItemCount(), 2);
        QCOMPARE(results->topLevelItem(0)->text(0), "3");
        QCOMPARE(results->topLevelItem(1)->text(0), "7");
        QCOMPARE(Child<QProgressBar>(&scan, "scanProgress")->value(), 10);
        QVERIFY(Child<QLabel>(&scan, "scanStatus")->text().contains("2개 국번이 응답"));
        QCOMPARE(Legibility::WindowProblems(&scan), QStringList());

        // Station 7 goes to the ID field and is taken as a connect takes it.
        results->setCurrentItem(results->topLevelItem(1));
        Click(&scan, "scanUse");
        QCOMPARE(scan.result(), int(QDialog::Accepted));
        QCOMPARE(f.Edit(FormId::kStationIdEdit)->text(), "7");
        f.Click(FormId::kReadAllButton);
        QTRY_VERIFY_WITH_TIMEOUT(drive.WireLines().contains("#7.PRA"), 10000);
    }
};

QTEST_MAIN(PortToolsTest)
#include "PortToolsTest.moc"
