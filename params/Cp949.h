#pragma once

#include <string>

// The drive's lines and the parameter files are CP949 bytes; the program's own
// texts are UTF-8. One converter for both directions.
class Cp949 {
  public:
    // A character CP949 cannot hold becomes "?".
    static std::string FromUtf8(const std::string& utf8);
    // A byte that is not valid CP949 becomes U+FFFD.
    static std::string ToUtf8(const std::string& cp949);
};
