#include "params/ParamTable.h"

namespace {

struct Contents {
    int32_t number;
    int32_t flags;
    int32_t attr;
    int32_t editKind;
    const char* name;
};

// Every entry not listed here is "RESERVED" with flags, attr and editKind 0.
constexpr Contents kContents[] = {
    {10, 1, 0, 0, "전류루프사용"},     {11, 1, 0, 0, "속도루프사용"},
    {13, 1, 1, 0, "전류 P gain"},      {14, 1, 1, 0, "전류 I gain"},
    {15, 1, 1, 0, "속도 P gain"},      {16, 1, 1, 0, "속도 I gain"},
    {20, 1, 1, 0, "가속시간"},         {21, 1, 1, 0, "감속시간"},
    {22, 1, 1, 0, "최저속도"},         {23, 1, 1, 0, "최고속도"},
    {25, 1, 1, 0, "전류제한"},         {26, 1, 1, 0, "전류제한한계시간"},
    {27, 1, 1, 0, "과온도한계"},       {28, 1, 1, 0, "과온도한계시간"},
    {29, 1, 1, 0, "전원변동한계시간"}, {30, 1, 0, 0, "정지방법"},
    {31, 1, 0, 0, "긴급정지방법"},     {37, 1, 0, 1, "모니터링종류"},
    {38, 1, 1, 0, "속도도달허용폭"},   {40, 3, 0, 1, "IN극성선택"},
    {41, 3, 0, 1, "OUT극성선택"},      {42, 3, 0, 0, "운전모드선택"},
    {43, 3, 0, 0, "IN1기능선택"},      {44, 3, 0, 0, "IN2기능선택"},
    {45, 3, 0, 0, "IN3기능선택"},      {46, 3, 0, 0, "IN4기능선택"},
    {47, 3, 0, 0, "OUT1기능선택"},     {48, 3, 0, 0, "OUT2기능선택"},
    {49, 3, 0, 0, "OUT3기능선택"},     {50, 1, 1, 0, "속도인덱스1"},
    {51, 1, 1, 0, "속도인덱스2"},      {52, 1, 1, 0, "속도인덱스3"},
    {53, 1, 1, 0, "속도인덱스4"},      {54, 1, 1, 0, "속도인덱스5"},
    {55, 1, 1, 0, "속도인덱스6"},      {56, 1, 1, 0, "속도인덱스7"},
    {57, 1, 1, 0, "속도인덱스8"},      {60, 1, 0, 0, "AD극성"},
    {61, 1, 0, 0, "AD입력최소 "},      {100, 1, 1, 0, "ConFlag"},
    {101, 1, 1, 0, "모터극수"},        {102, 1, 0, 0, "SYSTEM"},
    {103, 1, 1, 0, "SYSTEM"},          {104, 1, 1, 0, "SYSTEM"},
    {105, 1, 1, 0, "SYSTEM"},          {106, 1, 1, 0, "전류센서용량"},
};

}  // namespace

ParamTable::ParamTable() {
    for (int32_t i = 0; i < kCount; ++i) m_entries[i].number = i;
    for (const Contents& c : kContents) {
        ParamEntry& e = m_entries[c.number];
        e.flags = c.flags;
        e.attr = c.attr;
        e.editKind = c.editKind;
        e.name = c.name;
    }
}

ParamTable& ParamTable::Instance() {
    static ParamTable table;
    return table;
}

const char* ParamTable::NameOf(int32_t number) {
    for (const Contents& c : kContents) {
        if (c.number == number) return c.name;
    }
    return "RESERVED";
}

void ParamTable::SetParamValue(int32_t number, int32_t value) {
    m_entries[number].value.store(value, std::memory_order_relaxed);
}

int32_t ParamTable::GetParamValue(int32_t number) const {
    return m_entries[number].value.load(std::memory_order_relaxed);
}

bool ParamTable::IsListed(int32_t number) const {
    int32_t flags = m_entries[number].flags;
    return number < kListScan && (flags & ParamEntry::kListed) != 0 &&
           (flags & ParamEntry::kSetup) == 0;
}

std::vector<int32_t> ParamTable::ListedNumbers() const {
    std::vector<int32_t> numbers;
    for (int32_t i = 0; i < kListScan; ++i) {
        if (IsListed(i)) numbers.push_back(i);
    }
    return numbers;
}
