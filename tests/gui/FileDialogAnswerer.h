#pragma once

#include <QFileDialog>
#include <QStringList>
#include <functional>

// How the file dialogs came up while the test played the operator at them.
struct FileDialogsSeen {
    int count = 0;
    QFileDialog::FileMode fileMode = QFileDialog::AnyFile;  // of the first
};

// Runs `act`, choosing in each file dialog it opens the next of `names`, or
// cancelling at an empty one.
FileDialogsSeen AnswerFileDialogs(const QStringList& names, const std::function<void()>& act);
