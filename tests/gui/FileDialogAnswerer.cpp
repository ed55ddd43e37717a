#include "FileDialogAnswerer.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

FileDialogAnswerer::FileDialogAnswerer(QString name) : m_name(std::move(name)) {
    connect(&m_poll, &QTimer::timeout, this, &FileDialogAnswerer::Answer);
    m_poll.start(20);
}

void FileDialogAnswerer::Answer() {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) return;
    m_poll.stop();
    m_bSeen = true;
    m_nameFilters = dialog->nameFilters();
    m_directory = dialog->directory().absolutePath();
    auto* nameEdit = dialog->findChild<QLineEdit*>("fileNameEdit");
    m_initialName = nameEdit ? nameEdit->text() : QString();
    m_mode = dialog->acceptMode();
    m_fileMode = dialog->fileMode();
    if (m_name.isEmpty()) {
        dialog->reject();
        return;
    }
    // Typed into the name field, as the operator does.
    nameEdit->setText(m_name);
    QTest::keyClick(nameEdit, Qt::Key_Return);
}
