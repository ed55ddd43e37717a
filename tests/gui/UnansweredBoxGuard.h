#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

class QMessageBox;

// Closes a modal message box that nobody answers for 5 s and keeps its text,
// so a test that did not expect the box fails naming it instead of hanging in
// the box until the test's time-out.
class UnansweredBoxGuard : public QObject {
    Q_OBJECT
  public:
    static constexpr int kPatienceMs = 5000;

    UnansweredBoxGuard();

    QStringList Texts() const { return m_texts; }

  private:
    void Check();

    QTimer m_poll;
    QPointer<QMessageBox> m_box;
    QElapsedTimer m_shown;
    QStringList m_texts;
};
