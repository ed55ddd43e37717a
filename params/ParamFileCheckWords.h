#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "params/ParamFileCheck.h"

// What keeps a parameter file from being sent: its Korean words for the GUI
// and its English words for veld-para side by side, a line each.
struct ParamFileCheckWords {
    struct Words {
        std::string korean;
        std::string english;
    };

    // A line per problem, the first `shown` of them, then how many more; with
    // `missing`, one naming the listed parameters that no record sets.
    static std::vector<Words> Lines(const ParamFileCheck& check, size_t shown, bool missing);
};
