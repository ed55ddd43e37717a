#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <limits>

#include "DialogOperator.h"
#include "form/CValueDecDlg.h"
#include "params/ParamTable.h"

using namespace DialogOperator;

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
// What the form's m_nEditValue holds before a dialog runs.
constexpr int32_t kUntouched = 424242;

enum class Entry { Typed, Pasted };

CValueDecDlg& Dialog() { return CValueDecDlg::Instance(); }

QLabel* Label() { return Dialog().findChild<QLabel*>("ctl1031"); }

}  // namespace

Q_DECLARE_METATYPE(Entry)

class CValueDecDlgTest : public QObject {
    Q_OBJECT

  private slots:
    void editAValue_data();
    void editAValue();
    void confirmWithoutChangeHandsBackTheSameValue_data();
    void confirmWithoutChangeHandsBackTheSameValue();
    void cancelHandsNothingBack_data();
    void cancelHandsNothingBack();
    void openingShowsNameAndValueReadyToOverType_data();
    void openingShowsNameAndValueReadyToOverType();
    void reopeningShowsNothingOfTheEarlierEdit();
    void outlivesTheFormItWasShownOver();
    void enterConfirmsAfterAnEditClosedWithTheMouse_data();
    void enterConfirmsAfterAnEditClosedWithTheMouse();
    void controlsStandAtTheirDialogUnits();
};

void CValueDecDlgTest::editAValue_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("start");
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("withEnter");
    QTest::addColumn<int>("expected");

    QTest::newRow("500 over 0") << 20 << 0 << Entry::Typed << "500" << false << 500;
    QTest::newRow("Enter confirms") << 21 << 7 << Entry::Typed << "1200" << true << 1200;
    QTest::newRow("-42 with a blank") << 20 << 500 << Entry::Typed << " -42" << false << -42;
    QTest::newRow("plus sign") << 22 << 3 << Entry::Typed << "+17" << false << 17;
    QTest::newRow("trailing blank") << 22 << 3 << Entry::Typed << "300 " << true << 300;
    QTest::newRow("12ab") << 23 << 500 << Entry::Typed << "12ab" << false << 12;
    QTest::newRow("0x1F") << 23 << 500 << Entry::Typed << "0x1F" << false << 0;
    QTest::newRow("letters") << 23 << 500 << Entry::Typed << "abc" << false << 0;
    QTest::newRow("sign without digits") << 23 << 500 << Entry::Typed << "- 4" << false << 0;
    QTest::newRow("empty field") << 23 << 500 << Entry::Typed << "" << false << 0;
    QTest::newRow("largest") << 25 << 0 << Entry::Typed << "2147483647" << false << kMax;
    QTest::newRow("smallest") << 25 << 0 << Entry::Typed << "-2147483648" << false << kMin;
    QTest::newRow("just over") << 25 << 0 << Entry::Typed << "2147483648" << false << kMax;
    QTest::newRow("far over") << 25 << 0 << Entry::Typed << "99999999999999999999" << false << kMax;
    QTest::newRow("far under") << 25 << 0 << Entry::Typed << "-99999999999" << false << kMin;
    QTest::newRow("pasted tab") << 26 << 1 << Entry::Pasted << "\t 250" << false << 250;
    QTest::newRow("pasted line break") << 26 << 1 << Entry::Pasted << "\n250" << false << 0;
    QTest::newRow("pasted CR LF") << 26 << 1 << Entry::Pasted << " \r\n250" << true << 0;
}

void CValueDecDlgTest::editAValue() {
    QFETCH(int, number);
    QFETCH(int, start);
    QFETCH(Entry, entry);
    QFETCH(QString, text);
    QFETCH(bool, withEnter);
    QFETCH(int, expected);
    ParamTable::Instance().SetParamValue(number, start);

    int32_t value = kUntouched;
    int result = Run(Dialog(), number, value, [&] {
        if (entry == Entry::Typed) {
            Type(Dialog(), text);
        } else {
            Paste(Dialog(), text);
        }
        withEnter ? PressEnter(Dialog()) : ClickOk(Dialog());
    });

    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(value, expected);
    QCOMPARE(ParamTable::Instance().GetParamValue(number), start);
}

void CValueDecDlgTest::confirmWithoutChangeHandsBackTheSameValue_data() {
    QTest::addColumn<int>("start");
    QTest::newRow("500") << 500;
    QTest::newRow("-1000") << -1000;
    QTest::newRow("smallest") << kMin;
}

void CValueDecDlgTest::confirmWithoutChangeHandsBackTheSameValue() {
    QFETCH(int, start);
    ParamTable::Instance().SetParamValue(20, start);

    int32_t value = kUntouched;
    int result = Run(Dialog(), 20, value, [] { ClickOk(Dialog()); });

    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(value, start);
}

void CValueDecDlgTest::cancelHandsNothingBack_data() { AddCancelRows(); }

void CValueDecDlgTest::cancelHandsNothingBack() {
    QFETCH(CancelWay, way);
    ParamTable::Instance().SetParamValue(20, 500);

    int32_t value = kUntouched;
    int result = Run(Dialog(), 20, value, [&] {
        Type(Dialog(), "9");
        Cancel(Dialog(), way);
    });

    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(value, kUntouched);
    QCOMPARE(ParamTable::Instance().GetParamValue(20), 500);
}

void CValueDecDlgTest::openingShowsNameAndValueReadyToOverType_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("label");
    QTest::newRow("20") << 20 << 500 << "가속시간 : ";
    QTest::newRow("61, name ending in a blank") << 61 << -1 << "AD입력최소  : ";
    QTest::newRow("13, name with blanks") << 13 << kMax << "전류 P gain : ";
}

void CValueDecDlgTest::openingShowsNameAndValueReadyToOverType() {
    QFETCH(int, number);
    QFETCH(int, start);
    QFETCH(QString, label);
    ParamTable::Instance().SetParamValue(number, start);

    QString shownLabel, shownText, selected;
    QWidget* focused = nullptr;
    bool active = false;
    int32_t value = kUntouched;
    Run(Dialog(), number, value, [&] {
        active = QTest::qWaitForWindowActive(&Dialog());
        shownLabel = Label()->text();
        shownText = Edit(Dialog())->text();
        selected = Edit(Dialog())->selectedText();
        focused = QApplication::focusWidget();
        Cancel(Dialog(), CancelWay::Button);
    });

    QVERIFY(active);
    QCOMPARE(shownLabel, label);
    QCOMPARE(shownText, QString::number(start));
    QCOMPARE(selected, shownText);
    QCOMPARE(focused, Edit(Dialog()));
}

void CValueDecDlgTest::reopeningShowsNothingOfTheEarlierEdit() {
    ParamTable::Instance().SetParamValue(20, 500);
    ParamTable::Instance().SetParamValue(21, 3);
    int32_t value = kUntouched;
    Run(Dialog(), 20, value, [] {
        Type(Dialog(), "77");
        Cancel(Dialog(), CancelWay::EscapeKey);
    });

    QString shownLabel, shownText;
    int result = Run(Dialog(), 21, value, [&] {
        shownLabel = Label()->text();
        shownText = Edit(Dialog())->text();
        ClickOk(Dialog());
    });

    QCOMPARE(shownLabel, QString("감속시간 : "));
    QCOMPARE(shownText, QString("3"));
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(value, 3);
    QCOMPARE(&CValueDecDlg::Instance(), &Dialog());
}

void CValueDecDlgTest::outlivesTheFormItWasShownOver() {
    ParamTable::Instance().SetParamValue(20, 500);
    auto* form = new QWidget;
    form->show();
    QWidget* ownerWhileShown = nullptr;
    int32_t value = kUntouched;
    Run(
        Dialog(), 20, value,
        [&] {
            ownerWhileShown = Dialog().parentWidget();
            ClickOk(Dialog());
        },
        form);
    QCOMPARE(ownerWhileShown, form);
    QPointer<CValueDecDlg> dialog(&Dialog());
    delete form;

    QVERIFY(!dialog.isNull());
    QCOMPARE(dialog->parentWidget(), nullptr);
    int result = Run(Dialog(), 20, value, [] { ClickOk(Dialog()); });
    QCOMPARE(result, int(QDialog::Accepted));
}

void CValueDecDlgTest::enterConfirmsAfterAnEditClosedWithTheMouse_data() {
    QTest::addColumn<bool>("withOk");
    QTest::newRow("OK clicked") << true;
    QTest::newRow("Cancel clicked") << false;
}

void CValueDecDlgTest::enterConfirmsAfterAnEditClosedWithTheMouse() {
    QFETCH(bool, withOk);
    ParamTable::Instance().SetParamValue(20, 500);
    int32_t value = kUntouched;
    Run(Dialog(), 20, value,
        [&] { withOk ? ClickOk(Dialog()) : Cancel(Dialog(), CancelWay::Button); });

    int result = Run(Dialog(), 20, value, [] {
        Type(Dialog(), "600");
        PressEnter(Dialog());
    });

    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(value, 600);
}

void CValueDecDlgTest::controlsStandAtTheirDialogUnits() {
    CValueDecDlg& dialog = Dialog();
    QCOMPARE(dialog.windowTitle(), QString("설정값변경(DEC)"));
    CheckPlaces(
        dialog, 187, 53,
        {{1030, 79, 18, 37, 12}, {1, 131, 7, 50, 14}, {2, 131, 24, 50, 14}, {1031, 8, 18, 65, 8}});

    QLineEdit* edit = Edit(dialog);
    QCOMPARE(edit->accessibleName(), QString("설정값"));
    QCOMPARE(edit->alignment(), Qt::AlignCenter);
    auto* ok = dialog.findChild<QPushButton*>("ctl1");
    auto* cancel = dialog.findChild<QPushButton*>("ctl2");
    QCOMPARE(ok->text(), QString("OK"));
    bool okIsDefault = false;
    int32_t value = kUntouched;
    Run(dialog, 20, value, [&] {
        okIsDefault = ok->isDefault() && !cancel->isDefault();
        Cancel(dialog, CancelWay::CloseBox);
    });
    QVERIFY(okIsDefault);
    QCOMPARE(cancel->text(), QString("Cancel"));
    QVERIFY(Label()->alignment() & Qt::AlignRight);
    QCOMPARE(edit->nextInFocusChain(), ok);
    QCOMPARE(ok->nextInFocusChain(), cancel);
    QVERIFY(!(dialog.windowFlags() & Qt::WindowMaximizeButtonHint));
}

QTEST_MAIN(CValueDecDlgTest)
#include "CValueDecDlgTest.moc"
