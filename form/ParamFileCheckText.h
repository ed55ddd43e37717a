#pragma once

#include <QString>
#include <optional>

#include "params/ParamFileCheck.h"

// What a parameter file lacks, laid out for the GUI: why the safe writes
// refuse to send from it, and what "열기" left as it was.
class ParamFileCheckText {
  public:
    // The message box's text when a file cannot be sent: the file, each
    // problem (the first few), the listed parameters it does not set.
    // `check` is empty for a file that cannot be read at all.
    static QString Refusal(const QString& path, const std::optional<ParamFileCheck>& check);
    // The status bar after "열기": the listed parameters the file did not set,
    // which keep their values; empty when it set them all.
    static QString NotSetByOpen(const QString& path);
};
