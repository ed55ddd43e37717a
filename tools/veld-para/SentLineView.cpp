#include "SentLineView.h"

#include <cstdio>

void SentLineView::AppendLine(const std::string& text) {
    if (!m_bQuiet) std::fprintf(stderr, "> %s\n", text.c_str());
}
