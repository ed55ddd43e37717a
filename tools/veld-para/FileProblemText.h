#pragma once

#include <string>

#include "params/ParamFileCheck.h"

// What keeps a parameter file from being sent, laid out for a terminal.
class FileProblemText {
  public:
    // An indented line per problem, the first few, then how many more ("line
    // 7: the value of parameter 20 is not a decimal number within 32 bits");
    // with `missing`, one naming the listed parameters the file does not set.
    static std::string Lines(const ParamFileCheck& check, bool missing);
};
