#pragma once

#include <QHash>
#include <QMargins>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <QStyle>
#include <vector>

class QGroupBox;
class QWidget;

// Grows the controls of a dialog-unit layout whose texts need more room than their
// rectangles give (a combo's arrow, a check box's indicator, frames, a font whose line
// is taller than its em) into the free space beside them: never over another control,
// out of the group box around them or out of the layout's area.
class ControlFit {
  public:
    // The margin QLineEdit keeps on each side of its text.
    static constexpr int kLineEditMargin = 2;

    struct Need {
        QWidget* control;
        QSize size;
    };

    // The controls are the children of `parent`; `area` is the layout's own rectangle.
    ControlFit(QWidget* parent, const QRect& area);

    // What `control` needs to show each of `texts` whole; its own texts when none are
    // given (a label's or button's caption, every item of a combo box).
    static QSize Needed(const QWidget* control, const QStringList& texts = {});

    // A part of a group box (its frame, title or contents) in the box's own coordinates.
    static QRect GroupPart(const QGroupBox* group, QStyle::SubControl part);

    // Grows every control of `needs` to its size where free space allows, the one with
    // the least room to spare first, and lifts each group box until its title clears
    // the controls inside it.
    void Grow(std::vector<Need> needs);
    // Grow() with what each child of the parent needs for its own texts.
    void GrowAll();
    // Widens `control` to `width` beyond its own free space by moving the controls of
    // `row` (those on its right, left to right) to the right, into the gaps between
    // them and the room at the row's end, for which the group box around them widens
    // into the free space on its right; as far as that room goes.
    void GrowPushingRight(QWidget* control, int width, const QList<QWidget*>& row);
    // Grows the controls of a column that stand right of its leftmost one to the left,
    // where free space allows, so that the column keeps one left edge.
    void AlignLeftEdges(const QList<QWidget*>& column);

  private:
    struct Room {
        int before;  // free pixels left of (or above) the control
        int after;   // right of (or below) it
    };

    // What a group box keeps of its rectangle for its frame and its title: the
    // same for every group box of one font, so found once per font.
    QMargins GroupInsets(const QGroupBox* group) const;
    // Where the controls inside `group` may lie: below its title, inside its frame.
    QRect Inside(const QGroupBox* group) const;
    QList<QWidget*> Controls() const;
    QRect Bounds(const QWidget* control) const;
    Room Free(const QWidget* control, Qt::Orientation orientation) const;
    void GrowTo(QWidget* control, QSize size);
    void ClearTitle(QGroupBox* group);

    QWidget* m_pParent;
    QRect m_area;
    mutable QHash<QString, QMargins> m_groupInsets;
};
