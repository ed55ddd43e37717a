#pragma once

#include <QString>

class QWidget;

// The file dialog of the parameter files: Qt's own dialog everywhere, so the
// filter, the added ".par" and the replace question behave alike on every
// desktop; it opens in the working directory with "*.par" as the name.
class ParamFileDialog {
  public:
    // The path chosen, or empty when the operator cancelled.
    static QString Choose(QWidget* parent, bool save, bool existingOnly);
    // The path to save to: a name that exists is replaced only when the
    // operator says so; "아니오" goes back to the dialog for another name.
    static QString ChooseToSave(QWidget* parent, bool existingOnly);

  private:
    static bool ConfirmReplace(QWidget* parent, const QString& path);
};
