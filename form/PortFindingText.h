#pragma once

#include <QString>

#include "serial/PortDoctor.h"
#include "serial/PortFinding.h"

// The port doctor's findings in the GUI's words: a short reason, for the
// status bar and the doctor dialog, and a remedy the operator can copy.
class PortFindingText {
  public:
    static QString Reason(const PortFinding& finding);
    // What to do, as commands where there are any; empty when nothing is to be done.
    static QString Remedy(const PortFinding& finding);
    // The status bar's line after a failed open: the reason that blocks it.
    static QString OpenFailure(const PortDoctor::Report& report);
};
