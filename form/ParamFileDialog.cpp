#include "form/ParamFileDialog.h"

#include <QDir>
#include <QFileDialog>

QString ParamFileDialog::Choose(QWidget* parent, bool save, bool existingOnly) {
    QFileDialog dialog(parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDirectory(QDir::currentPath());
    dialog.setNameFilter(QString::fromUtf8("VELD 파라미터 파일(*.par)"));
    dialog.setDefaultSuffix(QStringLiteral("par"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(existingOnly || !save ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.selectFile(QStringLiteral("*.par"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().first();
}
