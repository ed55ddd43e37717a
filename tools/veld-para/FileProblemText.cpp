#include "FileProblemText.h"

#include <cstddef>

#include "params/ParamFileCheckWords.h"

namespace {

// Enough to find the fault; a binary file would otherwise fill the terminal.
constexpr size_t kShown = 10;

}  // namespace

std::string FileProblemText::Lines(const ParamFileCheck& check, bool missing) {
    std::string text;
    for (const ParamFileCheckWords::Words& words :
         ParamFileCheckWords::Lines(check, kShown, missing)) {
        text += "  " + words.english + "\n";
    }
    return text;
}
