#include "params/ParamFile.h"

#include <cstdio>

#include "params/Cp949.h"
#include "params/DecimalText.h"
#include "params/SafeFile.h"

std::string ParamFile::Format(const ParamTable& table) { return Format(ParamSet::Listed(table)); }

std::string ParamFile::Format(const ParamSet& set) {
    std::string text;
    for (int32_t number : set.Numbers()) {
        text += Record(number, Cp949::FromUtf8(ParamTable::NameOf(number)), set.Value(number));
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

bool ParamFile::Write(const std::string& path, const ParamSet& set) {
    return SafeFile::Replace(path, Format(set));
}

bool ParamFile::Create(const std::string& path, const ParamSet& set) {
    return SafeFile::Create(path, Format(set));
}

bool ParamFile::Read(const std::string& path, ParamTable& table, RefreshFlag& refresh) {
    std::string content;
    if (!SafeFile::ReadRegular(path, kMaxFileBytes, content)) return false;
    Parse(content, table);
    refresh.Raise();
    return true;
}

bool ParamFile::Read(const std::string& path, ParamSet& set) {
    std::string content;
    if (!SafeFile::ReadRegular(path, kMaxFileBytes, content)) return false;
    Parse(content, set);
    return true;
}

template <class Store>
void ParamFile::ParseRecords(std::string_view content, Store store) {
    enum Field { kNumber, kName, kValue };
    int field = kNumber;
    int32_t number = 0;
    std::string text;
    auto endField = [&] {
        if (field == kNumber) number = DecimalText::Parse(text);
        if (field == kValue && number >= 0 && number < ParamTable::kCount) {
            store(number, DecimalText::Parse(text));
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

void ParamFile::Parse(std::string_view content, ParamTable& table) {
    ParseRecords(content, [&table](int32_t n, int32_t v) { table.SetParamValue(n, v); });
}

void ParamFile::Parse(std::string_view content, ParamSet& set) {
    ParseRecords(content, [&set](int32_t n, int32_t v) { set.Set(n, v); });
}
