#pragma once

#include <string>

#include "serial/PortFinding.h"

// What a port finding says: its Korean words for the GUI and its English
// words for veld-para side by side, so that the two never tell it apart.
struct PortFindingWords {
    struct Words {
        std::string korean;
        std::string english;
    };

    const char* name = "";  // the kind as scripts see it: "held-by"
    Words reason;           // why the port opens or not, one line
    Words remedy;  // what to do, a command a line where there are any; empty: nothing to do

    static PortFindingWords Of(const PortFinding& finding);
};
