#pragma once

#include <algorithm>
#include <string>

#include "serial/PortDoctor.h"

// Whether a program holds the port with its lock, as the tools do once their
// open is complete (the doctor sees the open file a moment earlier).
inline bool PortLocked(const std::string& path) {
    PortDoctor::Report report = PortDoctor().Examine(path);
    return std::any_of(report.findings.begin(), report.findings.end(), [](const PortFinding& f) {
        return f.kind == PortFinding::Kind::kHeldBy && f.hold == PortFinding::Hold::kLock;
    });
}
