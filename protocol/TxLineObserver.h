#pragma once

#include <string>

// Told of every command line the moment it is queued, before it goes out.
class TxLineObserver {
  public:
    // Who queued a line: the operator's manual line and the version request
    // are recorded as such; every other line is known by its code.
    enum class Origin { kCommand, kManual, kVersion };

    virtual ~TxLineObserver() = default;
    // `line` ends with its carriage return. The observer may queue lines itself.
    virtual void OnLineQueued(const std::string& line, Origin origin) = 0;
};
