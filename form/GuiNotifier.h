#pragma once

#include <QObject>
#include <QPointer>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "serial/Notifier.h"

class QWidget;

// Shows the core's messages as modal boxes on the GUI thread. A worker that
// notifies waits until its box is dismissed, as the operator expects; while the
// form closes the port or stops the dispatcher it releases the notifier, so
// pending and new messages return at once and no join can wait on a box.
class GuiNotifier : public QObject, public Notifier {
    Q_OBJECT
  public:
    explicit GuiNotifier(QWidget* boxParent);

    void Notify(const std::string& caption, const std::string& text) override;
    // Pending and new Notify calls return at once until Rearm.
    void Release();
    void Rearm();

  private:
    void ShowQueued(const QString& caption, const QString& text, uint64_t ticket);
    bool IsAnswered(uint64_t ticket) const;

    QPointer<QWidget> m_boxParent;
    std::mutex m_mutex;
    std::condition_variable m_answered;
    bool m_bReleased = false;
    // Tickets up to m_nAnswered are done; a release answers every ticket issued.
    uint64_t m_nIssued = 0;
    uint64_t m_nAnswered = 0;
};
