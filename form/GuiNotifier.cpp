#include "form/GuiNotifier.h"

#include <QMessageBox>
#include <QWidget>

#include "form/MessageBox.h"

GuiNotifier::GuiNotifier(QWidget* boxParent) : m_boxParent(boxParent) {
    connect(this, &GuiNotifier::BoxQueued, this, &GuiNotifier::ShowQueuedBoxes,
            Qt::QueuedConnection);
}

void GuiNotifier::Notify(const std::string& caption, const std::string& text) {
    if (std::this_thread::get_id() == m_guiThread) {
        MessageBox::Show(m_boxParent, QString::fromUtf8(caption), QString::fromUtf8(text));
        return;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_bShutDown) return;
    uint64_t ticket = ++m_nIssued;
    m_queued.push_back({ticket, caption, text});
    bool wait = !m_bReleased;
    if (wait) m_held.insert(ticket);
    lock.unlock();
    emit BoxQueued();
    if (!wait) return;
    lock.lock();
    m_answered.wait(lock, [this, ticket] { return !m_held.contains(ticket); });
}

void GuiNotifier::ShowQueuedBoxes() {
    for (;;) {
        Request request;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_queued.empty()) return;
            request = std::move(m_queued.front());
            m_queued.pop_front();
        }
        // Not a nested event loop: each box answers for its own worker, in
        // whatever order the operator dismisses them.
        QMessageBox* box = MessageBox::Open(m_boxParent, QString::fromUtf8(request.caption),
                                            QString::fromUtf8(request.text));
        uint64_t ticket = request.ticket;
        connect(box, &QMessageBox::finished, this, [this, ticket] { Answer(ticket); });
    }
}

void GuiNotifier::Answer(uint64_t ticket) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_held.erase(ticket);
    m_answered.notify_all();
}

void GuiNotifier::Release() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bReleased = true;
    m_held.clear();
    m_answered.notify_all();
}

void GuiNotifier::Rearm() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bReleased = false;
}

void GuiNotifier::ShutDown() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bShutDown = true;
    m_queued.clear();
    m_held.clear();
    m_answered.notify_all();
}

int GuiNotifier::HeldWorkers() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_held.size());
}
