#include "FileDialogAnswerer.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

FileDialogAnswerer::FileDialogAnswerer(QStringList names) : m_names(std::move(names)) {
    connect(&m_poll, &QTimer::timeout, this, &FileDialogAnswerer::Answer);
    m_poll.start(20);
}

void FileDialogAnswerer::Answer() {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) return;
    QString name = m_names.value(m_nSeen);
    if (++m_nSeen == m_names.size()) m_poll.stop();
    auto* nameEdit = dialog->findChild<QLineEdit*>("fileNameEdit");
    if (m_nSeen == 1) {
        m_mode = dialog->acceptMode();
        m_fileMode = dialog->fileMode();
    }
    if (name.isEmpty()) {
        dialog->reject();
        return;
    }
    // Typed into the name field, as the operator does.
    nameEdit->setText(name);
    QTest::keyClick(nameEdit, Qt::Key_Return);
}
