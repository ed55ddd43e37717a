// "포트 진단" and the status bar after a failed connect: the doctor's findings
// in Korean, about a simulated drive's line held by another program, by the
// form itself, and about a port that does not exist.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <csignal>
#include <memory>

#include "FormFixture.h"
#include "Legibility.h"
#include "MessageBoxAnswerer.h"
#include "SimulatedDrive.h"
#include "ToolProcess.h"
#include "serial/PortDoctor.h"
#include "serial/PortMap.h"
#include "toolbox/CPortDoctorDlg.h"

using namespace std::chrono_literals;

namespace {

void Click(QWidget* dialog, const char* button) {
    QTest::mouseClick(dialog->findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
}

}  // namespace

class PortDoctorDlgTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        m_drive = std::make_unique<SimulatedDrive>();
        QVERIFY(m_drive->Started());
    }
    void cleanup() { m_drive.reset(); }

    void findingsNameWhoHoldsThePortAndCanBeCopied() {
        FormFixture f;
        ToolProcess monitor({VELD_PARA_PATH, "-q", "-p", m_drive->Pty(), "monitor"},
                            m_drive->FilePath("monitor").toStdString());
        QVERIFY(WaitWithoutEvents([&] { return !PortDoctor().Examine(m_drive->Pty()).Ready(); }));

        // The connect fails; the status bar says who has the port.
        {
            MessageBoxAnswerer answerer;
            f.Click(1024);
            QCOMPARE(answerer.Texts(), QStringList({"포트를 열수가 없습니다."}));
        }
        QString status = f.Frame().StatusText();
        QVERIFY2(status.startsWith("포트를 열 수 없습니다: \"veld-para\" (PID "),
                 qPrintable(status));
        QVERIFY(status.contains("도구 > 포트 진단"));
        QStatusBar* bar = f.Frame().statusBar();
        QVERIFY2(Legibility::Problems(bar, bar->rect()).isEmpty(),
                 qPrintable(Legibility::Problems(bar, bar->rect()).join('\n')));

        CPortDoctorDlg dialog(f.View().ChosenPort(), PortDoctor(), &f.Frame());
        dialog.show();
        QString text = dialog.FindingsText();
        QVERIFY2(text.startsWith("포트: COM15 → " + QString::fromStdString(m_drive->Pty()) + "\n"),
                 qPrintable(text));
        QVERIFY2(text.contains("\"veld-para\" (PID ") && text.contains("kill "), qPrintable(text));
        QVERIFY2(Legibility::WindowProblems(&dialog).isEmpty(),
                 qPrintable(Legibility::WindowProblems(&dialog).join('\n')));
        Click(&dialog, "doctorCopy");
        QCOMPARE(QApplication::clipboard()->text(), text);

        // Once the other program has gone, a second look finds the port free; with
        // the form connected, the form is the one that holds it.
        monitor.Signal(SIGINT);
        QCOMPARE(monitor.Wait(30s), 0);
        Click(&dialog, "doctorAgain");
        QVERIFY2(dialog.FindingsText().contains("열 수 있습니다"),
                 qPrintable(dialog.FindingsText()));
        f.Click(1024);
        QVERIFY(f.View().Port().IsConnected());
        Click(&dialog, "doctorAgain");
        QVERIFY2(dialog.FindingsText().contains("이 프로그램이 이미 사용 중입니다"),
                 qPrintable(dialog.FindingsText()));
        QVERIFY(dialog.FindingsText().contains("\"통신종료\"를 누른 뒤"));
    }

    void aMissingDeviceIsSaidSoWithWhatToDo() {
        PortMap::Clear();
        PortMap::AddMapping("COM15=/dev/no-such-veld-port");
        FormFixture f;
        CPortDoctorDlg dialog(f.View().ChosenPort(), PortDoctor(), &f.Frame());
        QString text = dialog.FindingsText();
        QVERIFY2(text.contains("장치가 없습니다: /dev/no-such-veld-port"), qPrintable(text));
        QVERIFY(text.contains("--port-map"));
    }

    void theToolsMenuOpensBothDialogs() {
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
    }

  private:
    std::unique_ptr<SimulatedDrive> m_drive;
};

QTEST_MAIN(PortDoctorDlgTest)
#include "PortDoctorDlgTest.moc"
