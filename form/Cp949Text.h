#pragma once

#include <QString>
#include <string>

// The drive's and the files' texts are CP949 bytes; the widgets show Unicode.
class Cp949Text {
  public:
    // Bytes that are not valid CP949 show as replacement characters.
    static QString Decode(const std::string& bytes);
    // Characters CP949 cannot hold become "?".
    static std::string Encode(const QString& text);
};
