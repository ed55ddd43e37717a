#include "DialogOperator.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>

namespace DialogOperator {

int Run(CValueDlgBase& dialog, int32_t number, int32_t& value, const std::function<void()>& operate,
        QWidget* parent) {
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &dialog, [&dialog] { dialog.done(-1); });
    watchdog.start(60000);
    QTimer::singleShot(0, &dialog, operate);
    return dialog.DoModal(parent, number, value);
}

QLineEdit* Edit(QDialog& dialog) { return dialog.findChild<QLineEdit*>("ctl1030"); }

void Type(QDialog& dialog, const QString& text) {
    if (text.isEmpty()) {
        QTest::keyClick(Edit(dialog), Qt::Key_Backspace);
    } else {
        QTest::keyClicks(Edit(dialog), text);
    }
}

void Paste(QDialog& dialog, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(Edit(dialog), Qt::Key_V, Qt::ControlModifier);
}

void ClickOk(QDialog& dialog) {
    QTest::mouseClick(dialog.findChild<QPushButton*>("ctl1"), Qt::LeftButton);
}

void PressEnter(QDialog& dialog) { QTest::keyClick(Edit(dialog), Qt::Key_Return); }

void Cancel(QDialog& dialog, CancelWay way) {
    switch (way) {
        case CancelWay::Button:
            QTest::mouseClick(dialog.findChild<QPushButton*>("ctl2"), Qt::LeftButton);
            break;
        case CancelWay::EscapeKey:
            QTest::keyClick(Edit(dialog), Qt::Key_Escape);
            break;
        case CancelWay::CloseBox:
            dialog.close();
            break;
    }
}

void ClickBox(QCheckBox* box) {
    QStyleOptionButton option;
    option.initFrom(box);
    QRect target = box->style()->subElementRect(QStyle::SE_CheckBoxClickRect, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, target.center());
}

}  // namespace DialogOperator
