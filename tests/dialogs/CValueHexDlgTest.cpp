#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QTest>

#include "DialogOperator.h"
#include "form/CValueHexDlg.h"
#include "params/ParamTable.h"

using namespace DialogOperator;

namespace {

// Parameter 37 is the one listed parameter edited bit by bit.
constexpr int32_t kBitParam = 37;
constexpr int32_t kUntouched = 424242;

CValueHexDlg& Dialog() { return CValueHexDlg::Instance(); }

QCheckBox* Box(int bit) {
    return Dialog().findChild<QCheckBox*>(QStringLiteral("ctl%1").arg(1033 + bit));
}

// Bit k set when box k is ticked.
int TickedMask() {
    int mask = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if (Box(bit)->isChecked()) mask |= 1 << bit;
    }
    return mask;
}

}  // namespace

class CValueHexDlgTest : public QObject {
    Q_OBJECT

  private slots:
    void editBits_data();
    void editBits();
    void spaceOnAFocusedBoxTicksIt();
    void confirmWithoutChangeHandsBackTheSameValue();
    void cancelHandsNothingBack_data();
    void cancelHandsNothingBack();
    void openingTicksTheBoxesOfTheValue_data();
    void openingTicksTheBoxesOfTheValue();
    void reopeningShowsNothingOfTheEarlierEdit();
    void controlsStandAtTheirDialogUnits();
};

void CValueHexDlgTest::editBits_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("expected");

    QTest::newRow("5, tick Bit<7>") << 5 << "" << QList<int>{7} << "133" << 133;
    QTest::newRow("256 + 3 keeps bit 8") << 259 << "" << QList<int>{2} << "263" << 263;
    QTest::newRow("typed 99 is not the value") << 5 << "99" << QList<int>{} << "99" << 5;
    QTest::newRow("a click replaces what was typed") << 5 << "99" << QList<int>{1} << "7" << 7;
    QTest::newRow("clear Bit<0>, Bit<7> of -1") << -1 << "" << QList<int>{0, 7} << "-130" << -130;
    QTest::newRow("twice is no change") << 8 << "" << QList<int>{3, 3} << "8" << 8;
    QTest::newRow("all eight set")
        << 0x12345600 << "" << QList<int>{0, 1, 2, 3, 4, 5, 6, 7} << "305420031" << 0x123456FF;
    QTest::newRow("all eight cleared")
        << 0x7FFFFFFF << "" << QList<int>{7, 6, 5, 4, 3, 2, 1, 0} << "2147483392" << 0x7FFFFF00;
}

void CValueHexDlgTest::editBits() {
    QFETCH(int, start);
    QFETCH(QString, typed);
    QFETCH(QList<int>, clicks);
    QFETCH(QString, shown);
    QFETCH(int, expected);
    ParamTable::Instance().SetParamValue(kBitParam, start);

    QString shownBeforeOk;
    int32_t value = kUntouched;
    int result = Run(Dialog(), kBitParam, value, [&] {
        if (!typed.isEmpty()) Type(Dialog(), typed);
        for (int bit : clicks) ClickBox(Box(bit));
        shownBeforeOk = Edit(Dialog())->text();
        ClickOk(Dialog());
    });

    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(shownBeforeOk, shown);
    QCOMPARE(value, expected);
    QCOMPARE(ParamTable::Instance().GetParamValue(kBitParam), start);
}

void CValueHexDlgTest::spaceOnAFocusedBoxTicksIt() {
    ParamTable::Instance().SetParamValue(kBitParam, 1);

    QString shown;
    int32_t value = kUntouched;
    Run(Dialog(), kBitParam, value, [&] {
        Box(4)->setFocus();
        QTest::keyClick(Box(4), Qt::Key_Space);
        shown = Edit(Dialog())->text();
        ClickOk(Dialog());
    });

    QCOMPARE(shown, QString("17"));
    QCOMPARE(value, 17);
}

void CValueHexDlgTest::confirmWithoutChangeHandsBackTheSameValue() {
    ParamTable::Instance().SetParamValue(kBitParam, -12345);

    int32_t value = kUntouched;
    int result = Run(Dialog(), kBitParam, value, [] { PressEnter(Dialog()); });

    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(value, -12345);
}

void CValueHexDlgTest::cancelHandsNothingBack_data() { AddCancelRows(); }

void CValueHexDlgTest::cancelHandsNothingBack() {
    QFETCH(CancelWay, way);
    ParamTable::Instance().SetParamValue(kBitParam, 5);

    int32_t value = kUntouched;
    int result = Run(Dialog(), kBitParam, value, [&] {
        ClickBox(Box(7));
        Cancel(Dialog(), way);
    });

    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(value, kUntouched);
    QCOMPARE(ParamTable::Instance().GetParamValue(kBitParam), 5);
}

void CValueHexDlgTest::openingTicksTheBoxesOfTheValue_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("ticked");
    QTest::newRow("5") << 5 << 0b101;
    QTest::newRow("bit 8 only") << 256 << 0;
    QTest::newRow("-1") << -1 << 0xFF;
    QTest::newRow("0x5A") << 0x5A << 0x5A;
}

void CValueHexDlgTest::openingTicksTheBoxesOfTheValue() {
    QFETCH(int, start);
    QFETCH(int, ticked);
    ParamTable::Instance().SetParamValue(kBitParam, start);

    QString label, shown;
    int tickedShown = -1;
    int32_t value = kUntouched;
    Run(Dialog(), kBitParam, value, [&] {
        label = Dialog().findChild<QLabel*>("ctl1032")->text();
        shown = Edit(Dialog())->text();
        tickedShown = TickedMask();
        Cancel(Dialog(), CancelWay::Button);
    });

    QCOMPARE(label, QString("모니터링종류 : "));
    QCOMPARE(shown, QString::number(start));
    QCOMPARE(tickedShown, ticked);
}

void CValueHexDlgTest::reopeningShowsNothingOfTheEarlierEdit() {
    ParamTable::Instance().SetParamValue(kBitParam, 5);
    int32_t value = kUntouched;
    Run(Dialog(), kBitParam, value, [] {
        ClickBox(Box(7));
        ClickBox(Box(0));
        Cancel(Dialog(), CancelWay::EscapeKey);
    });

    QString shown;
    int tickedShown = -1;
    Run(Dialog(), kBitParam, value, [&] {
        shown = Edit(Dialog())->text();
        tickedShown = TickedMask();
        ClickOk(Dialog());
    });

    QCOMPARE(shown, QString("5"));
    QCOMPARE(tickedShown, 0b101);
    QCOMPARE(value, 5);
}

void CValueHexDlgTest::controlsStandAtTheirDialogUnits() {
    CValueHexDlg& dialog = Dialog();
    QCOMPARE(dialog.windowTitle(), QString("설정값변경(HEX)"));
    CheckPlaces(dialog, 187, 94,
                {{1030, 79, 13, 37, 12},
                 {1, 131, 7, 50, 14},
                 {2, 131, 24, 50, 14},
                 {1032, 8, 13, 65, 8},
                 {1033, 138, 66, 37, 10},
                 {1034, 96, 66, 37, 10},
                 {1035, 54, 66, 37, 10},
                 {1036, 12, 66, 37, 10},
                 {1037, 138, 52, 37, 10},
                 {1038, 96, 52, 37, 10},
                 {1039, 54, 52, 37, 10},
                 {1040, 12, 52, 37, 10}});

    QCOMPARE(Edit(dialog)->accessibleName(), QString("설정값"));
    for (int bit = 0; bit < 8; ++bit) {
        QCOMPARE(Box(bit)->text(), QStringLiteral("Bit<%1>").arg(bit));
        QCOMPARE(Box(bit)->focusPolicy(), Qt::StrongFocus);
        if (bit > 0) QCOMPARE(Box(bit - 1)->nextInFocusChain(), Box(bit));
    }
}

QTEST_MAIN(CValueHexDlgTest)
#include "CValueHexDlgTest.moc"
