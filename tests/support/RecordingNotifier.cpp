#include "support/RecordingNotifier.h"

void RecordingNotifier::Notify(const std::string& caption, const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_captions.push_back(caption);
    m_texts.push_back(text);
}

std::vector<std::string> RecordingNotifier::Texts() const {
    std::lock_guard lock(m_mutex);
    return m_texts;
}

std::vector<std::string> RecordingNotifier::Captions() const {
    std::lock_guard lock(m_mutex);
    return m_captions;
}

size_t RecordingNotifier::Count() const {
    std::lock_guard lock(m_mutex);
    return m_texts.size();
}
