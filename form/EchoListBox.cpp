#include "form/EchoListBox.h"

#include <QEvent>
#include <QHash>
#include <QStyledItemDelegate>

#include "form/Cp949Text.h"

namespace {

// A line's size depends on its text alone (one font, no icons), and the list asks
// for the sizes of all its lines whenever one comes, goes or takes the caret:
// each text is laid out once.
class LineSizes : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QString text = index.data(Qt::DisplayRole).toString();
        auto known = m_sizes.constFind(text);
        if (known != m_sizes.constEnd()) return *known;
        if (m_sizes.size() >= kKept) m_sizes.clear();
        return *m_sizes.insert(text, QStyledItemDelegate::sizeHint(option, index));
    }

    void Forget() { m_sizes.clear(); }

  private:
    // Room for the lines of both lists and those that just left them.
    static constexpr qsizetype kKept = 256;

    mutable QHash<QString, QSize> m_sizes;
};

}  // namespace

EchoListBox::EchoListBox(QWidget* parent) : QListWidget(parent) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Opaque: a new line repaints the list alone, not the group box and form
    // behind its frame and scroll bar (the fill is the form's own colour).
    setAutoFillBackground(true);
    setItemDelegate(new LineSizes(this));
}

void EchoListBox::AppendLine(const std::string& text) { addItem(Cp949Text::Decode(text)); }

void EchoListBox::DeleteFirstLine() { delete takeItem(0); }

void EchoListBox::ShowLine(int index) {
    setCurrentRow(index);
    scrollToItem(item(index));
}

void EchoListBox::changeEvent(QEvent* event) {
    // The sizes were those of the old font or style.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        if (auto* sizes = dynamic_cast<LineSizes*>(itemDelegate())) sizes->Forget();
    }
    QListWidget::changeEvent(event);
}
