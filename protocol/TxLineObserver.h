#pragma once

#include <string>

// Told of every command line the moment it is queued, before it goes out.
class TxLineObserver {
  public:
    virtual ~TxLineObserver() = default;
    // `line` ends with its carriage return. The observer may queue lines itself.
    virtual void OnLineQueued(const std::string& line) = 0;
};
