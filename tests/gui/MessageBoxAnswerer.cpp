#include "MessageBoxAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

MessageBoxAnswerer::MessageBoxAnswerer(QString button, int patienceMs)
    : m_button(std::move(button)), m_nPatienceMs(patienceMs) {
    connect(&m_poll, &QTimer::timeout, this, &MessageBoxAnswerer::AnswerOpenBox);
    m_poll.start(20);
}

void MessageBoxAnswerer::AnswerOpenBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box != m_box) {
        m_box = box;
        m_shown.start();
    }
    if (!box || !box->isVisible() || box->buttons().isEmpty()) return;
    if (m_shown.elapsed() < m_nPatienceMs) return;
    m_texts.append(m_alongside ? box->text() + " / " + m_alongside() : box->text());
    for (QAbstractButton* button : box->buttons()) {
        if (button->text() == m_button) {
            button->click();
            return;
        }
    }
    box->buttons().first()->click();
}
