#include "StderrNotifier.h"

#include <cstdio>

void StderrNotifier::Notify(const std::string& caption, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}
