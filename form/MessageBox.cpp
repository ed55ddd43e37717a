#include "form/MessageBox.h"

#include <QMessageBox>
#include <QPushButton>

#include "serial/Notifier.h"

void MessageBox::Show(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::NoButton, parent);
    QPushButton* ok = box.addButton(QString::fromUtf8(kOkText), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
}

void MessageBox::Show(QWidget* parent, const QString& text) {
    Show(parent, QString::fromUtf8(Notifier::kAppCaption), text);
}
