#pragma once

#include <string>

#include "params/ParamFileCheck.h"

// What keeps a parameter file from being sent, in veld-para's words.
class FileProblemText {
  public:
    // "line 7: the value is not a decimal number within 32 bits".
    static std::string Problem(const ParamFileCheck::Problem& problem);
    // An indented line per problem (the first few, then how many more) and,
    // with `missing`, one naming the listed parameters the file does not set.
    static std::string Lines(const ParamFileCheck& check, bool missing);
};
