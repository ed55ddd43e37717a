#include "params/ParamFile.h"

#include <cstdio>

#include "params/Cp949.h"
#include "params/DecimalText.h"
#include "params/SafeFile.h"

std::string ParamFile::Format(const ParamTable& table) {
    std::string text;
    for (int32_t number : table.ListedNumbers()) {
        text +=
            Record(number, Cp949::FromUtf8(table.Entry(number).name), table.GetParamValue(number));
    }
    return text + "\r\n";
}

std::string ParamFile::Record(int32_t number, const std::string& name, int32_t value) {
    constexpr const char* kRecord = "%5d, %20s, %10d \r\n";
    int length = std::snprintf(nullptr, 0, kRecord, number, name.c_str(), value);
    std::string record(static_cast<size_t>(length), '\0');
    std::snprintf(record.data(), record.size() + 1, kRecord, number, name.c_str(), value);
    return record;
}

bool ParamFile::Write(const std::string& path, const ParamTable& table) {
    return SafeFile::Replace(path, Format(table));
}

bool ParamFile::Read(const std::string& path, ParamTable& table, RefreshFlag& refresh) {
    std::string content;
    if (!SafeFile::ReadRegular(path, kMaxFileBytes, content)) return false;
    Parse(content, table);
    refresh.Raise();
    return true;
}

void ParamFile::Parse(std::string_view content, ParamTable& table) {
    enum Field { kNumber, kName, kValue };
    int field = kNumber;
    int32_t number = 0;
    std::string text;
    auto endField = [&] {
        if (field == kNumber) number = DecimalText::Parse(text);
        if (field == kValue && number >= 0 && number < ParamTable::kCount) {
            table.SetParamValue(number, DecimalText::Parse(text));
        }
        field = (field + 1) % 3;
        text.clear();
    };
    for (char c : content) {
        if (c == ',' || c == '\n') {
            endField();
        } else if (c != ' ' && c != '\r' && text.size() < kMaxFieldBytes) {
            text += c;
        }
    }
    endField();
}
