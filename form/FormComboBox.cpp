#include "form/FormComboBox.h"

#include <QAbstractItemView>
#include <QScrollBar>
#include <QWheelEvent>

FormComboBox::FormComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Not Qt's wheel focus: a passing wheel would take the focus and then the choice.
    setFocusPolicy(Qt::StrongFocus);
}

void FormComboBox::showPopup() {
    QAbstractItemView* list = view();
    int width = list->sizeHintForColumn(0) + 2 * list->frameWidth();
    if (count() > maxVisibleItems()) width += list->verticalScrollBar()->sizeHint().width();
    list->setMinimumWidth(width);
    QComboBox::showPopup();
}

void FormComboBox::wheelEvent(QWheelEvent* event) {
    if (hasFocus()) {
        QComboBox::wheelEvent(event);
    } else {
        // Left to the form, which scrolls when it is larger than its window.
        event->ignore();
    }
}
