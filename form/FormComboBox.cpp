#include "form/FormComboBox.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QScrollBar>
#include <QWheelEvent>

FormComboBox::FormComboBox(QWidget* parent) : QComboBox(parent) {
    // Editable through its own line edit rather than setEditable(true), which
    // would also build the drop-down list and size the combo; the list is built
    // when first shown, the form places the combo.
    auto* edit = new QLineEdit(this);
    edit->setPalette(palette());
    setLineEdit(edit);
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
