#include "form/ControlFit.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QTableView>
#include <algorithm>
#include <numeric>

namespace {

// The gaps tried between a grown control and its neighbour, the widest first.
constexpr int kGaps[] = {2, 1, 0};

QSize LabelNeeds(const QLabel* label, const QStringList& texts) {
    if (!label->pixmap().isNull()) return label->size();
    QSize chrome = label->size() - label->contentsRect().size() +
                   QSize(2 * label->margin(), 2 * label->margin());
    QSize needed;
    for (const QString& text : texts) {
        needed = needed.expandedTo(label->fontMetrics().size(0, text) + chrome);
    }
    return needed;
}

// The text's size plus what the style keeps of the button for its frame or indicator.
QSize ButtonNeeds(const QAbstractButton* button, const QStringList& texts) {
    bool push = qobject_cast<const QPushButton*>(button) != nullptr;
    QStyleOptionButton option;
    option.initFrom(button);
    if (auto* pushButton = qobject_cast<const QPushButton*>(button)) {
        if (pushButton->autoDefault()) option.features |= QStyleOptionButton::AutoDefaultButton;
        if (pushButton->isDefault()) option.features |= QStyleOptionButton::DefaultButton;
    }
    QSize needed;
    for (const QString& text : texts) {
        option.text = text;
        QRect room = button->style()->subElementRect(
            push ? QStyle::SE_PushButtonContents : QStyle::SE_CheckBoxContents, &option, button);
        QSize chrome = button->size() - room.size();
        needed = needed.expandedTo(button->fontMetrics().size(Qt::TextShowMnemonic, text) + chrome);
    }
    return needed;
}

// The widest text in the combo's edit field, with what QLineEdit keeps around a text
// it shows unscrolled: its margins, the cursor and the font's overhang.
QSize ComboNeeds(const QComboBox* combo, const QStringList& texts) {
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = combo->isEditable();
    option.frame = combo->hasFrame();
    QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                 QStyle::SC_ComboBoxEditField, combo);
    QFontMetrics metrics = combo->fontMetrics();
    int widest = 0;
    for (const QString& text : texts) widest = std::max(widest, metrics.horizontalAdvance(text));
    int around = 2 * ControlFit::kLineEditMargin + 1 + std::max(0, -metrics.minLeftBearing()) +
                 std::max(0, -metrics.minRightBearing());
    return QSize(combo->width() - field.width() + widest + around, combo->height());
}

// Every column in view, beside the vertical scroll bar when the rows need one.
QSize TableNeeds(const QTableView* table) {
    int frame = 2 * table->frameWidth();
    int width = table->horizontalHeader()->length() + frame;
    if (table->verticalHeader()->length() > table->height() - frame) {
        width += table->verticalScrollBar()->sizeHint().width();
    }
    return QSize(width, table->height());
}

QStringList OwnTexts(const QWidget* control) {
    if (auto* label = qobject_cast<const QLabel*>(control)) return {label->text()};
    if (auto* button = qobject_cast<const QAbstractButton*>(control)) return {button->text()};
    QStringList items;
    if (auto* combo = qobject_cast<const QComboBox*>(control)) {
        for (int i = 0; i < combo->count(); ++i) items.append(combo->itemText(i));
    }
    return items;
}

bool Contains(const QWidget* outer, const QWidget* inner) {
    return outer != inner && qobject_cast<const QGroupBox*>(outer) &&
           outer->geometry().contains(inner->geometry());
}

}  // namespace

ControlFit::ControlFit(QWidget* parent, const QRect& area) : m_pParent(parent), m_area(area) {}

QSize ControlFit::Needed(const QWidget* control, const QStringList& texts) {
    const QStringList& shown = texts.isEmpty() ? OwnTexts(control) : texts;
    if (auto* label = qobject_cast<const QLabel*>(control)) return LabelNeeds(label, shown);
    if (auto* button = qobject_cast<const QAbstractButton*>(control)) {
        return ButtonNeeds(button, shown);
    }
    if (auto* combo = qobject_cast<const QComboBox*>(control)) return ComboNeeds(combo, shown);
    if (auto* table = qobject_cast<const QTableView*>(control)) return TableNeeds(table);
    return control->size();
}

QList<QWidget*> ControlFit::Controls() const {
    QList<QWidget*> controls;
    for (QWidget* child : m_pParent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow() && !child->isHidden()) controls.append(child);
    }
    return controls;
}

QRect ControlFit::Bounds(const QWidget* control) const {
    QRect bounds = m_area;
    for (QWidget* other : Controls()) {
        if (Contains(other, control)) bounds &= Inside(static_cast<const QGroupBox*>(other));
    }
    return bounds;
}

ControlFit::Room ControlFit::Free(const QWidget* control, Qt::Orientation orientation) const {
    bool across = orientation == Qt::Horizontal;
    QRect own = control->geometry();
    QRect bounds = Bounds(control);
    int start = across ? bounds.left() : bounds.top();
    int end = across ? bounds.right() + 1 : bounds.bottom() + 1;
    for (QWidget* other : Controls()) {
        if (other == control || Contains(other, control) || Contains(control, other)) continue;
        QRect rect = other->geometry();
        bool beside = across ? rect.top() <= own.bottom() && rect.bottom() >= own.top()
                             : rect.left() <= own.right() && rect.right() >= own.left();
        if (!beside) continue;
        int otherStart = across ? rect.left() : rect.top();
        int otherEnd = across ? rect.right() + 1 : rect.bottom() + 1;
        int ownStart = across ? own.left() : own.top();
        if (otherStart < ownStart) {
            start = std::max(start, otherEnd);
        } else {
            end = std::min(end, otherStart);
        }
    }
    int ownStart = across ? own.left() : own.top();
    int ownEnd = across ? own.right() + 1 : own.bottom() + 1;
    return Room{std::max(0, ownStart - start), std::max(0, end - ownEnd)};
}

void ControlFit::GrowTo(QWidget* control, QSize size) {
    for (Qt::Orientation orientation : {Qt::Horizontal, Qt::Vertical}) {
        bool across = orientation == Qt::Horizontal;
        int extra = across ? size.width() - control->width() : size.height() - control->height();
        if (extra <= 0) continue;
        Room room = Free(control, orientation);
        int before = room.before;
        int after = room.after;
        // The widest gap to the neighbours that still leaves room enough.
        for (int gap : kGaps) {
            before = std::max(0, room.before - gap);
            after = std::max(0, room.after - gap);
            if (before + after >= extra) break;
        }
        // Keep the gaps on both sides alike.
        int grownAfter = std::clamp((extra + after - before) / 2, 0, std::min(extra, after));
        int grownBefore = std::min(extra - grownAfter, before);
        grownAfter = std::min(extra - grownBefore, after);
        QRect rect = control->geometry();
        if (across) {
            rect.adjust(-grownBefore, 0, grownAfter, 0);
        } else {
            rect.adjust(0, -grownBefore, 0, grownAfter);
        }
        control->setGeometry(rect);
    }
}

QMargins ControlFit::GroupInsets(const QGroupBox* group) const {
    QString font = group->font().key();
    auto known = m_groupInsets.constFind(font);
    if (known != m_groupInsets.constEnd()) return *known;
    QRect contents = GroupPart(group, QStyle::SC_GroupBoxContents);
    QMargins insets(contents.left(), GroupPart(group, QStyle::SC_GroupBoxLabel).bottom() + 1,
                    group->width() - 1 - contents.right(), group->height() - 1 - contents.bottom());
    m_groupInsets.insert(font, insets);
    return insets;
}

QRect ControlFit::Inside(const QGroupBox* group) const {
    return group->geometry().marginsRemoved(GroupInsets(group));
}

QRect ControlFit::GroupPart(const QGroupBox* group, QStyle::SubControl part) {
    QStyleOptionGroupBox option;
    option.initFrom(group);
    option.text = group->title();
    option.lineWidth = 1;
    option.textAlignment = group->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    return group->style()->subControlRect(QStyle::CC_GroupBox, &option, part, group);
}

void ControlFit::ClearTitle(QGroupBox* group) {
    int top = -1;
    for (QWidget* control : Controls()) {
        if (!Contains(group, control)) continue;
        if (top < 0 || control->y() < top) top = control->y();
    }
    int titleEnd = group->y() + GroupInsets(group).top();
    if (top < 0 || titleEnd <= top) return;
    int lift = std::min(titleEnd - top, Free(group, Qt::Vertical).before);
    group->setGeometry(group->geometry().adjusted(0, -lift, 0, 0));
}

void ControlFit::Grow(std::vector<Need> needs) {
    for (QWidget* control : Controls()) {
        if (auto* group = qobject_cast<QGroupBox*>(control)) ClearTitle(group);
    }
    auto spare = [this](const Need& need) {
        Room room = Free(need.control, Qt::Horizontal);
        return room.before + room.after - (need.size.width() - need.control->width());
    };
    std::vector<std::pair<int, Need>> ordered;
    for (const Need& need : needs) ordered.emplace_back(spare(need), need);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [unused, need] : ordered) GrowTo(need.control, need.size);
}

void ControlFit::GrowAll() {
    std::vector<Need> needs;
    for (QWidget* control : Controls()) needs.push_back({control, Needed(control)});
    Grow(std::move(needs));
}

void ControlFit::GrowPushingRight(QWidget* control, int width, const QList<QWidget*>& row) {
    int shortfall = width - control->width();
    if (shortfall <= 0 || row.isEmpty()) return;
    // The group box around the row widens into the room on its right first.
    for (QWidget* other : Controls()) {
        if (!Contains(other, control)) continue;
        int wider = std::clamp(Free(other, Qt::Horizontal).after - kGaps[0], 0, shortfall);
        other->resize(other->width() + wider, other->height());
    }
    // What each gap, and the room after the last control, can give: with the
    // widest gap between neighbours that leaves room enough.
    std::vector<int> spare;
    int room = 0;
    for (int gap : kGaps) {
        spare.clear();
        int edge = control->geometry().right() + 1;
        for (const QWidget* next : row) {
            spare.push_back(std::max(0, next->x() - edge - gap));
            edge = next->geometry().right() + 1;
        }
        spare.push_back(std::max(0, Bounds(row.back()).right() + 1 - edge - gap));
        room = std::accumulate(spare.begin(), spare.end(), 0);
        if (room >= shortfall) break;
    }
    int push = std::min(shortfall, room);
    control->resize(control->width() + push, control->height());
    for (int i = 0; i < row.size(); ++i) {
        push -= std::min(push, spare[static_cast<size_t>(i)]);
        row[i]->move(row[i]->x() + push, row[i]->y());
    }
}

void ControlFit::AlignLeftEdges(const QList<QWidget*>& column) {
    int left = m_area.right();
    for (QWidget* control : column) left = std::min(left, control->x());
    for (QWidget* control : column) {
        int shift = control->x() - left;
        if (shift > 0 && Free(control, Qt::Horizontal).before >= shift) {
            control->setGeometry(control->geometry().adjusted(-shift, 0, 0, 0));
        }
    }
}
