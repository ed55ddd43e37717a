#include "JsonReport.h"

#include <cstdio>
#include <utility>

#include "ComparisonText.h"
#include "StdoutCheck.h"
#include "params/ParamTable.h"

namespace {

nlohmann::ordered_json Value(bool has, int32_t value) {
    return has ? nlohmann::ordered_json(value) : nlohmann::ordered_json(nullptr);
}

}  // namespace

JsonReport::JsonReport(const std::string& command, const nlohmann::ordered_json& fields) {
    m_doc["command"] = command;
    for (const auto& [key, value] : fields.items()) m_doc[key] = value;
}

void JsonReport::Add(const std::string& key, nlohmann::ordered_json value) {
    m_doc[key] = std::move(value);
}

void JsonReport::AddValues(const ParamSet& values) {
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    for (int32_t number : values.Numbers()) {
        rows.push_back({{"number", number},
                        {"name", ParamTable::NameOf(number)},
                        {"value", values.Value(number)}});
    }
    m_doc["parameters"] = rows;
}

void JsonReport::AddReadBack(const ReadBackReport& report) {
    m_doc["result"] = ReadBackReport::ResultName(report.Result());
    m_doc["sent"] = report.SentCount();
    m_doc["confirmed"] = report.ConfirmedCount();
    m_doc["missing"] = report.Missing();
    if (report.BadNumberSeen()) m_doc["bad_number_in_reply"] = true;
    m_doc["parameters"] = Rows(report.Comparison(), "sent", "drive");
}

nlohmann::ordered_json JsonReport::Rows(const ParamComparison& comparison, const char* aKey,
                                        const char* bKey) {
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    for (const ParamComparison::Row& row : comparison.Rows()) {
        nlohmann::ordered_json item = {{"number", row.number},
                                       {"name", ParamTable::NameOf(row.number)},
                                       {aKey, Value(row.hasA, row.a)},
                                       {bKey, Value(row.hasB, row.b)},
                                       {"differ", row.differ}};
        if (row.bits != 0) item["differing_bits"] = row.DifferingBits();
        if (row.beyond16) item["fits_16_bits"] = false;
        std::string note = ComparisonText::Note(row);
        if (!note.empty()) item["note"] = note;
        rows.push_back(item);
    }
    return rows;
}

void JsonReport::Print() const {
    std::printf("%s\n", Dump(m_doc, 2).c_str());
    StdoutCheck::Flush();
}

std::string JsonReport::Dump(const nlohmann::ordered_json& value, int indent) {
    return value.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

void JsonReport::PrintComparison(const ParamComparison& comparison, JsonReport* json,
                                 const char* aKey, const char* bKey) {
    if (!json) {
        ComparisonText::PrintDiffering(comparison);
        return;
    }
    json->Add("compared", comparison.Rows().size());
    json->Add("differences", comparison.Differences());
    json->Add("parameters", Rows(comparison, aKey, bKey));
    json->Print();
}
