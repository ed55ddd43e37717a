#include "Legibility.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTableWidget>
#include <QToolBar>
#include <algorithm>

#include "form/ControlFit.h"

namespace Legibility {

namespace {

struct Control {
    QWidget* widget;
    QRect rect;  // in the root's coordinates
};

// Labels and buttons have a text, group boxes a title.
QString Name(const QWidget* widget) {
    if (!widget->objectName().isEmpty()) return widget->objectName();
    QString text = widget->property("text").toString() + widget->property("title").toString();
    return QStringLiteral("%1 \"%2\"").arg(widget->metaObject()->className(), text);
}

QString SizeText(QSize size) {
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

// Notes `text` of `widget` when its size does not fit the room.
void Cut(QStringList& problems, const QWidget* widget, const QString& text, QSize needed,
         QSize room) {
    if (needed.width() <= room.width() && needed.height() <= room.height()) return;
    problems.append(QStringLiteral("%1: \"%2\" needs %3, has %4")
                        .arg(Name(widget), text, SizeText(needed), SizeText(room)));
}

// A line edit shows its text unscrolled only when text, cursor and the font's
// overhangs fit between its margins, as QLineEdit lays it out.
void LineEditCut(QStringList& problems, const QLineEdit* edit) {
    QString text = edit->text().isEmpty() ? edit->placeholderText() : edit->text();
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.rect = edit->rect();
    option.lineWidth = edit->hasFrame()
                           ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit)
                           : 0;
    QRect room = edit->style()
                     ->subElementRect(QStyle::SE_LineEditContents, &option, edit)
                     .marginsRemoved(edit->textMargins())
                     .adjusted(ControlFit::kLineEditMargin, 0, -ControlFit::kLineEditMargin, 0);
    QFontMetrics metrics(edit->font());
    int overhang = std::max(0, -metrics.minLeftBearing()) + std::max(0, -metrics.minRightBearing());
    QSize needed(metrics.horizontalAdvance(text) + 1 + overhang, metrics.height());
    Cut(problems, edit, text, needed, room.size());
}

void LabelCut(QStringList& problems, const QLabel* label) {
    if (label->text().isEmpty() || Qt::mightBeRichText(label->text())) return;
    QRect room = label->contentsRect();
    // A label with a buddy shows "&" as the underline of its mnemonic.
    int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0) |
                (label->buddy() ? Qt::TextShowMnemonic : 0);
    QRect needed = label->fontMetrics().boundingRect(room, flags, label->text());
    Cut(problems, label, label->text(), needed.size(), room.size());
}

// Each item as the closed combo shows it once chosen, and in the dropped list.
void ComboCuts(QStringList& problems, QComboBox* combo) {
    int chosen = combo->currentIndex();
    for (int i = 0; i < combo->count(); ++i) {
        QString item = combo->itemText(i);
        combo->setCurrentIndex(i);
        QString shown = combo->currentText();
        // A text too long for any width may be elided, when the tool tip tells it whole.
        if (shown != item && !(shown.contains(QChar(0x2026)) && combo->toolTip() == item)) {
            problems.append(
                QStringLiteral("%1: shows \"%2\" for item \"%3\"").arg(Name(combo), shown, item));
        }
        Cut(problems, combo, shown, ControlFit::Needed(combo, {shown}), combo->size());
    }
    combo->setCurrentIndex(chosen);

    combo->showPopup();
    QAbstractItemView* list = combo->view();
    for (int i = 0; i < combo->count(); ++i) {
        Cut(problems, combo, "list: " + combo->itemText(i),
            list->sizeHintForIndex(combo->model()->index(i, 0)), list->viewport()->size());
    }
    combo->hidePopup();
}

// Every column whole in view, every cell's text whole in its column.
void TableCuts(QStringList& problems, QTableWidget* table) {
    QSize cells(table->horizontalHeader()->length(), table->verticalHeader()->length());
    QSize room = table->viewport()->size();
    if (cells.width() > room.width() || cells.height() > room.height()) {
        problems.append(QStringLiteral("%1: cells need %2, view has %3")
                            .arg(Name(table), SizeText(cells), SizeText(room)));
    }
    int margin =
        2 * (table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1);
    for (int row = 0; row < table->rowCount(); ++row) {
        for (int col = 0; col < table->columnCount(); ++col) {
            QTableWidgetItem* item = table->item(row, col);
            if (!item || item->text().isEmpty()) continue;
            QSize needed(table->fontMetrics().horizontalAdvance(item->text()) + margin,
                         table->fontMetrics().height());
            Cut(problems, table, item->text(), needed,
                QSize(table->columnWidth(col), table->rowHeight(row)));
        }
    }
}

void TextCuts(QStringList& problems, QWidget* widget) {
    if (auto* combo = qobject_cast<QComboBox*>(widget)) ComboCuts(problems, combo);
    if (auto* table = qobject_cast<QTableWidget*>(widget)) TableCuts(problems, table);
    if (auto* label = qobject_cast<QLabel*>(widget)) LabelCut(problems, label);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) LineEditCut(problems, edit);
    auto* button = qobject_cast<QAbstractButton*>(widget);
    if (button && !button->text().isEmpty()) {
        Cut(problems, button, Shown(button->text()), ControlFit::Needed(button), button->size());
    }
    auto* group = qobject_cast<QGroupBox*>(widget);
    if (group && !group->title().isEmpty()) {
        QRect label = ControlFit::GroupPart(group, QStyle::SC_GroupBoxLabel) & group->rect();
        Cut(problems, group, group->title(),
            group->fontMetrics().size(Qt::TextShowMnemonic, group->title()), label.size());
    }
}

// The visible controls under `parent`, not looking inside compound controls.
void Collect(QWidget* root, QWidget* parent, QList<Control>& controls) {
    for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow() || !child->isVisibleTo(root)) continue;
        // Menus and tool bars lay themselves out.
        if (qobject_cast<QMenuBar*>(child) || qobject_cast<QToolBar*>(child)) continue;
        bool control = qobject_cast<QLabel*>(child) || qobject_cast<QAbstractButton*>(child) ||
                       qobject_cast<QComboBox*>(child) || qobject_cast<QLineEdit*>(child) ||
                       qobject_cast<QAbstractScrollArea*>(child) || qobject_cast<QGroupBox*>(child);
        if (control)
            controls.append({child, QRect(child->mapTo(root, QPoint(0, 0)), child->size())});
        if (!control || qobject_cast<QGroupBox*>(child)) Collect(root, child, controls);
    }
}

// A control beside a group box stays clear of it; one inside keeps off its frame and title.
bool OnGroup(const Control& group, const Control& control) {
    auto* box = static_cast<QGroupBox*>(group.widget);
    QPoint at = group.rect.topLeft();
    QRect frame = ControlFit::GroupPart(box, QStyle::SC_GroupBoxFrame).translated(at);
    QRect title = ControlFit::GroupPart(box, QStyle::SC_GroupBoxLabel).translated(at);
    return !frame.adjusted(1, 1, -1, -1).contains(control.rect) || title.intersects(control.rect);
}

void Overlaps(QStringList& problems, const QList<Control>& controls) {
    for (int i = 0; i < controls.size(); ++i) {
        for (int j = i + 1; j < controls.size(); ++j) {
            Control a = controls[i];
            Control b = controls[j];
            if (a.widget->isAncestorOf(b.widget) || b.widget->isAncestorOf(a.widget)) continue;
            if (!a.rect.intersects(b.rect)) continue;
            if (qobject_cast<QGroupBox*>(b.widget)) std::swap(a, b);
            bool inGroup =
                qobject_cast<QGroupBox*>(a.widget) && !qobject_cast<QGroupBox*>(b.widget);
            if (!inGroup || OnGroup(a, b))
                problems.append(QStringLiteral("%1 covers %2").arg(Name(a.widget), Name(b.widget)));
        }
    }
}

}  // namespace

QString Shown(QString caption) {
    static const QRegularExpression kMarkOrDouble("&(&?)");
    return caption.replace(kMarkOrDouble, "\\1");
}

QStringList Problems(QWidget* root, const QRect& visible) {
    QList<Control> controls;
    Collect(root, root, controls);
    QStringList problems;
    for (const Control& control : controls) {
        if (!visible.contains(control.rect))
            problems.append(Name(control.widget) + " lies outside the visible part");
        TextCuts(problems, control.widget);
    }
    Overlaps(problems, controls);
    return problems;
}

QStringList WindowProblems(QWidget* window) {
    QStringList problems = Problems(window, window->rect());
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    QFontMetrics metrics(titleFont);
    // Room for the title bar's icon and its minimise, maximise and close buttons.
    int buttons = 4 * (metrics.height() + 10);
    QSize needed(metrics.horizontalAdvance(window->windowTitle()) + buttons, 0);
    Cut(problems, window, "caption " + window->windowTitle(), needed, window->size());
    return problems;
}

}  // namespace Legibility
