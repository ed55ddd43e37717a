#pragma once

#include <QFileDialog>
#include <QObject>
#include <QStringList>
#include <QTimer>

// Plays the operator at the next file dialog: records how it opened, then
// chooses `name` (or cancels when it is empty).
class FileDialogAnswerer : public QObject {
    Q_OBJECT
  public:
    explicit FileDialogAnswerer(QString name);

    bool Seen() const { return m_bSeen; }
    QStringList NameFilters() const { return m_nameFilters; }
    QString Directory() const { return m_directory; }
    QString InitialName() const { return m_initialName; }
    QFileDialog::AcceptMode Mode() const { return m_mode; }
    QFileDialog::FileMode FileMode() const { return m_fileMode; }

  private:
    void Answer();

    QTimer m_poll;
    QString m_name;
    bool m_bSeen = false;
    QStringList m_nameFilters;
    QString m_directory;
    QString m_initialName;
    QFileDialog::AcceptMode m_mode = QFileDialog::AcceptOpen;
    QFileDialog::FileMode m_fileMode = QFileDialog::AnyFile;
};
