#pragma once

#include <string>
#include <string_view>

// SHA-256 of some bytes (libcrypto), as 64 lower-case hex digits: a file's
// fingerprint in a report, a journal entry's link in its chain.
class Sha256 {
  public:
    // Empty when libcrypto fails.
    static std::string Hex(std::string_view bytes);
};
