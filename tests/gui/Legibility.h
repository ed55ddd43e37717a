#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

class QWidget;

// Looks at a window as a person does: every text of every visible control must
// be shown whole in the room the style leaves for it, no control may cover
// another, and every control must lie where it can be seen without scrolling.
namespace Legibility {

// What a button or check box shows of `caption`: "&&" shows "&", a lone "&" only
// marks the next letter as the mnemonic.
QString Shown(QString caption);

// What a person cannot read in `root`: texts cut by their control (for a combo box,
// every item, closed and in its dropped list), controls covering each other, and
// controls outside `visible` (in `root`'s coordinates). Empty when all is legible.
QStringList Problems(QWidget* root, const QRect& visible);

// The same for a top-level window seen whole, with its caption, which needs the
// width of its text in the title bar's font and room for the title bar's buttons.
QStringList WindowProblems(QWidget* window);

}  // namespace Legibility
