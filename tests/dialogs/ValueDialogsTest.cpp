// The two value dialogs as the operator uses them: what each opens with, what
// OK, Enter and each way of cancelling hand back, and the bit boxes.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "form/CValueDecDlg.h"
#include "form/CValueHexDlg.h"
#include "params/ParamTable.h"

namespace {

// Opens `dialog` for `number` over `parent` as the form does; `operate` runs once the
// dialog is up and must close it. A dialog still open after a minute ends with -1, so
// that a broken test fails instead of hanging.
int Run(CValueDlgBase& dialog, int32_t number, int32_t& value, const std::function<void()>& operate,
        QWidget* parent = nullptr) {
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &dialog, [&dialog] { dialog.done(-1); });
    watchdog.start(60000);
    QTimer::singleShot(0, &dialog, operate);
    return dialog.DoModal(parent, number, value);
}

QLineEdit* Edit(QDialog& dialog) { return dialog.findChild<QLineEdit*>("ctl1030"); }

void ClickOk(QDialog& dialog) {
    QTest::mouseClick(dialog.findChild<QPushButton*>("ctl1"), Qt::LeftButton);
}

void PressEnter(QDialog& dialog) { QTest::keyClick(Edit(dialog), Qt::Key_Return); }

void ClickBox(QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, 4)); }

// What the form's m_nEditValue holds before a dialog runs.
constexpr int32_t kUntouched = 424242;
// Parameter 37 is the one listed parameter edited bit by bit.
constexpr int32_t kBitParam = 37;

CValueDecDlg& Dec() { return CValueDecDlg::Instance(); }
CValueHexDlg& Hex() { return CValueHexDlg::Instance(); }
CValueDlgBase& DialogOf(bool bits) { return bits ? static_cast<CValueDlgBase&>(Hex()) : Dec(); }
int32_t NumberOf(bool bits) { return bits ? kBitParam : 20; }

QCheckBox* Box(int bit) {
    return Hex().findChild<QCheckBox*>(
        QStringLiteral("ctl%1").arg(CValueHexDlg::kFirstBitId + bit));
}

}  // namespace

using DialogAction = std::function<void(QDialog&)>;
Q_DECLARE_METATYPE(DialogAction)

class ValueDialogsTest : public QObject {
    Q_OBJECT

  private slots:
    void decimalEntry_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("withEnter");
        QTest::addColumn<int>("expected");
        // The rows run on the one dialog: an Enter after an OK click still confirms.
        QTest::newRow("nothing typed") << "" << true << 7;
        QTest::newRow("500 over 7") << "500" << false << 500;
        QTest::newRow("emptied by Backspace") << "\b" << false << 0;
    }
    void decimalEntry() {
        QFETCH(QString, text);
        QFETCH(bool, withEnter);
        QFETCH(int, expected);
        ParamTable::Instance().SetParamValue(20, 7);

        int32_t value = kUntouched;
        int result = Run(Dec(), 20, value, [&] {
            QTest::keyClicks(Edit(Dec()), text);
            withEnter ? PressEnter(Dec()) : ClickOk(Dec());
        });

        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(value, expected);
    }

    void bitEntry_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("expected");
        QTest::newRow("typed 99 is not the value") << 5 << "99" << QList<int>{} << "99" << 5;
        QTest::newRow("a click replaces what was typed") << 5 << "99" << QList<int>{1} << "7" << 7;
        QTest::newRow("clear Bit<0>, Bit<7> of -1")
            << -1 << "" << QList<int>{0, 7} << "-130" << -130;
    }
    void bitEntry() {
        QFETCH(int, start);
        QFETCH(QString, typed);
        QFETCH(QList<int>, clicks);
        QFETCH(QString, shown);
        QFETCH(int, expected);
        ParamTable::Instance().SetParamValue(kBitParam, start);

        QString shownAtOpening, shownBeforeOk;
        int tickedAtOpening = 0;
        int32_t value = kUntouched;
        int result = Run(Hex(), kBitParam, value, [&] {
            shownAtOpening = Edit(Hex())->text();
            for (int bit = 0; bit < 8; ++bit) tickedAtOpening |= Box(bit)->isChecked() << bit;
            QTest::keyClicks(Edit(Hex()), typed);
            for (int bit : clicks) ClickBox(Box(bit));
            shownBeforeOk = Edit(Hex())->text();
            ClickOk(Hex());
        });

        // Each row opens after the last row's edit, and shows nothing of it: box k
        // shows bit k of the value.
        QCOMPARE(shownAtOpening, QString::number(start));
        QCOMPARE(tickedAtOpening, start & 0xFF);
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(shownBeforeOk, shown);
        QCOMPARE(value, expected);
    }

    void cancelHandsNothingBack_data() {
        QTest::addColumn<bool>("bits");
        QTest::addColumn<DialogAction>("cancel");
        const std::pair<const char*, DialogAction> kWays[] = {
            {"Cancel button",
             [](QDialog& d) {
                 QTest::mouseClick(d.findChild<QPushButton*>("ctl2"), Qt::LeftButton);
             }},
            {"Escape key", [](QDialog& d) { QTest::keyClick(Edit(d), Qt::Key_Escape); }},
            {"close box", [](QDialog& d) { d.close(); }}};
        for (bool bits : {false, true}) {
            for (const auto& [way, cancel] : kWays)
                QTest::addRow("%s, %s", bits ? "bits" : "decimal", way) << bits << cancel;
        }
    }
    void cancelHandsNothingBack() {
        QFETCH(bool, bits);
        QFETCH(DialogAction, cancel);
        ParamTable::Instance().SetParamValue(NumberOf(bits), 5);

        int32_t value = kUntouched;
        int result = Run(DialogOf(bits), NumberOf(bits), value, [&] {
            bits ? ClickBox(Box(7)) : QTest::keyClicks(Edit(Dec()), "9");  // a change to hand back
            cancel(DialogOf(bits));
        });

        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(value, kUntouched);
        // Cancel clicked does not become the default: Enter confirms the next edit.
        result = Run(DialogOf(bits), NumberOf(bits), value, [&] { PressEnter(DialogOf(bits)); });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(value, 5);
    }

    // Parameter 61's name ends in a blank, kept before the colon. Typing replaces the
    // value shown (the entry rows), with the edit in focus. Both dialogs keep their size
    // and lead Tab from the edit to OK and Cancel.
    void openingShowsTheNameWithTheEditInFocusAndKeepsItsSize() {
        QString shownLabel;
        QWidget* focused = nullptr;
        bool active = false;
        int32_t value = kUntouched;
        Run(Dec(), 61, value, [&] {
            active = QTest::qWaitForWindowActive(&Dec());
            shownLabel = Dec().findChild<QLabel*>("ctl1031")->text();
            focused = QApplication::focusWidget();
            QTest::keyClick(Edit(Dec()), Qt::Key_Escape);
        });
        QVERIFY(active);
        QCOMPARE(shownLabel, "AD입력최소  : ");
        QCOMPARE(focused, Edit(Dec()));
        for (bool bits : {false, true}) {
            CValueDlgBase& dialog = DialogOf(bits);
            QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
            auto* ok = dialog.findChild<QPushButton*>("ctl1");
            QCOMPARE(Edit(dialog)->nextInFocusChain(), ok);
            QCOMPARE(ok->nextInFocusChain(), dialog.findChild<QPushButton*>("ctl2"));
        }
    }

    void outlivesTheFormItWasShownOver() {
        auto* form = new QWidget;
        form->show();
        int32_t value = kUntouched;
        Run(
            Dec(), 20, value, [] { ClickOk(Dec()); }, form);
        QPointer<CValueDecDlg> dialog(&Dec());
        delete form;

        QVERIFY(!dialog.isNull());
        QCOMPARE(Run(Dec(), 20, value, [] { ClickOk(Dec()); }), int(QDialog::Accepted));
    }
};

QTEST_MAIN(ValueDialogsTest)
#include "ValueDialogsTest.moc"
