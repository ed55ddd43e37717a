// The operator's tasks of the form, seen as the lines the drive receives: the
// four setup steps, read/send all, version, initialisation, manual commands
// and a value edited through the grid.
#include <QDialog>
#include <QLabel>
#include <QTest>
#include <QWheelEvent>
#include <memory>

#include "FormFixture.h"
#include "Legibility.h"
#include "form/CValueDecDlg.h"
#include "form/CValueHexDlg.h"
#include "serial/PortMap.h"
#include "support/PtyPair.h"

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// Answers the next value dialog: types `text` into edit 1030 (if given), ticks
// the listed bit boxes, then presses OK or cancels.
class ValueDialogAnswerer : public QObject {
  public:
    ValueDialogAnswerer(QString text, QList<int> bitIds, bool ok)
        : m_text(std::move(text)), m_bitIds(std::move(bitIds)), m_bOk(ok) {
        connect(&m_poll, &QTimer::timeout, this, &ValueDialogAnswerer::Answer);
        m_poll.start(20);
    }
    QString Caption() const { return m_caption; }
    QString Label() const { return m_label; }
    QString Shown() const { return m_shown; }

  private:
    void Answer() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        m_poll.stop();
        m_caption = dialog->windowTitle();
        auto* edit = dialog->findChild<QLineEdit*>("ctl1030");
        m_shown = edit->text();
        for (QLabel* label : dialog->findChildren<QLabel*>()) m_label += label->text();
        if (!m_text.isNull()) {
            edit->clear();
            QTest::keyClicks(edit, m_text);
        }
        for (int id : m_bitIds) {
            QTest::mouseClick(dialog->findChild<QCheckBox*>(QStringLiteral("ctl%1").arg(id)),
                              Qt::LeftButton, {}, QPoint(4, 4));
        }
        if (m_bOk) {
            QTest::keyClick(edit, Qt::Key_Return);
        } else {
            QTest::keyClick(dialog, Qt::Key_Escape);
        }
    }

    QTimer m_poll;
    QString m_text;
    QList<int> m_bitIds;
    bool m_bOk;
    QString m_caption;
    QString m_label;
    QString m_shown;
};

}  // namespace

class FormCommandsTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        m_drive = DriveOnCom15();
        m_form = std::make_unique<FormFixture>();
        m_form->Click(1024);
        QVERIFY(m_form->View().Port().IsConnected());
        for (int32_t n : ParamTable::Instance().ListedNumbers())
            ParamTable::Instance().SetParamValue(n, 0);
    }
    void cleanup() {
        m_form.reset();
        m_drive.reset();
        PortMap::Clear();
    }

    void modeThreeLoadsItsPresetAndQueuesNothing() {
        FormFixture& f = *m_form;
        f.Choose(1004, 3);
        const char* kCaptions[] = {"10 : RUN/STOP & RESET극성",
                                   "7 : SPD INDEX1극성",
                                   "8 : SPD INDEX2극성",
                                   "6 : EMG극성",
                                   "1 : ALARM극성",
                                   "2 : SPEED OUT극성",
                                   "3 : DIR극성"};
        const bool kTicked[] = {true, true, true, false, true, true, true};
        for (int t = 0; t < 7; ++t) {
            QCOMPARE(Legibility::Shown(f.Check(1012 + t)->text()), U(kCaptions[t]));
            QCOMPARE(f.Check(1012 + t)->isChecked(), kTicked[t]);
        }
        const int kValues[] = {7, 7, 3, 10, 7, 8, 6, 1, 2, 3};
        for (int n = 40; n <= 49; ++n)
            QCOMPARE(ParamTable::Instance().GetParamValue(n), kValues[n - 40]);
        f.Tick();
        QCOMPARE(f.List(1039)->count(), 0);
    }

    void polarityTicksThenApplyAndSaveSendTwelveLines() {
        FormFixture& f = *m_form;
        f.Choose(1004, 3);
        f.ClickCheck(1015);
        QCOMPARE(ParamTable::Instance().GetParamValue(40), 15);
        f.ClickCheck(1012);
        QCOMPARE(ParamTable::Instance().GetParamValue(40), 14);
        f.Choose(1006, 4);
        QCOMPARE(f.Check(1013)->text(), U("4 : CCW극성"));
        QCOMPARE(ParamTable::Instance().GetParamValue(44), 4);
        f.Click(1032);
        QCOMPARE(TickAndReceive(f, *m_drive, 12),
                 QStringList({"#0.PWR 42 3", "#0.PWR 43 10", "#0.PWR 44 4", "#0.PWR 45 8",
                              "#0.PWR 46 6", "#0.PWR 47 1", "#0.PWR 48 2", "#0.PWR 49 3",
                              "#0.PWR 40 14", "#0.PWR 41 7", "#0.COP", "#0.PSV"}));
    }

    void allBoxesClearAndAComboWithoutSelectionAreSentAsTheyAre() {
        FormFixture& f = *m_form;
        for (int id = 1012; id <= 1018; ++id) {
            if (f.Check(id)->isChecked()) f.ClickCheck(id);
        }
        f.Combo(1009)->setCurrentIndex(-1);
        f.Click(1032);
        QStringList lines = TickAndReceive(f, *m_drive, 12);
        QCOMPARE(lines.value(5), "#0.PWR 47 -1");
        QCOMPARE(lines.value(8), "#0.PWR 40 0");
        QCOMPARE(lines.value(9), "#0.PWR 41 0");
    }

    void valuesFromTheDriveReturnToTheSetupControls() {
        FormFixture& f = *m_form;
        // Polarity 40 = 0x13 (bits 0, 1, 4), mode 2, IN1 function 99 (no such item),
        // IN2 function 4.
        m_drive->Write("#1.PRA 28 13 2A 2 2B 63 2C 4\r");
        QTRY_COMPARE_WITH_TIMEOUT(f.Combo(1004)->currentIndex(), 2, 5000);
        QCOMPARE(f.Combo(1005)->currentIndex(), -1);
        QVERIFY(f.Check(1012)->isChecked() && f.Check(1013)->isChecked());
        QVERIFY(!f.Check(1014)->isChecked() && !f.Check(1015)->isChecked());
        // Captions name the functions shown, none for IN1.
        QCOMPARE(f.Check(1012)->text(), U("극성"));
        QCOMPARE(f.Check(1013)->text(), U("4 : CCW극성"));
        // A step-3 click keeps bit 4; a mode change drops it.
        f.ClickCheck(1014);
        QCOMPARE(ParamTable::Instance().GetParamValue(40), 0x17);
        f.Choose(1004, 1);
        QCOMPARE(ParamTable::Instance().GetParamValue(40), 7);
    }

    void sendAllSendsTheListedParametersThenCopPsv() {
        FormFixture& f = *m_form;
        ParamTable::Instance().SetParamValue(20, -1000);
        f.Type(1025, "3");
        f.Click(1024);
        f.Click(1024);
        f.Click(1036);
        QStringList lines = TickAndReceive(f, *m_drive, 31);
        QCOMPARE(lines.size(), 31);
        QStringList expected;
        for (int32_t n : ParamTable::Instance().ListedNumbers()) {
            expected.append(QStringLiteral("#3.PWR %1 %2").arg(n).arg(n == 20 ? -1000 : 0));
        }
        expected << "#3.COP"
                 << "#3.PSV";
        QCOMPARE(lines, expected);
    }

    void readVersionInitAndReadAllUseTheTakenId() {
        FormFixture& f = *m_form;
        f.Type(1025, "4");  // typed, but not taken yet
        f.Click(1028);
        f.Click(1040);
        f.Click(1042);
        QCOMPARE(TickAndReceive(f, *m_drive, 4),
                 QStringList({"#0.PRA", "#0.FRD 0", "#0.FRD 1", "#0.PDF ALL"}));
        // A manual send takes every edit, the ID too.
        f.Click(1031);
        f.Click(1028);
        QCOMPARE(TickAndReceive(f, *m_drive, 2), QStringList({"", "#4.PRA"}));
        f.Type(1034, "abc");
        f.Type(1025, "abc");
        f.Click(1035);
        f.Click(1040);
        QCOMPARE(TickAndReceive(f, *m_drive, 3), QStringList({"abc", "#0.FRD 0", "#0.FRD 1"}));
        QCOMPARE(f.Edit(1034)->text(), "abc");
    }

    void manualSendsTakeTheirOwnEditAsTyped() {
        FormFixture& f = *m_form;
        f.Type(1026, "#1.PRA");
        f.Type(1030, " two ");
        f.Type(1034, "#-3.FRD 0");
        f.Edit(1037)->setText(U("가나"));  // QTest types ASCII only
        for (int id : {1027, 1031, 1035, 1038}) f.Click(id);
        f.Tick();
        QCOMPARE(m_drive->ReadUntil("\r", std::chrono::seconds(5)), std::string("#1.PRA\r"));
        QCOMPARE(m_drive->ReadUntil("\r", std::chrono::seconds(5)), std::string(" two \r"));
        QCOMPARE(m_drive->ReadUntil("\r", std::chrono::seconds(5)), std::string("#-3.FRD 0\r"));
        // Sent in CP949.
        QCOMPARE(m_drive->ReadUntil("\r", std::chrono::seconds(5)),
                 std::string("\xB0\xA1\xB3\xAA\r"));
        QCOMPARE(f.ListLines(1039).mid(0, 4),
                 QStringList({"#1.PRA", " two ", "#-3.FRD 0", U("가나")}));
    }

    void editingAValueInTheGridWritesItToTheDrive() {
        FormFixture& f = *m_form;
        f.Type(1025, "3");
        f.Click(1024);
        f.Click(1024);
        CMSFlexGrid* grid = f.Grid();
        QPoint cell = grid->visualItemRect(grid->item(7, 1)).center();  // parameter 20
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
        ValueDialogAnswerer answerer("500", {}, true);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(answerer.Caption(), U("설정값변경(DEC)"));
        QVERIFY(answerer.Label().contains(U("가속시간 : ")));
        QCOMPARE(answerer.Shown(), "0");
        QCOMPARE(ParamTable::Instance().GetParamValue(20), 500);
        QCOMPARE(grid->TextMatrix(7, 2), "0  ");  // shown at the next tick
        QCOMPARE(TickAndReceive(f, *m_drive, 3),
                 QStringList({"#3.PWR 20 500", "#3.COP", "#3.PSV"}));
        QCOMPARE(grid->TextMatrix(7, 2), "500  ");
    }

    void unchangedOrCancelledEditsQueueNothing() {
        FormFixture& f = *m_form;
        CMSFlexGrid* grid = f.Grid();
        QPoint cell = grid->visualItemRect(grid->item(8, 2)).center();  // parameter 21
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
        {
            ValueDialogAnswerer answerer(QString(), {}, true);
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
        }
        {
            ValueDialogAnswerer answerer("77", {}, false);
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
        }
        f.Tick();
        QCOMPARE(f.List(1039)->count(), 0);
        QCOMPARE(ParamTable::Instance().GetParamValue(21), 0);
        // The header row edits nothing.
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualItemRect(grid->item(0, 2)).center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                           grid->visualItemRect(grid->item(0, 2)).center());
        QVERIFY(!QApplication::activeModalWidget());
    }

    void decimalTextIsReadWithItsRules_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("stored");
        QTest::newRow("blank and sign") << " -42" << -42;
        QTest::newRow("trailing letters") << "12ab" << 12;
        QTest::newRow("overflow saturates") << "99999999999" << 2147483647;
        QTest::newRow("no digits") << "x1" << 0;
    }
    void decimalTextIsReadWithItsRules() {
        QFETCH(QString, typed);
        QFETCH(int, stored);
        FormFixture& f = *m_form;
        ParamTable::Instance().SetParamValue(22, 5);
        CMSFlexGrid* grid = f.Grid();
        QPoint cell = grid->visualItemRect(grid->item(9, 0)).center();  // parameter 22
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
        ValueDialogAnswerer answerer(typed, {}, true);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(ParamTable::Instance().GetParamValue(22), stored);
        QCOMPARE(TickAndReceive(f, *m_drive, 1).value(0),
                 QStringLiteral("#0.PWR 22 %1").arg(stored));
    }

    void bitDialogEditsParameter37KeepingHighBits() {
        FormFixture& f = *m_form;
        ParamTable::Instance().SetParamValue(37, 256 + 3);
        CMSFlexGrid* grid = f.Grid();
        QPoint cell = grid->visualItemRect(grid->item(18, 1)).center();  // parameter 37
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
        ValueDialogAnswerer answerer("99", {1035}, true);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(answerer.Caption(), U("설정값변경(HEX)"));
        QCOMPARE(answerer.Shown(), "259");
        QCOMPARE(ParamTable::Instance().GetParamValue(37), 263);
        QCOMPARE(TickAndReceive(f, *m_drive, 3),
                 QStringList({"#0.PWR 37 263", "#0.COP", "#0.PSV"}));
    }

    void statusBarTellsOfSilenceAndOfLinesNotSent() {
        FormFixture& f = *m_form;
        // The drive answers the read: no note, whatever the wait.
        f.Click(1028);
        QCOMPARE(TickAndReceive(f, *m_drive, 1), QStringList({"#0.PRA"}));
        m_drive->Write("#0.PRA 14 1F4\r");
        QTRY_COMPARE(ParamTable::Instance().GetParamValue(20), 500);
        QTest::qWait(1500);
        QCOMPARE(f.Frame().StatusText(), U("준비"));
        // It says nothing to the version request: noted after a second.
        f.Click(1040);
        QCOMPARE(TickAndReceive(f, *m_drive, 2), QStringList({"#0.FRD 0", "#0.FRD 1"}));
        QTRY_VERIFY_WITH_TIMEOUT(f.Frame().StatusText().startsWith(U("응답 없음")), 5000);
        // Without a port the lines are lost: said so, nothing is watched.
        f.Click(1024);
        QVERIFY(!f.View().Port().IsConnected());
        f.Click(1040);
        f.Tick();
        QCOMPARE(f.Frame().StatusText(), U("연결되지 않음: 2줄이 전송되지 않았습니다"));
        QTest::qWait(1500);
        QCOMPARE(f.Frame().StatusText(), U("연결되지 않음: 2줄이 전송되지 않았습니다"));
    }

    void wheelChangesAComboOnlyWithTheFocus() {
        FormFixture& f = *m_form;
        QComboBox* mode = f.Combo(1004);
        auto wheel = [mode] {
            QPoint at = mode->rect().center();
            QWheelEvent event(at, mode->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(mode, &event);
        };
        f.Frame().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.Frame()));
        f.Edit(1025)->setFocus();
        wheel();
        QCOMPARE(mode->currentIndex(), 1);
        QCOMPARE(ParamTable::Instance().GetParamValue(42), 1);
        QCOMPARE(f.Combo(1005)->currentIndex(), 1);
        // With the focus the wheel chooses, as a click in the list does.
        mode->setFocus();
        wheel();
        QCOMPARE(mode->currentIndex(), 2);
        QCOMPARE(ParamTable::Instance().GetParamValue(42), 2);
        QCOMPARE(f.Combo(1005)->currentIndex(), 3);
    }

  private:
    std::unique_ptr<PtyPair> m_drive;
    std::unique_ptr<FormFixture> m_form;
};

QTEST_MAIN(FormCommandsTest)
#include "FormCommandsTest.moc"
