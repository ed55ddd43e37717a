#pragma once

#include "serial/Notifier.h"

// The core's operator messages go to stderr; the program goes on at once.
class StderrNotifier : public Notifier {
  public:
    void Notify(const std::string& caption, const std::string& text) override;
};
