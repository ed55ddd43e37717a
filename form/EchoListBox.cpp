#include "form/EchoListBox.h"

#include "form/Cp949Text.h"

EchoListBox::EchoListBox(QWidget* parent) : QListWidget(parent) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void EchoListBox::AppendLine(const std::string& text) { addItem(Cp949Text::Decode(text)); }

void EchoListBox::DeleteFirstLine() { delete takeItem(0); }

void EchoListBox::ShowLine(int index) {
    setCurrentRow(index);
    scrollToItem(item(index));
}
