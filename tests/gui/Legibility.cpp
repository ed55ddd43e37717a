#include "Legibility.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QTableWidget>
#include <QToolBar>
#include <algorithm>

#include "form/ControlFit.h"

namespace Legibility {

namespace {

// The margins QLineEdit keeps inside its contents rectangle.
constexpr int kLineEditHMargin = 2;

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

// "needs" when the text's size does not fit the room.
QString Cut(const QWidget* widget, const QString& text, QSize needed, QSize room) {
    if (needed.width() <= room.width() && needed.height() <= room.height()) return QString();
    return QStringLiteral("%1: \"%2\" needs %3, has %4")
        .arg(Name(widget), text, SizeText(needed), SizeText(room));
}

// A line edit shows its text unscrolled only when text, cursor and the font's
// overhangs fit between its margins, as QLineEdit lays it out.
QString LineEditCut(const QLineEdit* edit, const QString& text) {
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.rect = edit->rect();
    option.lineWidth = edit->hasFrame()
                           ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit)
                           : 0;
    QRect room = edit->style()
                     ->subElementRect(QStyle::SE_LineEditContents, &option, edit)
                     .marginsRemoved(edit->textMargins());
    QFontMetrics metrics(edit->font());
    int overhang = std::max(0, -metrics.minLeftBearing()) + std::max(0, -metrics.minRightBearing());
    QSize needed(metrics.horizontalAdvance(text) + 1 + overhang, metrics.height());
    return Cut(edit, text, needed, QSize(room.width() - 2 * kLineEditHMargin, room.height()));
}

QString LabelCut(const QLabel* label) {
    if (label->text().isEmpty() || Qt::mightBeRichText(label->text())) return QString();
    QRect room = label->contentsRect();
    // A label with a buddy shows "&" as the underline of its mnemonic.
    int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0) |
                (label->buddy() ? Qt::TextShowMnemonic : 0);
    QRect needed = label->fontMetrics().boundingRect(room, flags, label->text());
    return Cut(label, label->text(), needed.size(), room.size());
}

QString ButtonCut(const QAbstractButton* button) {
    if (button->text().isEmpty()) return QString();
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    auto* push = qobject_cast<const QPushButton*>(button);
    // The frame of a default button takes room from the text.
    if (push && (push->autoDefault() || push->isDefault()))
        option.features |= QStyleOptionButton::AutoDefaultButton;
    QStyle::SubElement element = push ? QStyle::SE_PushButtonContents : QStyle::SE_CheckBoxContents;
    QRect room = button->style()->subElementRect(element, &option, button);
    QSize needed = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
    return Cut(button, Shown(button->text()), needed, room.size());
}

QString GroupCut(const QGroupBox* group) {
    if (group->title().isEmpty()) return QString();
    QRect label = ControlFit::GroupPart(group, QStyle::SC_GroupBoxLabel) & group->rect();
    QSize needed = group->fontMetrics().size(Qt::TextShowMnemonic, group->title());
    return Cut(group, group->title(), needed, label.size());
}

// Each item as the closed combo shows it once chosen, and in the dropped list.
QStringList ComboCuts(QComboBox* combo) {
    QStringList problems;
    int chosen = combo->currentIndex();
    for (int i = 0; i < combo->count(); ++i) {
        QString item = combo->itemText(i);
        combo->setCurrentIndex(i);
        if (!combo->lineEdit()) {
            QStyleOptionComboBox option;
            option.initFrom(combo);
            option.editable = false;
            QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                         QStyle::SC_ComboBoxEditField, combo);
            QString cut = Cut(combo, item, combo->fontMetrics().size(0, item), field.size());
            if (!cut.isEmpty()) problems.append(cut);
            continue;
        }
        QString shown = combo->lineEdit()->text();
        // A text too long for any width may be elided, when the tool tip tells it whole.
        if (shown != item && !(shown.contains(QChar(0x2026)) && combo->toolTip() == item)) {
            problems.append(
                QStringLiteral("%1: shows \"%2\" for item \"%3\"").arg(Name(combo), shown, item));
        }
        QString cut = LineEditCut(combo->lineEdit(), shown);
        if (!cut.isEmpty()) problems.append(Name(combo) + " closed, " + cut);
    }
    combo->setCurrentIndex(chosen);

    combo->showPopup();
    QAbstractItemView* list = combo->view();
    int room = list->viewport()->width();
    for (int i = 0; i < combo->count(); ++i) {
        int needed = list->sizeHintForIndex(combo->model()->index(i, 0)).width();
        if (needed > room) {
            problems.append(QStringLiteral("%1 list: \"%2\" needs %3, has %4")
                                .arg(Name(combo), combo->itemText(i))
                                .arg(needed)
                                .arg(room));
        }
    }
    combo->hidePopup();
    return problems;
}

// Every column whole in view, every cell's text whole in its column.
QStringList TableCuts(QTableWidget* table) {
    QStringList problems;
    int columns = table->horizontalHeader()->length();
    int rows = table->verticalHeader()->length();
    QSize room = table->viewport()->size();
    if (columns > room.width() || rows > room.height()) {
        problems.append(QStringLiteral("%1: cells need %2, view has %3")
                            .arg(Name(table), SizeText(QSize(columns, rows)), SizeText(room)));
    }
    int margin =
        2 * (table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1);
    for (int row = 0; row < table->rowCount(); ++row) {
        for (int col = 0; col < table->columnCount(); ++col) {
            QTableWidgetItem* item = table->item(row, col);
            if (!item || item->text().isEmpty()) continue;
            QSize needed(table->fontMetrics().horizontalAdvance(item->text()) + margin,
                         table->fontMetrics().height());
            QString cut = Cut(table, item->text(), needed,
                              QSize(table->columnWidth(col), table->rowHeight(row)));
            if (!cut.isEmpty()) problems.append(cut);
        }
    }
    return problems;
}

QStringList TextCuts(QWidget* widget) {
    if (auto* combo = qobject_cast<QComboBox*>(widget)) return ComboCuts(combo);
    if (auto* table = qobject_cast<QTableWidget*>(widget)) return TableCuts(table);
    QString cut;
    if (auto* label = qobject_cast<QLabel*>(widget)) cut = LabelCut(label);
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) cut = ButtonCut(button);
    if (auto* group = qobject_cast<QGroupBox*>(widget)) cut = GroupCut(group);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        cut = LineEditCut(edit, edit->text().isEmpty() ? edit->placeholderText() : edit->text());
    }
    return cut.isEmpty() ? QStringList() : QStringList{cut};
}

bool IsControl(const QWidget* widget) {
    return qobject_cast<const QLabel*>(widget) || qobject_cast<const QAbstractButton*>(widget) ||
           qobject_cast<const QComboBox*>(widget) || qobject_cast<const QLineEdit*>(widget) ||
           qobject_cast<const QAbstractScrollArea*>(widget) ||
           qobject_cast<const QGroupBox*>(widget);
}

// The visible controls under `parent`, not looking inside compound controls.
void Collect(QWidget* root, QWidget* parent, QList<Control>& controls) {
    for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow() || !child->isVisibleTo(root)) continue;
        // Menus and tool bars lay themselves out.
        if (qobject_cast<QMenuBar*>(child) || qobject_cast<QToolBar*>(child)) continue;
        bool control = IsControl(child);
        if (control)
            controls.append({child, QRect(child->mapTo(root, QPoint(0, 0)), child->size())});
        if (!control || qobject_cast<QGroupBox*>(child)) Collect(root, child, controls);
    }
}

// A control beside a group box stays clear of it; one inside keeps off its frame and title.
QString GroupOverlap(const Control& group, const Control& control) {
    if (!group.rect.intersects(control.rect)) return QString();
    auto* box = static_cast<QGroupBox*>(group.widget);
    QRect frame =
        ControlFit::GroupPart(box, QStyle::SC_GroupBoxFrame).translated(group.rect.topLeft());
    QRect title =
        ControlFit::GroupPart(box, QStyle::SC_GroupBoxLabel).translated(group.rect.topLeft());
    QRect inside = frame.adjusted(1, 1, -1, -1);
    if (inside.contains(control.rect) && !title.intersects(control.rect)) return QString();
    return QStringLiteral("%1 lies on the frame or title of %2")
        .arg(Name(control.widget), Name(box));
}

QStringList Overlaps(const QList<Control>& controls) {
    QStringList problems;
    for (int i = 0; i < controls.size(); ++i) {
        for (int j = i + 1; j < controls.size(); ++j) {
            Control a = controls[i];
            Control b = controls[j];
            if (a.widget->isAncestorOf(b.widget) || b.widget->isAncestorOf(a.widget)) continue;
            if (qobject_cast<QGroupBox*>(b.widget)) std::swap(a, b);
            QString overlap;
            if (qobject_cast<QGroupBox*>(a.widget) && !qobject_cast<QGroupBox*>(b.widget)) {
                overlap = GroupOverlap(a, b);
            } else if (a.rect.intersects(b.rect)) {
                overlap = QStringLiteral("%1 covers %2").arg(Name(a.widget), Name(b.widget));
            }
            if (!overlap.isEmpty()) problems.append(overlap);
        }
    }
    return problems;
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
        problems += TextCuts(control.widget);
    }
    return problems + Overlaps(controls);
}

QStringList WindowProblems(QWidget* window) {
    QStringList problems = Problems(window, window->rect());
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    QFontMetrics metrics(titleFont);
    // Room for the title bar's icon and its minimise, maximise and close buttons.
    int buttons = 4 * (metrics.height() + 10);
    QSize needed(metrics.horizontalAdvance(window->windowTitle()) + buttons, 0);
    QString cut = Cut(window, window->windowTitle(), needed, window->size());
    if (!cut.isEmpty()) problems.append("caption of " + cut);
    return problems;
}

}  // namespace Legibility
