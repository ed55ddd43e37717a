#pragma once

#include <QFileDialog>
#include <QObject>
#include <QStringList>
#include <QTimer>

// Plays the operator at the next file dialogs: records how the first opened,
// then chooses each of `names` in turn (or cancels at an empty one).
class FileDialogAnswerer : public QObject {
    Q_OBJECT
  public:
    explicit FileDialogAnswerer(QString name) : FileDialogAnswerer(QStringList{name}) {}
    explicit FileDialogAnswerer(QStringList names);

    bool Seen() const { return m_nSeen > 0; }
    int Count() const { return m_nSeen; }
    QFileDialog::AcceptMode Mode() const { return m_mode; }
    QFileDialog::FileMode FileMode() const { return m_fileMode; }

  private:
    void Answer();

    QTimer m_poll;
    QStringList m_names;
    int m_nSeen = 0;
    QFileDialog::AcceptMode m_mode = QFileDialog::AcceptOpen;
    QFileDialog::FileMode m_fileMode = QFileDialog::AnyFile;
};
