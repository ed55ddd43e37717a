// The operator's tasks of the form, seen as the lines the drive receives: the
// four setup steps, read/send all, version, initialisation, manual commands
// and a value edited through the grid.
#include <QGroupBox>
#include <QRegularExpression>
#include <QWheelEvent>

#include "FormFixture.h"

namespace {

// Connected with station 3 taken, every listed parameter at 0.
struct ConnectedForm : FormOnPty {
    ConnectedForm() {
        Type(FormId::kStationIdEdit, "3");
        Click(FormId::kConnectToggle);
        for (int32_t n : ParamTable::Instance().ListedNumbers())
            ParamTable::Instance().SetParamValue(n, 0);
    }
};

}  // namespace

class FormCommandsTest : public QObject {
    Q_OBJECT
  private slots:
    void modeThreePresetTicksThenApplyAndSaveSendTwelveLines() {
        ConnectedForm f;
        // The mode's preset reaches the controls; the boxes tick IN4 and clear IN1.
        f.Choose(FormId::kModeCombo, 3);
        f.ClickCheck(FormId::kFirstPolarityBox + 3);
        f.ClickCheck(FormId::kFirstPolarityBox);
        f.Choose(FormId::kFirstFunctionCombo + 1, 4);
        f.Click(FormId::kApplyButton);
        QCOMPARE(f.TickAndReceive(12),
                 QStringList({"#3.PWR 42 3", "#3.PWR 43 10", "#3.PWR 44 4", "#3.PWR 45 8",
                              "#3.PWR 46 6", "#3.PWR 47 1", "#3.PWR 48 2", "#3.PWR 49 3",
                              "#3.PWR 40 14", "#3.PWR 41 7", "#3.COP", "#3.PSV"}));
    }

    void valuesFromTheDriveReturnToTheSetupControls() {
        ConnectedForm f;
        // Polarity 40 = 0x13 (bits 0, 1, 4), mode 2, IN1 function 99 (no such item),
        // IN2 function 4.
        f.Write("#1.PRA 28 13 2A 2 2B 63 2C 4\r");
        QTRY_COMPARE_WITH_TIMEOUT(f.Combo(FormId::kModeCombo)->currentIndex(), 2, 10000);
        QCOMPARE(f.Combo(FormId::kFirstFunctionCombo)->currentIndex(), -1);
        QVERIFY(f.Check(FormId::kFirstPolarityBox)->isChecked() &&
                f.Check(FormId::kFirstPolarityBox + 1)->isChecked());
        QVERIFY(!f.Check(FormId::kFirstPolarityBox + 2)->isChecked() &&
                !f.Check(FormId::kFirstPolarityBox + 3)->isChecked());
        // No function shown for IN1, none named in its caption.
        QCOMPARE(f.Check(FormId::kFirstPolarityBox)->text(), "극성");
        // A step-3 click keeps bit 4; a mode change drops it.
        f.ClickCheck(FormId::kFirstPolarityBox + 2);
        QCOMPARE(ParamTable::Instance().GetParamValue(40), 0x17);
        f.Choose(FormId::kModeCombo, 1);
        QCOMPARE(ParamTable::Instance().GetParamValue(40), 7);
    }

    void sendAllSendsTheListedParametersThenCopPsv() {
        ConnectedForm f;
        ParamTable::Instance().SetParamValue(20, -1000);
        f.Click(FormId::kSendAllButton);
        QStringList lines = f.TickAndReceive(31);
        QStringList expected;
        for (int32_t n : ParamTable::Instance().ListedNumbers())
            expected.append(QStringLiteral("#3.PWR %1 %2").arg(n).arg(n == 20 ? -1000 : 0));
        expected << "#3.COP"
                 << "#3.PSV";
        QCOMPARE(lines, expected);
    }

    void readVersionInitSetModeAndReadAllUseTheTakenId() {
        ConnectedForm f;
        f.Type(FormId::kStationIdEdit, "4");  // typed, but not taken yet
        f.Click(FormId::kReadAllButton);
        f.Click(FormId::kVersionButton);
        f.Click(FormId::kParamInitButton);
        f.Click(FormId::kSetModeToggle);
        QCOMPARE(f.TickAndReceive(5),
                 QStringList({"#3.PRA", "#3.FRD 0", "#3.FRD 1", "#3.PDF ALL", "#3.PWR 100 1"}));
        // A manual send takes every edit, the ID too.
        f.Click(FormId::kSendButton2);
        f.Click(FormId::kReadAllButton);
        f.Click(FormId::kSetModeToggle);  // released, it sends the same
        QCOMPARE(f.TickAndReceive(3), QStringList({"", "#4.PRA", "#4.PWR 100 1"}));
    }

    void manualSendsTakeTheirOwnEditAsTyped() {
        ConnectedForm f;
        f.Type(FormId::kCommandEdit1, "#1.PRA");
        f.Type(FormId::kCommandEdit3, "#-3.FRD 0");
        f.Edit(FormId::kCommandEdit4)->setText("가나");  // QTest types ASCII only
        for (int id : {FormId::kSendButton1, FormId::kSendButton3, FormId::kSendButton4})
            f.Click(id);
        f.Tick();
        // The Korean line in CP949.
        for (const char* line : {"#1.PRA\r", "#-3.FRD 0\r", "\xB0\xA1\xB3\xAA\r"})
            QCOMPARE(f.ReadUntil("\r", std::chrono::seconds(10)), std::string(line));
        QTRY_COMPARE_WITH_TIMEOUT(f.ListLines(FormId::kSentList),
                                  QStringList({"#1.PRA", "#-3.FRD 0", "가나"}), 10000);
    }

    // Replies at the monitor's pace repaint the echo list alone: not the
    // group box it lies in nor the form behind it.
    void anEchoedLineRepaintsItsListAlone() {
        ConnectedForm f;
        f.Frame().show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.Frame()));
        QTest::qWait(100);
        struct Paints : QObject {
            QMap<QObject*, int> count;
            bool eventFilter(QObject* watched, QEvent* event) override {
                count[watched] += event->type() == QEvent::Paint;
                return false;
            }
        } paints;
        QListWidget* list = f.List(FormId::kReceivedList);
        auto* box = list->parentWidget()->childAt(list->geometry().topLeft() - QPoint(1, 1));
        QVERIFY(qobject_cast<QGroupBox*>(box));
        for (QObject* watched : {static_cast<QObject*>(&f.View()), static_cast<QObject*>(box),
                                 static_cast<QObject*>(list->viewport())}) {
            watched->installEventFilter(&paints);
        }
        for (int i = 0; i < 20; ++i) {
            f.Write("#3.MVW " + std::to_string(1500 + i) + " 0 3091 309\r");
            QTRY_COMPARE_WITH_TIMEOUT(f.ListLines(FormId::kReceivedList).size() > 0 &&
                                          f.ListLines(FormId::kReceivedList).last() ==
                                              QString("#3.MVW %1 0 3091 309").arg(1500 + i),
                                      true, 10000);
            QTest::qWait(20);
        }
        QVERIFY(paints.count.value(list->viewport()) > 0);
        QCOMPARE(paints.count.value(box), 0);
        QCOMPARE(paints.count.value(&f.View()), 0);
    }

    // A drive that takes nothing: once the line's buffer is full the write
    // stalls, and after 2 s without progress it is the described write failure.
    void aWriteThatStallsIsTheWriteFailure() {
        ConnectedForm f;
        MessageBoxAnswerer boxes;
        for (int id : {FormId::kCommandEdit1, FormId::kCommandEdit2}) {
            f.Edit(id)->setText(QString(f.Edit(id)->maxLength(), 'x'));
        }
        for (int round = 0; round < 4; ++round) {
            f.Click(FormId::kSendButton1);
            f.Click(FormId::kSendButton2);
        }
        f.Tick();
        QTRY_VERIFY_WITH_TIMEOUT(!boxes.Texts().isEmpty(), 15000);
        QVERIFY2(boxes.Texts().first().contains("CE-110"), qPrintable(boxes.Texts().first()));
    }

    // Clicked on the name of a parameter edited bit by bit: bit 2 ticked; what was
    // typed is not the value, bit 8 is kept.
    void editingAValueInTheGridWritesItToTheDrive() {
        ConnectedForm f;
        ParamTable::Instance().SetParamValue(37, 256 + 3);
        QCOMPARE(f.EditCell(18, 1, "99", {1035}), "설정값변경(HEX)");
        QCOMPARE(ParamTable::Instance().GetParamValue(37), 263);
        QCOMPARE(f.TickAndReceive(3), QStringList({"#3.PWR 37 263", "#3.COP", "#3.PSV"}));
        // Shown at the next tick.
        QCOMPARE(f.Grid()->TextMatrix(18, 2), "263  ");
    }

    void unchangedOrCancelledEditsQueueNothing() {
        ConnectedForm f;
        QCOMPARE(f.EditCell(8, 2, QString()), "설정값변경(DEC)");  // parameter 21
        QCOMPARE(f.EditCell(8, 2, "77", {}, false), "설정값변경(DEC)");
        f.Tick();
        QCOMPARE(f.List(FormId::kSentList)->count(), 0);
        QCOMPARE(ParamTable::Instance().GetParamValue(21), 0);
        // The header row edits nothing.
        QCOMPARE(f.EditCell(0, 2, "1"), QString());
    }

    void statusBarTellsOfSilenceAndOfLinesNotSent() {
        ConnectedForm f;
        // The drive says nothing to the version request: noted after a second.
        f.Click(FormId::kVersionButton);
        f.Tick();
        QTRY_VERIFY_WITH_TIMEOUT(f.Frame().StatusText().startsWith("응답 없음"), 10000);
        // Without a port the lines are lost: said so, and no silence is noted over it.
        f.Click(FormId::kConnectToggle);
        f.Click(FormId::kVersionButton);
        f.Tick();
        QTest::qWait(1500);
        QCOMPARE(f.Frame().StatusText(), "연결되지 않음: 2줄이 전송되지 않았습니다");
    }

    // "통신종료" in the middle of 전체전송하기: the lines it gives up are counted, and
    // the drive is said to hold values it has not saved (PWR went, PSV did not).
    void disconnectDuringSendAllSaysWhatDidNotGo() {
        ConnectedForm f;
        f.Click(FormId::kSendAllButton);
        const int total = static_cast<int>(ParamTable::Instance().ListedNumbers().size()) + 2;
        QCOMPARE(f.TickAndReceive(3).size(), 3);
        f.Click(FormId::kConnectToggle);
        QRegularExpressionMatch said =
            QRegularExpression(
                "^통신종료: (\\d+)줄이 전송되지 않았습니다\\. 드라이브에 저장 안 된 값")
                .match(f.Frame().StatusText());
        QVERIFY2(said.hasMatch(), qPrintable(f.Frame().StatusText()));
        // Three went before the disconnect, and a few more may have while it came.
        int givenUp = said.captured(1).toInt();
        QVERIFY2(givenUp > 0 && givenUp <= total - 3, qPrintable(said.captured(1)));
        // A disconnect with nothing waiting says nothing.
        f.Click(FormId::kConnectToggle);
        f.Click(FormId::kConnectToggle);
        QCOMPARE(f.Frame().StatusText(), "준비");
    }

    // Seven send-alls between two ticks do not fit the queue: the seventh is
    // refused whole, and the status bar says so.
    void aFullQueueRefusesASendAllWholeAndSaysSo() {
        ConnectedForm f;
        const int lines = static_cast<int>(ParamTable::Instance().ListedNumbers().size()) + 2;
        for (int i = 0; i < 7; ++i) f.Click(FormId::kSendAllButton);
        QCOMPARE(f.View().Session().Queue().Pending(), 6 * lines);
        f.Tick();
        QCOMPARE(f.Frame().StatusText(),
                 QString("보낼 줄이 가득 차서 %1줄을 보내지 않았습니다").arg(lines));
    }

    // A wheel turned over the mode changes it only once the mode has the focus.
    void wheelChangesAComboOnlyWithTheFocus() {
        ConnectedForm f;
        QComboBox* mode = f.Combo(FormId::kModeCombo);
        f.Frame().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.Frame()));
        for (bool focused : {false, true}) {
            focused ? mode->setFocus() : f.Edit(FormId::kStationIdEdit)->setFocus();
            QPoint at = mode->rect().center();
            QWheelEvent event(at, mode->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(mode, &event);
            QCOMPARE(mode->currentIndex(), focused ? 2 : 1);
        }
        // Chosen so, as a click in the list chooses.
        QCOMPARE(ParamTable::Instance().GetParamValue(42), 2);
    }
};

QTEST_MAIN(FormCommandsTest)
#include "FormCommandsTest.moc"
