#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "serial/Notifier.h"

// Records the core's operator messages; returns at once, as if dismissed.
class RecordingNotifier : public Notifier {
  public:
    void Notify(const std::string& caption, const std::string& text) override;

    std::vector<std::string> Texts() const;
    std::vector<std::string> Captions() const;
    size_t Count() const;

  private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_captions;
    std::vector<std::string> m_texts;
};
