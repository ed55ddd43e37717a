// Connecting to a drive on a pseudo-terminal, what goes out on the line at the
// next tick, the echo lists, and closing and losing the port.
#include <QElapsedTimer>
#include <QTest>
#include <memory>
#include <thread>

#include "FormFixture.h"
#include "MessageBoxAnswerer.h"
#include "form/PortComboBox.h"
#include "serial/PortInventory.h"
#include "serial/PortMap.h"
#include "support/FakeSerialTree.h"
#include "support/PtyPair.h"
#include "support/RecordingNotifier.h"

using namespace std::chrono_literals;

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

class FormConnectionTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { m_drive = DriveOnCom15(); }
    void cleanup() {
        m_drive.reset();
        PortMap::Clear();
    }

    void twoClicksConnectAndDisconnect() {
        FormFixture f;
        f.Click(1024);
        QVERIFY(f.View().Port().IsConnected());
        QVERIFY(f.Button(1024)->isChecked());
        QCOMPARE(f.Button(1024)->text(), U("통신종료"));
        f.Click(1024);
        QVERIFY(!f.View().Port().IsConnected());
        QVERIFY(!f.Button(1024)->isChecked());
        QCOMPARE(f.Button(1024)->text(), U("통신연결"));
    }

    void accessibilityToggleConnectsLikeAClick() {
        // A screen reader's toggle action flips the button without a click.
        FormFixture f;
        f.Button(1024)->toggle();
        QVERIFY(f.View().Port().IsConnected());
        QCOMPARE(f.Button(1024)->text(), U("통신종료"));
        f.Tick();
        QVERIFY(f.Button(1024)->isChecked());
        f.Button(1024)->toggle();
        QVERIFY(!f.View().Port().IsConnected());
        QCOMPARE(f.Button(1024)->text(), U("통신연결"));
    }

    void failedConnectShowsTheBoxAndReleasesTheToggle() {
        PortMap::AddMapping("COM15=/dev/no-such-veld-port");
        FormFixture f;
        MessageBoxAnswerer answerer;
        f.Click(1024);
        QCOMPARE(answerer.Texts(), QStringList({U("포트를 열수가 없습니다.")}));
        QCOMPARE(answerer.Captions(), QStringList({"VELD_Host_Para"}));
        QCOMPARE(answerer.ButtonTexts(), QStringList({U("확인")}));
        QVERIFY(!f.Button(1024)->isChecked());
        QCOMPARE(f.Button(1024)->text(), U("통신연결"));
        QVERIFY(f.Frame().StatusText().contains(U("장치가 없습니다")));
    }

    void portHeldElsewhereIsReportedAsInUse() {
        RecordingNotifier quiet;
        CTtyPort holder(quiet);
        QVERIFY(holder.Open(m_drive->SlavePath(), 115200, 0, 8, 0));
        FormFixture f;
        MessageBoxAnswerer answerer;
        f.Click(1024);
        QCOMPARE(answerer.Count(), 1);
        QVERIFY(!f.Button(1024)->isChecked());
        QVERIFY(f.Frame().StatusText().contains(U("사용 중")));
    }

    // The drive hangs on an FTDI cable; a CH340 comes and the FTDI goes while the
    // form holds it. Each re-read of the list leaves the operator's choice alone.
    void chosenDeviceStaysChosenWhateverTheListReads() {
        FakeSerialTree tree;
        tree.AddUsbPort(
            "ttyUSB1", "1-4",
            {"0403", "6001", "FTDI", "FT232R USB UART", "A50285BI", "ftdi_sio", "ftdi_sio"});
        tree.AddNode("ttyUSB1", m_drive->SlavePath());
        tree.AddSerialLink("by-id", "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "ttyUSB1");
        FormFixture f;
        auto* combo = f.Ctl<PortComboBox>(1021);
        combo->SetInventory(PortInventory(tree.SysRoot(), tree.DevRoot()));
        QString dev = QString::fromStdString(tree.DevRoot());
        QString ftdi = dev + "/ttyUSB1";
        QCOMPARE(combo->count(), 32);
        QCOMPARE(combo->itemText(30), ftdi);
        QCOMPARE(combo->itemText(31),
                 dev + "/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
        QString toolTip = ftdi +
                          "\nusb-FTDI_FT232R_USB_UART_A50285BI-if00-port0\nFTDI FT232R USB "
                          "UART\nserial A50285BI\nUSB 0403:6001\ndriver ftdi_sio";
        QCOMPARE(combo->itemData(30, Qt::ToolTipRole).toString(), toolTip);
        QCOMPARE(combo->itemData(31, Qt::ToolTipRole).toString(), toolTip);
        f.Choose(1021, 30);
        f.Click(1024);
        QVERIFY(f.View().Port().IsConnected());

        tree.AddUsbPort("ttyUSB0", "1-2",
                        {"1a86", "7523", "", "USB Serial", "", "ch341", "ch341-uart"});
        tree.AddNode("ttyUSB0");
        combo->showPopup();
        combo->hidePopup();
        QCOMPARE(combo->itemText(30), dev + "/ttyUSB0");
        QCOMPARE(combo->currentIndex(), 31);
        QCOMPARE(combo->currentText(), ftdi);

        tree.Unplug("ttyUSB1");
        combo->showPopup();
        combo->hidePopup();
        QCOMPARE(combo->count(), 32);
        QCOMPARE(combo->currentText(), ftdi);
        QCOMPARE(combo->itemText(combo->currentIndex()), ftdi);

        // Plugged in again: the next connect goes to the chosen device.
        tree.AddNode("ttyUSB1", m_drive->SlavePath());
        f.Click(1024);
        f.Click(1024);
        QVERIFY(f.View().Port().IsConnected());
        f.Type(1026, "#0.STA");
        f.Click(1027);
        QCOMPARE(TickAndReceive(f, *m_drive, 1), QStringList({"#0.STA"}));
    }

    void setModeUsesTheIdTakenAtTheLastConnect() {
        FormFixture f;
        // Typed after the connect: the ID taken at the connect ("0") is used.
        f.Click(1024);
        f.Type(1025, "7");
        f.Click(1033);
        f.Tick();
        QCOMPARE(m_drive->ReadUntil("\r", 5s), std::string("#0.PWR 100 1\r"));
        // A mode change puts the taken text back into the ID edit.
        f.Choose(1004, 2);
        QCOMPARE(f.Edit(1025)->text(), "0");
        // Typed before the connect: the connect takes it.
        f.Click(1024);
        f.Type(1025, "7");
        f.Click(1024);
        f.Click(1033);
        f.Click(1033);
        f.Tick();
        QCOMPARE(m_drive->ReadUntil("1\r#7.PWR 100 1\r", 5s),
                 std::string("#7.PWR 100 1\r#7.PWR 100 1\r"));
        QCOMPARE(f.ListLines(1039).mid(1), QStringList({"#7.PWR 100 1", "#7.PWR 100 1"}));
    }

    void queuedLinesHideTwoButtonsForOneTick() {
        FormFixture f;
        f.Tick();
        f.Click(1028);
        QVERIFY(!f.Button(1032)->isHidden());
        f.Tick();
        QVERIFY(f.Button(1032)->isHidden());
        QVERIFY(f.Button(1036)->isHidden());
        QVERIFY(!f.Button(1028)->isHidden());
        f.Tick();
        QVERIFY(!f.Button(1032)->isHidden());
        QVERIFY(!f.Button(1036)->isHidden());
    }

    void receivedLinesAreEchoedOnePerTick() {
        FormFixture f;
        f.Click(1024);
        std::string lines;
        lines += "#1.STA 0123456789\r";  // 12 bytes before the CR
        lines += "\r";                   // an empty line
        for (int i = 0; i < 23; ++i) {
            char text[64];
            std::snprintf(text, sizeof text, "#1.MVW %02d 0123456789ABCDEFGHIJKLMNOPQRS\r", i);
            lines += text;
        }
        m_drive->Write(lines);
        QVERIFY(WaitWithoutEvents([&] { return f.View().Port().RxReadIndex() == 25; }));
        f.Tick();
        QCOMPARE(f.ListLines(1041), QStringList({"#1.STA 0123456789"}));
        f.Tick();
        QCOMPARE(f.ListLines(1041), QStringList({"#1.STA 0123456789", ""}));
        for (int i = 0; i < 23; ++i) f.Tick();
        QStringList shown = f.ListLines(1041);
        QCOMPARE(shown.size(), 20);
        QCOMPARE(shown.first(), "#1.MVW 03 0123456789ABCDE");
        QCOMPARE(shown.last(), "#1.MVW 22 0123456789ABCDE");
        QCOMPARE(f.List(1041)->currentRow(), 19);
        // Nothing more to echo: a further tick adds nothing.
        f.Tick();
        QCOMPARE(f.List(1041)->count(), 20);
    }

    void sentLinesAreEchoedKeepingTheLastTwenty() {
        FormFixture f;
        for (int i = 0; i < 25; ++i) {
            f.Type(1026, QStringLiteral("#1.MAN %1").arg(i));
            f.Click(1027);
        }
        f.Tick();
        QStringList shown = f.ListLines(1039);
        QCOMPARE(shown.size(), 20);
        QCOMPARE(shown.first(), "#1.MAN 5");
        QCOMPARE(shown.last(), "#1.MAN 24");
        QCOMPARE(f.List(1039)->currentRow(), 19);
    }

    void fileNewWhileConnectedResetsTheFormAndKeepsThePort() {
        FormFixture f;
        f.Click(1024);
        f.Combo(1021)->setCurrentIndex(2);
        f.Combo(1022)->setCurrentIndex(0);
        f.Choose(1004, 3);
        f.Type(1025, "5");
        f.Type(1026, "#5.PRA");
        f.Click(1027);
        f.Frame().Command(57600)->trigger();
        QCOMPARE(f.Combo(1021)->currentText(), "COM15");
        QCOMPARE(f.Combo(1022)->currentText(), "115200");
        QCOMPARE(f.Combo(1004)->currentIndex(), 1);
        QCOMPARE(f.Combo(1005)->currentIndex(), 1);
        QCOMPARE(f.Edit(1025)->text(), "0");
        QCOMPARE(f.Edit(1026)->text(), "");
        QCOMPARE(ParamTable::Instance().GetParamValue(42), 1);
        QCOMPARE(ParamTable::Instance().GetParamValue(43), 1);
        QVERIFY(f.View().Port().IsConnected());
        QCOMPARE(f.Button(1024)->text(), U("통신종료"));
        // The one dispatcher still consumes the replies.
        QVERIFY(f.View().IsDispatcherRunning());
        m_drive->Write("#1.PRA 14 1F4\r");
        QTRY_COMPARE_WITH_TIMEOUT(f.Grid()->TextMatrix(7, 2), "500  ", 5000);
    }

    void closingWhileConnectedClosesThePortAfterItsPause() {
        FormFixture f;
        f.Click(1024);
        QElapsedTimer clock;
        clock.start();
        f.Frame().close();
        QVERIFY(clock.elapsed() >= 500);
        QVERIFY(!f.View().Port().IsConnected());
        m_drive->Write("#1.PRA 14 2\r");
        f.CloseWindow();
    }

    void closingNeverWaitsOnAPendingWorkerBox() {
        FormFixture f;
        // Nobody answers, and the event loop that would show the box does not run.
        RaiseDispatcherBox(f);
        f.CloseWindow();
    }

    void workerBoxHoldsTheDispatcherUntilAnswered() {
        FormFixture f;
        RaiseDispatcherBox(f);
        MessageBoxAnswerer answerer;
        QTRY_COMPARE_WITH_TIMEOUT(answerer.Count(), 1, 5000);
        QCOMPARE(answerer.Texts(), QStringList({U("통신처리에러")}));
        QCOMPARE(answerer.Captions(), QStringList({"VELD_Host_Para"}));
        QTRY_COMPARE_WITH_TIMEOUT(f.View().Port().RxReadIndex(), 1, 5000);
    }

    void lostPortReleasesTheToggleAtTheNextTick() {
        FormFixture f;
        f.Click(1024);
        QVERIFY(f.View().Port().IsConnected());
        m_drive->CloseMaster();
        QTRY_VERIFY_WITH_TIMEOUT(!f.Button(1024)->isChecked(), 5000);
        QCOMPARE(f.Button(1024)->text(), U("통신연결"));
        QVERIFY(f.Frame().StatusText().contains(U("끊어졌습니다")));
        QVERIFY(!f.View().Port().IsConnected());
    }

  private:
    // An out-of-range number makes the dispatcher raise a box and wait for it.
    void RaiseDispatcherBox(FormFixture& f) {
        f.Click(1024);
        m_drive->Write("#1.PRA 6E 1\r");
        QVERIFY(WaitWithoutEvents([&] { return f.View().Port().RxWriteIndex() == 1; }));
        std::this_thread::sleep_for(200ms);
        QCOMPARE(f.View().Port().RxReadIndex(), 0);
    }

    std::unique_ptr<PtyPair> m_drive;
};

QTEST_MAIN(FormConnectionTest)
#include "FormConnectionTest.moc"
