#include "StderrNotifier.h"

#include <cstdio>

void StderrNotifier::Notify(const std::string& caption, const std::string& text) {
    if (caption == kTtyErrorCaption) m_bWriteFailed.store(true, std::memory_order_release);
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}
