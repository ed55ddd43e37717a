#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "serial/Notifier.h"

// Records the core's operator messages; returns at once, as if dismissed.
class RecordingNotifier : public Notifier {
  public:
    void Notify(const std::string& caption, const std::string& text) override {
        std::lock_guard lock(m_mutex);
        m_captions.push_back(caption);
        m_texts.push_back(text);
    }

    std::vector<std::string> Texts() const {
        std::lock_guard lock(m_mutex);
        return m_texts;
    }
    std::vector<std::string> Captions() const {
        std::lock_guard lock(m_mutex);
        return m_captions;
    }
    size_t Count() const { return Texts().size(); }

  private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_captions;
    std::vector<std::string> m_texts;
};
