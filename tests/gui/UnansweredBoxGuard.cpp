#include "UnansweredBoxGuard.h"

#include <QApplication>
#include <QMessageBox>

UnansweredBoxGuard::UnansweredBoxGuard() {
    connect(&m_poll, &QTimer::timeout, this, &UnansweredBoxGuard::Check);
    m_poll.start(100);
}

void UnansweredBoxGuard::Check() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box != m_box) {
        m_box = box;
        m_shown.start();
        return;
    }
    if (box == nullptr || !box->isVisible() || m_shown.elapsed() < kPatienceMs) return;
    m_texts.append(box->text());
    box->close();
}
