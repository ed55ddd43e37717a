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
    void init() {
        m_drive = std::make_unique<SimulatedDrive>(std::vector<std::string>{"--ids", "3,7"});
        QVERIFY(m_drive->Started());
    }
    void cleanup() { m_drive.reset(); }

    // The menu opens both tools. A scan needs the line; cancelled, it stops (what it
    // asks after a stop is the core scan's test); run whole, it lists who answered.
    void scanListsTheDrivesAndTheFormTakesTheChosenId() {
        FormFixture f;
        const std::pair<const char*, const char*> kTools[] = {{"toolStationScan", "stationScanDlg"},
                                                              {"toolPortDoctor", "portDoctorDlg"}};
        for (const auto& [action, dialogName] : kTools) {
            QString opened;
            QTimer::singleShot(0, [&] {
                QWidget* dialog = QApplication::activeModalWidget();
                if (!dialog) return;
                opened = dialog->objectName();
                dialog->close();
            });
            f.Frame().findChild<QAction*>(QString::fromLatin1(action))->trigger();
            QCOMPARE(opened, QString::fromLatin1(dialogName));
        }

        CStationScanDlg dialog(
            f.View().Port(), f.View().Queue(), [&](int32_t id) { f.View().UseStationId(id); },
            &f.Frame());
        dialog.show();
        Click(&dialog, "scanStart");
        QVERIFY(!dialog.IsScanning());
        QVERIFY(Child<QLabel>(&dialog, "scanStatus")->text().contains("연결되어 있지 않습니다"));
        QVERIFY(!f.View().Queue().HasPending());
        f.Click(1024);
        Click(&dialog, "scanStart");
        QVERIFY(dialog.IsScanning());
        Click(&dialog, "scanStop");
        QVERIFY(!dialog.IsScanning());
        // "이 국번 사용" with nothing chosen takes nothing.
        f.Type(1025, "5");
        dialog.OnUse();
        QVERIFY(dialog.isVisible());
        QCOMPARE(f.Edit(1025)->text(), "5");

        Child<QSpinBox>(&dialog, "scanLast")->setValue(9);
        Child<QSpinBox>(&dialog, "scanWait")->setValue(300);
        Click(&dialog, "scanStart");
        QVERIFY(dialog.IsScanning());
        // The form's tick sends the lines while the dialog waits for the answers.
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.IsScanning(), 25000);
        auto* results = Child<QTreeWidget>(&dialog, "scanResults");
        QCOMPARE(results->topLevelItemCount(), 2);
        QCOMPARE(results->topLevelItem(0)->text(0), "3");
        QCOMPARE(results->topLevelItem(1)->text(0), "7");
        QCOMPARE(Child<QProgressBar>(&dialog, "scanProgress")->value(), 10);
        QVERIFY(Child<QLabel>(&dialog, "scanStatus")->text().contains("2개 국번이 응답"));
        QCOMPARE(Legibility::WindowProblems(&dialog), QStringList());

        // Station 7 goes to the ID field and is taken as a connect takes it.
        results->setCurrentItem(results->topLevelItem(1));
        Click(&dialog, "scanUse");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(f.Edit(1025)->text(), "7");
        f.Click(1028);
        QTRY_VERIFY_WITH_TIMEOUT(m_drive->WireLines().contains("#7.PRA"), 10000);
    }

    void findingsNameWhoHoldsThePortAndCanBeCopied() {
        FormFixture f;
        ToolProcess monitor({VELD_PARA_PATH, "-q", "-p", m_drive->Pty(), "monitor"},
                            m_drive->FilePath("monitor").toStdString());
        QVERIFY(Eventually([&] { return !PortDoctor().Examine(m_drive->Pty()).Ready(); }));

        // The connect fails and lets go of the toggle; the status bar says who has the port.
        {
            MessageBoxAnswerer answerer;
            f.Click(1024);
            QCOMPARE(answerer.Texts(), QStringList({"포트를 열수가 없습니다."}));
        }
        QVERIFY(!f.Button(1024)->isChecked());
        QString status = f.Frame().StatusText();
        QVERIFY2(status.startsWith("포트를 열 수 없습니다: \"veld-para\" (PID "),
                 qPrintable(status));
        QStatusBar* bar = f.Frame().statusBar();
        QCOMPARE(Legibility::Problems(bar, bar->rect()), QStringList());

        CPortDoctorDlg dialog(f.View().ChosenPort(), PortDoctor(), &f.Frame());
        dialog.show();
        QString text = dialog.FindingsText();
        QVERIFY2(text.startsWith("포트: COM15 → " + QString::fromStdString(m_drive->Pty()) + "\n"),
                 qPrintable(text));
        QVERIFY2(text.contains("\"veld-para\" (PID ") && text.contains("kill "), qPrintable(text));
        QCOMPARE(Legibility::WindowProblems(&dialog), QStringList());
        Click(&dialog, "doctorCopy");
        QCOMPARE(QApplication::clipboard()->text(), text);

        // Once the other program has gone and the form connected, a second look
        // finds the form holding it.
        monitor.Signal(SIGINT);
        QCOMPARE(monitor.Wait(30s), 0);
        f.Click(1024);
        Click(&dialog, "doctorAgain");
        QVERIFY2(dialog.FindingsText().contains("이 프로그램이 이미 사용 중입니다"),
                 qPrintable(dialog.FindingsText()));
    }

  private:
    std::unique_ptr<SimulatedDrive> m_drive;
};

QTEST_MAIN(PortToolsTest)
#include "PortToolsTest.moc"
