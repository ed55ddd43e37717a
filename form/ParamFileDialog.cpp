#include "form/ParamFileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "form/MessageBox.h"
#include "form/Utf8Text.h"

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

QString ParamFileDialog::ChooseToSave(QWidget* parent, bool existingOnly) {
    QString path;
    do {
        path = Choose(parent, true, existingOnly);
    } while (!path.isEmpty() && !ConfirmReplace(parent, path));
    return path;
}

bool ParamFileDialog::ConfirmReplace(QWidget* parent, const QString& path) {
    if (!QFileInfo::exists(path)) return true;
    return MessageBox::AskYesNo(
        parent, QFileInfo(path).fileName() + Text("이(가) 이미 있습니다.\n바꾸시겠습니까?"));
}
