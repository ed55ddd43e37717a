#pragma once

#include <QObject>
#include <QPointer>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "serial/Notifier.h"

class QWidget;

// Shows the core's messages as modal boxes on the GUI thread. A worker that
// notifies waits until its own box is dismissed, as the operator expects.
// While the form closes the port it releases the notifier: waiting and new
// workers go on at once, and their boxes still come up for the operator. When
// the window goes, no worker waits any more and boxes not yet shown are dropped.
class GuiNotifier : public QObject, public Notifier {
    Q_OBJECT
  public:
    explicit GuiNotifier(QWidget* boxParent);

    void Notify(const std::string& caption, const std::string& text) override;
    // Waiting and new Notify calls return at once until Rearm.
    void Release();
    void Rearm();
    // For good: Notify returns at once and shows nothing.
    void ShutDown();
    // Workers that wait for the operator to dismiss their box.
    int HeldWorkers() const;

  signals:
    // A worker queued a box; the GUI thread shows it.
    void BoxQueued();

  private:
    struct Request {
        uint64_t ticket = 0;
        std::string caption;
        std::string text;
    };

    void ShowQueuedBoxes();
    void Answer(uint64_t ticket);

    QPointer<QWidget> m_boxParent;
    std::thread::id m_guiThread = std::this_thread::get_id();
    // The hand-off between the workers and the GUI thread goes through this
    // mutex alone, not through Qt's event queue.
    mutable std::mutex m_mutex;
    std::condition_variable m_answered;
    bool m_bReleased = false;
    bool m_bShutDown = false;
    uint64_t m_nIssued = 0;
    std::deque<Request> m_queued;  // boxes the GUI thread has yet to show
    std::set<uint64_t> m_held;     // tickets whose workers wait for their box
};
