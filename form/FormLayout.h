#pragma once

#include <QHash>
#include <QRect>
#include <QString>
#include <QStringList>

#include "form/DialogUnits.h"

class QListWidget;
class QTableView;
class QWidget;

// Form 101: creates the form's controls at their places in dialog units, each named
// "ctl<ID>" after its control id, and lets those whose texts need more room than their
// rectangles give grow into free space.
class FormLayout {
  public:
    static constexpr int kWidthDlu = 389;
    static constexpr int kHeightDlu = 443;

    // `form` has its font already: the dialog units come from it.
    explicit FormLayout(QWidget* form);

    // Creates every control on the form; `sent` and `received` become the echo lists
    // 1039 and 1041.
    void Create(QListWidget* sent, QListWidget* received);
    // Grows the grid so that its columns, once set up, are whole in view.
    void FitGrid(QTableView* grid);

    // The caption of a polarity box whose function combo shows `function`: at most its
    // first 21 characters, then "극성"; an "&" shows as itself.
    static QString PolarityCaption(const QString& function);

  private:
    QRect Area() const;
    void Place(QWidget* control, int x, int y, int width, int height);
    void CreateConnectionArea();
    void CreateSetupArea();
    void CreateCommandArea(QListWidget* sent, QListWidget* received);
    void CreateGridArea();
    void Fit();

    QWidget* m_pForm;
    DialogUnits m_du;
    // The texts a control must show whole besides its own.
    QHash<QWidget*, QStringList> m_shownTexts;
};
