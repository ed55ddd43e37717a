#include "FileDialogAnswerer.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

FileDialogsSeen AnswerFileDialogs(const QStringList& names, const std::function<void()>& act) {
    FileDialogsSeen seen;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        QString name = names.value(seen.count);
        if (++seen.count == names.size()) poll.stop();
        if (seen.count == 1) seen.fileMode = dialog->fileMode();
        if (name.isEmpty()) {
            dialog->reject();
            return;
        }
        // Typed into the name field, as the operator does.
        auto* nameEdit = dialog->findChild<QLineEdit*>("fileNameEdit");
        nameEdit->setText(name);
        QTest::keyClick(nameEdit, Qt::Key_Return);
    });
    poll.start(20);
    act();
    return seen;
}
