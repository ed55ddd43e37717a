#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "serial/PortDoctor.h"
#include "serial/PortFinding.h"
#include "serial/PortInventory.h"

// The port doctor's report and the port list laid out for veld-para: the
// findings' English words as lines for a terminal, JSON for scripts.
class PortReportText {
  public:
    // "COM15 (/dev/ttyS14)" and what is known of the device, a line each.
    static std::string Header(const PortDoctor::Report& report);
    // One "- reason" line a finding, its remedy indented below it.
    static std::string Findings(const PortDoctor::Report& report);
    // The description without the by-id names, which have a field of their own.
    static std::string Hardware(const PortInventory::Port& port);

    // The findings, each with its kind, reason, remedy and data.
    static nlohmann::ordered_json FindingsJson(const PortDoctor::Report& report);
    // Every field sysfs gave of the port.
    static nlohmann::ordered_json PortJson(const PortInventory::Port& port);
};
