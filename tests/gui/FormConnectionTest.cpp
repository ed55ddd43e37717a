// Connecting to a drive on a pseudo-terminal, what goes out on the line at the
// next tick, the echo lists, and closing and losing the port.
#include <QAbstractButton>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>

#include "FormFixture.h"
#include "form/PortComboBox.h"
#include "serial/PortInventory.h"
#include "support/FakeSerialTree.h"

class FormConnectionTest : public QObject {
    Q_OBJECT
  private slots:
    // Every other test clicks; a screen reader's toggle action flips the button without a
    // click. A lost port releases the toggle at the next tick.
    void connectToggleConnectsAndIsReleasedWhenThePortIsLost() {
        FormOnPty f;
        f.Button(FormId::kConnectToggle)->toggle();
        QCOMPARE(f.Button(FormId::kConnectToggle)->text(), "통신종료");
        f.CloseMaster();
        QTRY_VERIFY_WITH_TIMEOUT(!f.Button(FormId::kConnectToggle)->isChecked(), 10000);
        QCOMPARE(f.Button(FormId::kConnectToggle)->text(), "통신연결");
        QVERIFY(f.Frame().StatusText().contains("끊어졌습니다"));
        QVERIFY(!f.View().Session().Port().IsConnected());
    }

    // The drive hangs on an FTDI cable, which the form connects to; a CH340 comes
    // and the FTDI goes. Each re-read of the list leaves the operator's choice alone.
    void chosenDeviceStaysChosenWhateverTheListReads() {
        FormOnPty f;
        FakeSerialTree tree;
        tree.AddUsbPort(
            "ttyUSB1", "1-4",
            {"0403", "6001", "FTDI", "FT232R USB UART", "A50285BI", "ftdi_sio", "ftdi_sio"});
        tree.AddNode("ttyUSB1", f.SlavePath());
        tree.AddSerialLink("by-id", "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "ttyUSB1");
        auto* combo = f.Ctl<PortComboBox>(FormId::kPortCombo);
        combo->SetInventory(PortInventory(tree.SysRoot(), tree.DevRoot()));
        QString dev = QString::fromStdString(tree.DevRoot());
        QString ftdi = dev + "/ttyUSB1";
        f.Choose(FormId::kPortCombo, 30);
        f.Click(FormId::kConnectToggle);
        QVERIFY(f.View().Session().Port().IsConnected());

        tree.AddUsbPort("ttyUSB0", "1-2",
                        {"1a86", "7523", "", "USB Serial", "", "ch341", "ch341-uart"});
        tree.AddNode("ttyUSB0");
        combo->showPopup();
        combo->hidePopup();
        QCOMPARE(combo->itemText(30), dev + "/ttyUSB0");
        QCOMPARE(combo->itemData(31, Qt::ToolTipRole).toString(),
                 ftdi +
                     "\nusb-FTDI_FT232R_USB_UART_A50285BI-if00-port0\nFTDI FT232R USB UART\n"
                     "일련번호 A50285BI\nUSB 0403:6001\n드라이버 ftdi_sio");
        QCOMPARE(combo->currentIndex(), 31);
        QCOMPARE(combo->itemText(combo->currentIndex()), ftdi);
        // Too long for the closed combo: elided there, whole in its tool tip.
        QVERIFY(combo->currentText().contains(QChar(0x2026)));
        QCOMPARE(combo->toolTip(), ftdi);

        // Unplugged, it stays listed for the next connect.
        tree.Unplug("ttyUSB1");
        combo->showPopup();
        combo->hidePopup();
        QCOMPARE(combo->count(), 32);
        QCOMPARE(combo->itemText(combo->currentIndex()), ftdi);
    }

    // What the port combo shows is what opens: a typed path, not the item chosen
    // before; a typed name that opens nothing says why while its box is up.
    void aTypedPortOpensAsTypedAndAFailureSaysWhyWithItsBox() {
        FormOnPty f;
        auto* combo = f.Ctl<PortComboBox>(FormId::kPortCombo);
        combo->showPopup();
        combo->hidePopup();
        QCOMPARE(combo->itemData(14, Qt::ToolTipRole).toString(),
                 QString::fromStdString(f.SlavePath()));
        auto type = [&](const QString& text) {
            combo->lineEdit()->clear();
            QTest::keyClicks(combo->lineEdit(), text);
        };
        type(QStringLiteral("/dev/veld-no-such-port"));
        {
            MessageBoxAnswerer answerer;
            answerer.RecordAlongside([&] { return f.Frame().StatusText(); });
            f.Click(FormId::kConnectToggle);
            QCOMPARE(answerer.Texts().size(), 1);
            QString statusWithBox = answerer.Texts().first();
            QVERIFY(statusWithBox.startsWith("포트를 열수가 없습니다. / "));
            QVERIFY2(statusWithBox.contains("/dev/veld-no-such-port"), qPrintable(statusWithBox));
        }
        QVERIFY(!f.Button(FormId::kConnectToggle)->isChecked());

        type(QString::fromStdString(f.SlavePath()));
        f.Click(FormId::kConnectToggle);
        QVERIFY(f.View().Session().Port().IsConnected());
        QCOMPARE(combo->currentText(), QString::fromStdString(f.SlavePath()));
        // Kept in the list for the session, after the other names.
        QCOMPARE(combo->itemText(combo->count() - 1), QString::fromStdString(f.SlavePath()));
        QVERIFY(combo->findText("/dev/veld-no-such-port") >= 0);
        // A USB adapter's device shows whole in the closed combo.
        type(QStringLiteral("/dev/ttyUSB0"));
        combo->TakeShownPort();
        QCOMPARE(combo->currentText(), "/dev/ttyUSB0");
    }

    void queuedLinesHideTwoButtonsForOneTick() {
        FormOnPty f;
        f.Tick();
        f.Click(FormId::kReadAllButton);
        f.Tick();
        QVERIFY(f.Button(FormId::kApplyButton)->isHidden() &&
                f.Button(FormId::kSendAllButton)->isHidden());
        QVERIFY(!f.Button(FormId::kReadAllButton)->isHidden());
        f.Tick();
        QVERIFY(!f.Button(FormId::kApplyButton)->isHidden() &&
                !f.Button(FormId::kSendAllButton)->isHidden());
        // A tool's lines (the monitor's polling) hide nothing: they are not the form's.
        f.View().Session().Queue().QueueCommand("#0.MVW 01\r");
        f.Tick();
        QVERIFY(!f.Button(FormId::kApplyButton)->isHidden() &&
                !f.Button(FormId::kSendAllButton)->isHidden());
    }

    // The lines received are echoed one a tick, each cut at 25 characters.
    void receivedLinesAreEchoedOneATick() {
        FormOnPty f;
        f.Click(FormId::kConnectToggle);
        f.Write("\r#1.MVW 01 0123456789ABCDEFGHIJKLMNOPQRS\r");  // an empty line first
        QVERIFY(Eventually([&] { return f.View().Session().Port().Ring().ReadIndex() == 2; }));
        f.Tick();
        QCOMPARE(f.ListLines(FormId::kReceivedList), QStringList({""}));
        f.Tick();
        QCOMPARE(f.ListLines(FormId::kReceivedList),
                 QStringList({"", "#1.MVW 01 0123456789ABCDE"}));
    }

    // After a reconnect the list shows only what came since: the ring starts
    // again, and the lines it held before were not received now.
    void aReconnectEchoesOnlyTheLinesReceivedSince() {
        FormOnPty f;
        f.Click(FormId::kConnectToggle);
        f.Write("#0.FRD 0 0105\r#0.PWR OK\r#0.STA 1\r");
        QVERIFY(Eventually([&] { return f.View().Session().Port().Ring().ReadIndex() == 3; }));
        for (int i = 0; i < 3; ++i) f.Tick();
        f.Click(FormId::kConnectToggle);
        f.Click(FormId::kConnectToggle);
        f.Write("#0.STA 2\r");
        QVERIFY(Eventually([&] { return f.View().Session().Port().Ring().ReadIndex() == 1; }));
        for (int i = 0; i < 5; ++i) f.Tick();
        QCOMPARE(f.ListLines(FormId::kReceivedList),
                 QStringList({"#0.FRD 0 0105", "#0.PWR OK", "#0.STA 1", "#0.STA 2"}));
    }

    // The reader's box from before a disconnect, dismissed after the reconnect,
    // answers for no worker of the new connection.
    void anOldBoxReleasesNoWorkerOfTheNextConnection() {
        FormOnPty f;
        f.Click(FormId::kConnectToggle);
        QVERIFY(RaiseReaderBox(f));
        f.Click(FormId::kConnectToggle);
        f.Click(FormId::kConnectToggle);
        QVERIFY(RaiseReaderBox(f));
        QCoreApplication::sendPostedEvents();
        QList<QMessageBox*> boxes = f.View().findChildren<QMessageBox*>();
        QCOMPARE(boxes.size(), 2);
        boxes[0]->buttons().first()->click();
        QCOMPARE(f.View().WorkersHeldByBoxes(), 1);
        boxes[1]->buttons().first()->click();
        QCOMPARE(f.View().WorkersHeldByBoxes(), 0);
    }

    void workerBoxesNeverHoldTheForm_data() {
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("heldAfter");
        QTest::addColumn<QStringList>("boxesShownAfter");
        QStringList both = {"Rx Buffer FULL", "통신처리에러"};
        // The reader is released so that it can be joined; the dispatcher's
        // box still holds the dispatcher. Both boxes come up.
        QTest::newRow("disconnect") << int(kDisconnect) << 1 << both;
        QTest::newRow("File New") << int(kFileNew) << 2 << both;
        // The window goes: nothing waits, and no box comes up without it.
        QTest::newRow("closing the window") << int(kCloseWindow) << 0 << QStringList();
    }

    void workerBoxesNeverHoldTheForm() {
        QFETCH(int, action);
        QFETCH(int, heldAfter);
        QFETCH(QStringList, boxesShownAfter);
        FormOnPty f;
        f.Click(FormId::kConnectToggle);
        if (action == kFileNew) {
            // File New resets what the operator changed, and keeps the port.
            f.Combo(FormId::kPortCombo)->setCurrentIndex(2);
            f.Combo(FormId::kBaudCombo)->setCurrentIndex(0);
            f.Choose(FormId::kModeCombo, 3);
            f.Type(FormId::kStationIdEdit, "5");
        }
        // Both boxes are queued; no event has run since, so neither is shown
        // and the operator can still act.
        QVERIFY(RaiseBox(f, "#1.PRA 6E 1\r"));
        QVERIFY(RaiseReaderBox(f));
        const CTtyPort& port = f.View().Session().Port();
        switch (action) {
            case kDisconnect:
                f.Click(FormId::kConnectToggle);
                break;
            case kFileNew:
                f.Frame().Command(57600)->trigger();
                break;
            case kCloseWindow: {
                // Closing the window pauses after closing the port.
                QElapsedTimer clock;
                clock.start();
                f.Frame().close();
                QVERIFY(clock.elapsed() >= CVELD_Host_ParaView::kClosePauseMs);
                QVERIFY(Eventually([&] { return !f.View().IsDispatcherRunning(); }));
                break;
            }
        }
        QCOMPARE(f.View().WorkersHeldByBoxes(), heldAfter);
        if (action == kFileNew) {
            QCOMPARE(f.Combo(FormId::kPortCombo)->currentText(), "COM15");
            QCOMPARE(f.Combo(FormId::kBaudCombo)->currentText(), "115200");
            QCOMPARE(f.Combo(FormId::kModeCombo)->currentIndex(), 1);
            QCOMPARE(f.Edit(FormId::kStationIdEdit)->text(), "0");
        }
        QCOMPARE(port.IsConnected(), action == kFileNew);
        // The reader was joined.
        QCOMPARE(port.IsReaderRegistered(), action == kFileNew);

        // The queued boxes come up now, unless the window went.
        QCoreApplication::sendPostedEvents();
        QStringList shown;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(window);
            if (!box || !box->isVisible()) continue;
            shown.append(box->text());
            box->buttons().first()->click();
        }
        shown.sort();
        QCOMPARE(shown, boxesShownAfter);
        QCOMPARE(f.View().WorkersHeldByBoxes(), 0);
        if (action != kCloseWindow) {
            // Answered, every worker went on with its line, the one dispatcher too.
            QVERIFY(Eventually([&] { return port.Ring().ReadIndex() == 2; }));
        }
    }

  private:
    enum Action { kDisconnect, kFileNew, kCloseWindow };

    // An out-of-range parameter number makes the dispatcher raise "통신처리에러"
    // and wait for it; a line that fills its slot makes the reader raise
    // "Rx Buffer FULL" and wait for it before the line is published.
    bool RaiseReaderBox(FormOnPty& f) {
        return RaiseBox(f, std::string(RxLineRing::kSlotSize - 1, 'x') + "\r");
    }
    bool RaiseBox(FormOnPty& f, const std::string& line) {
        int held = f.View().WorkersHeldByBoxes();
        f.Write(line);
        return Eventually([&] { return f.View().WorkersHeldByBoxes() == held + 1; });
    }
};

QTEST_MAIN(FormConnectionTest)
#include "FormConnectionTest.moc"
