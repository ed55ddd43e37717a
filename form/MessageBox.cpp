#include "form/MessageBox.h"

#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

#include "form/Utf8Text.h"
#include "serial/Notifier.h"

namespace {

void AddOkButton(QMessageBox& box) {
    QPushButton* ok = box.addButton(Text(MessageBox::kOkText), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
}

}  // namespace

void MessageBox::MakeRoomForCaption(QMessageBox& box) {
    // The window manager draws the caption, mostly in bold, beside the window's icon and
    // its minimise, maximise and close buttons, each about twice the text's height wide.
    QFont titleFont = box.font();
    titleFont.setBold(true);
    QFontMetrics metrics(titleFont);
    int width = metrics.horizontalAdvance(box.windowTitle()) + 4 * 2 * metrics.height();
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    grid->addItem(new QSpacerItem(width, 0), grid->rowCount(), 0, 1, grid->columnCount());
}

void MessageBox::Show(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::NoButton, parent);
    AddOkButton(box);
    MakeRoomForCaption(box);
    box.exec();
}

void MessageBox::Show(QWidget* parent, const QString& text) {
    Show(parent, Text(Notifier::kAppCaption), text);
}

void MessageBox::ShowSelectable(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, Text(Notifier::kAppCaption), text, QMessageBox::NoButton,
                    parent);
    box.setTextFormat(Qt::PlainText);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    AddOkButton(box);
    MakeRoomForCaption(box);
    box.exec();
}

bool MessageBox::AskYesNo(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, Text(Notifier::kAppCaption), text, QMessageBox::NoButton,
                    parent);
    QPushButton* yes = box.addButton(Text("예"), QMessageBox::AcceptRole);
    QPushButton* no = box.addButton(Text("아니오"), QMessageBox::RejectRole);
    box.setDefaultButton(no);
    MakeRoomForCaption(box);
    box.exec();
    return box.clickedButton() == yes;
}

QMessageBox* MessageBox::Open(QWidget* parent, const QString& caption, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::NoIcon, caption, text, QMessageBox::NoButton, parent);
    AddOkButton(*box);
    MakeRoomForCaption(*box);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    box->show();
    return box;
}
