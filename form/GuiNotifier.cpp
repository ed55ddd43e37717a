#include "form/GuiNotifier.h"

#include <QThread>
#include <QWidget>

#include "form/MessageBox.h"

GuiNotifier::GuiNotifier(QWidget* boxParent) : m_boxParent(boxParent) {}

void GuiNotifier::Notify(const std::string& caption, const std::string& text) {
    QString boxCaption = QString::fromUtf8(caption);
    QString boxText = QString::fromUtf8(text);
    if (QThread::currentThread() == thread()) {
        MessageBox::Show(m_boxParent, boxCaption, boxText);
        return;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_bReleased) return;
    uint64_t ticket = ++m_nIssued;
    QMetaObject::invokeMethod(
        this, [this, boxCaption, boxText, ticket] { ShowQueued(boxCaption, boxText, ticket); },
        Qt::QueuedConnection);
    m_answered.wait(lock, [this, ticket] { return IsAnswered(ticket); });
}

bool GuiNotifier::IsAnswered(uint64_t ticket) const { return m_nAnswered >= ticket; }

void GuiNotifier::ShowQueued(const QString& caption, const QString& text, uint64_t ticket) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // Released meanwhile: its worker has gone on without the box.
        if (IsAnswered(ticket)) return;
    }
    MessageBox::Show(m_boxParent, caption, text);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_nAnswered = std::max(m_nAnswered, ticket);
    m_answered.notify_all();
}

void GuiNotifier::Release() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bReleased = true;
    m_nAnswered = m_nIssued;
    m_answered.notify_all();
}

void GuiNotifier::Rearm() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bReleased = false;
}
