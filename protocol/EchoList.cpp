#include "protocol/EchoList.h"

void EchoList::Add(const std::string& text) {
    if (m_nEchoLines < kMaxLines) {
        ++m_nEchoLines;
    } else {
        m_view.DeleteFirstLine();
    }
    m_view.AppendLine(text);
    m_view.ShowLine(m_nEchoLines - 1);
}
