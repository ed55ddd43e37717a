#include "form/Cp949Text.h"

#include "params/Cp949.h"

QString Cp949Text::Decode(const std::string& bytes) {
    return QString::fromStdString(Cp949::ToUtf8(bytes));
}

std::string Cp949Text::Encode(const QString& text) { return Cp949::FromUtf8(text.toStdString()); }
