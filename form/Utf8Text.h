#pragma once

#include <QString>

// The program's own texts, Korean among them, are UTF-8 in the sources.
inline QString Text(const char* utf8) { return QString::fromUtf8(utf8); }
