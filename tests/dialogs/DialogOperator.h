#pragma once

#include <QDialog>
#include <QMetaType>
#include <QString>
#include <cstdint>
#include <functional>

#include "form/CValueDlgBase.h"

class QCheckBox;
class QLineEdit;

// Plays the operator in front of the modal value dialogs.
namespace DialogOperator {

enum class CancelWay { Button, EscapeKey, CloseBox };

// Opens `dialog` for `number` over `parent` as the form does; `operate` runs once the dialog is up
// and must close it. A dialog still open after a minute ends with -1, so that a broken
// test fails instead of hanging.
int Run(CValueDlgBase& dialog, int32_t number, int32_t& value, const std::function<void()>& operate,
        QWidget* parent = nullptr);

QLineEdit* Edit(QDialog& dialog);
// Types into the edit as a keyboard does; an empty text presses Backspace.
void Type(QDialog& dialog, const QString& text);
// Puts `text` on the clipboard and pastes it into the edit.
void Paste(QDialog& dialog, const QString& text);
void ClickOk(QDialog& dialog);
void PressEnter(QDialog& dialog);
void Cancel(QDialog& dialog, CancelWay way);
void ClickBox(QCheckBox* box);

}  // namespace DialogOperator

Q_DECLARE_METATYPE(DialogOperator::CancelWay)
