#include "form/MessageBox.h"

#include <QMessageBox>
#include <QPushButton>

#include "serial/Notifier.h"

namespace {

void AddOkButton(QMessageBox& box) {
    QPushButton* ok =
        box.addButton(QString::fromUtf8(MessageBox::kOkText), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
}

}  // namespace

void MessageBox::Show(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::NoButton, parent);
    AddOkButton(box);
    box.exec();
}

void MessageBox::Show(QWidget* parent, const QString& text) {
    Show(parent, QString::fromUtf8(Notifier::kAppCaption), text);
}

QMessageBox* MessageBox::Open(QWidget* parent, const QString& caption, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::NoIcon, caption, text, QMessageBox::NoButton, parent);
    AddOkButton(*box);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    box->show();
    return box;
}
