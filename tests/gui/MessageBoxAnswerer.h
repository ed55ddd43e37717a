#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

class QMessageBox;

// Plays the operator at the message boxes: while it lives, every modal
// QMessageBox that comes up is recorded and answered with the button reading
// `button`, or with its first button. A patient answerer waits `patienceMs`
// first, so that it only takes the boxes nobody else answers: a test that did
// not expect a box then fails naming it instead of hanging in it.
class MessageBoxAnswerer : public QObject {
    Q_OBJECT
  public:
    explicit MessageBoxAnswerer(QString button = QString(), int patienceMs = 0);

    QStringList Texts() const { return m_texts; }
    // Records each box as its text, " / " and what `alongside` gives while
    // the box is up (the status bar, say).
    void RecordAlongside(std::function<QString()> alongside) { m_alongside = std::move(alongside); }

  private:
    void AnswerOpenBox();

    QTimer m_poll;
    QString m_button;
    int m_nPatienceMs;
    QPointer<QMessageBox> m_box;
    QElapsedTimer m_shown;
    QStringList m_texts;
    std::function<QString()> m_alongside;
};
