// The form on network ports: through a real ser2net on 127.0.0.1 in front of
// the real simulator, and against servers that refuse, never answer or turn
// the form away. A connect and the port doctor never hold the GUI thread.
#include <QCoreApplication>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextEdit>
#include <memory>

#include "FormFixture.h"
#include "Ser2netBench.h"
#include "SilentServer.h"
#include "SimulatedDrive.h"
#include "ToolProcess.h"
#include "form/PortComboBox.h"
#include "serial/PortDoctor.h"
#include "serial/PortMap.h"
#include "toolbox/CPortDoctorDlg.h"

using namespace std::chrono_literals;

namespace {

constexpr int kWaitMs = 20000;

// The grid's value of parameter `number`, as shown.
QString GridValue(FormFixture& f, int32_t number) {
    std::vector<int32_t> listed = ParamTable::Instance().ListedNumbers();
    auto row = std::find(listed.begin(), listed.end(), number) - listed.begin() + 1;
    return f.Grid()->TextMatrix(static_cast<int>(row), 2).trimmed();
}

// Types `name` into the port combo, as the operator does.
void TypePort(FormFixture& f, const std::string& name) {
    auto* combo = f.Ctl<PortComboBox>(FormId::kPortCombo);
    combo->lineEdit()->clear();
    QTest::keyClicks(combo->lineEdit(), QString::fromStdString(name));
}

// The simulator behind a real ser2net, with a folder of the test's own.
struct NetworkBench {
    SimulatedDrive drive;
    QTemporaryDir dir;
    Ser2netBench bench{dir.path().toStdString(), drive.Pty()};

    bool Up() { return drive.Started() && bench.Listening(); }
};

}  // namespace

class FormNetworkTest : public QObject {
    Q_OBJECT
  private slots:
    // The remembered ports go to this test's own settings file.
    void initTestCase() {
        QCoreApplication::setOrganizationName(QStringLiteral("FormNetworkTest"));
        QCoreApplication::setApplicationName(QStringLiteral("VELD_Host_Para"));
    }
    void cleanup() {
        QSettings().clear();
        PortMap::Clear();
    }

    // A typed port and a COM name mapped to one connect off the GUI thread:
    // at the click the toggle waits, pressed, and says so; once connected,
    // "읽어오기" fills the grid. The port typed is remembered, and the next
    // run's combo lists it after the devices. Killing ser2net loses the port.
    void connectsReadsAndLosesTheConnectionThroughSer2net() {
        NetworkBench net;
        QVERIFY(net.Up());
        PortMap::AddMapping("COM16=" + net.bench.Rfc2217());
        FormFixture f;
        QPushButton* toggle = f.Button(FormId::kConnectToggle);
        for (bool typed : {true, false}) {
            QVERIFY(net.bench.Idle());
            if (typed) {
                TypePort(f, net.bench.Raw());
            } else {
                f.Choose(FormId::kPortCombo, 15);
            }
            f.Click(FormId::kConnectToggle);
            QVERIFY(toggle->isChecked() && !toggle->isEnabled());
            QCOMPARE(toggle->text(), "통신연결");
            QCOMPARE(f.Frame().StatusText(), "연결 중...");
            QTRY_COMPARE_WITH_TIMEOUT(toggle->text(), "통신종료", kWaitMs);
            QVERIFY(toggle->isChecked() && toggle->isEnabled());
            // A list dropped down leaves the closed combo as it showed the port.
            auto* combo = f.Ctl<PortComboBox>(FormId::kPortCombo);
            QString shown = combo->currentText();
            combo->showPopup();
            combo->hidePopup();
            QCOMPARE(combo->currentText(), shown);

            ParamTable::Instance().SetParamValue(13, 0);
            f.View().RefreshGridValues();
            f.Click(FormId::kReadAllButton);
            QTRY_COMPARE_WITH_TIMEOUT(GridValue(f, 13), "200", kWaitMs);
            if (typed) f.Click(FormId::kConnectToggle);
        }
        // COM names are listed anyway: only the typed port is remembered.
        QString raw = QString::fromStdString(net.bench.Raw());
        QCOMPARE(f.Ctl<PortComboBox>(FormId::kPortCombo)->Remembered(), QStringList({raw}));
        {
            FormFixture next;
            auto* combo = next.Ctl<PortComboBox>(FormId::kPortCombo);
            QVERIFY(combo->findText(raw) >= PortComboBox::kComItems);
            QCOMPARE(combo->itemText(combo->count() - 1), raw);
        }

        net.bench.Kill();
        QTRY_VERIFY_WITH_TIMEOUT(!toggle->isChecked(), kWaitMs);
        QCOMPARE(toggle->text(), "통신연결");
        QVERIFY(f.Frame().StatusText().contains("끊어졌습니다"));
    }

    // A server that never answers (3 s), one that refuses, and ser2net while
    // another client holds its line (the doctor then tries a connect itself).
    // The window goes on meanwhile (an event posted after the click runs before
    // the box), a second click changes nothing, and the connect ends with the
    // box, the reason in the status bar while it is up, and the toggle released.
    // Closing the window meanwhile waits for the open.
    void aFailedConnectLeavesTheWindowGoingAndEndsWithTheBoxAndTheReason() {
        NetworkBench net;
        QVERIFY(net.Up());
        SilentServer silent;
        ToolProcess holder({VELD_PARA_PATH, "-q", "-p", net.bench.Raw(), "monitor"},
                           net.dir.filePath("holder").toStdString());
        QVERIFY(Eventually([&] { return !PortDoctor().Examine(net.drive.Pty()).Ready(); }));
        struct Case {
            std::string name;
            QString reason;
        };
        const Case cases[] = {
            {silent.Name("rfc2217"), "서버가 RFC 2217로 응답하지 않습니다"},
            {"tcp://127.0.0.1:" + std::to_string(Ser2netBench::FreePort()),
             "연결이 거부되었습니다"},
            // What ser2net says as it closes may be lost: the Telnet bytes it
            // did not read make its close a reset.
            {net.bench.Rfc2217(), "서버가 연결을 바로 끊었습니다"},
        };
        FormFixture f;
        QPushButton* toggle = f.Button(FormId::kConnectToggle);
        for (const Case& c : cases) {
            TypePort(f, c.name);
            MessageBoxAnswerer answerer;
            answerer.RecordAlongside([&] { return f.Frame().StatusText(); });
            f.Click(FormId::kConnectToggle);
            QVERIFY2(f.View().Session().IsOpening(), c.name.c_str());
            QCOMPARE(f.Frame().StatusText(), "연결 중...");
            bool ranBeforeBox = false;
            QTimer::singleShot(0, [&] { ranBeforeBox = answerer.Texts().isEmpty(); });
            toggle->toggle();
            QVERIFY(toggle->isChecked());
            QTRY_COMPARE_WITH_TIMEOUT(answerer.Texts().size(), 1, kWaitMs);
            QVERIFY2(ranBeforeBox, c.name.c_str());
            QString boxAndStatus = answerer.Texts().first();
            QVERIFY2(boxAndStatus.startsWith("포트를 열수가 없습니다. / 포트를 열 수 없습니다: " +
                                             c.reason),
                     qPrintable(boxAndStatus));
            QVERIFY(!toggle->isChecked() && toggle->isEnabled());
            QCOMPARE(toggle->text(), "통신연결");
        }
        QVERIFY(f.Ctl<PortComboBox>(FormId::kPortCombo)->Remembered().isEmpty());
        // The window closed while a port opens waits for that open and closes the port.
        TypePort(f, silent.Name("tcp"));
        f.Click(FormId::kConnectToggle);
        QVERIFY(f.View().Session().IsOpening());
    }

    // "포트 진단" of a server that never answers, typed into the port combo: the window waits
    // without holding the GUI thread, "다시 진단" off meanwhile, then tells. A window closed while
    // its examination goes on neither waits for it nor hears of it.
    void theDoctorTriesANetworkPortOffTheGuiThread() {
        SilentServer silent;
        // The port the combo shows, typed and not yet connected to.
        FormFixture f;
        TypePort(f, silent.Name("rfc2217"));
        QString name = f.View().ChosenPort();
        QCOMPARE(name, QString::fromStdString(silent.Name("rfc2217")));
        std::make_unique<CPortDoctorDlg>(name, PortDoctor()).reset();
        CPortDoctorDlg doctor(name, PortDoctor());
        doctor.show();
        auto* again = doctor.findChild<QPushButton*>("doctorAgain");
        QVERIFY(doctor.IsExamining() && !again->isEnabled());
        QVERIFY(doctor.FindingsText().contains("진단 중..."));
        QTRY_VERIFY_WITH_TIMEOUT(!doctor.IsExamining(), kWaitMs);
        QVERIFY2(doctor.FindingsText().contains("서버가 RFC 2217로 응답하지 않습니다"),
                 qPrintable(doctor.FindingsText()));
        QVERIFY(again->isEnabled());
        QTest::mouseClick(again, Qt::LeftButton);
        QVERIFY(doctor.IsExamining());
        QTRY_VERIFY_WITH_TIMEOUT(!doctor.IsExamining(), kWaitMs);
    }
};

QTEST_MAIN(FormNetworkTest)
#include "FormNetworkTest.moc"
