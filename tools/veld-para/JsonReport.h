#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "params/ParamComparison.h"
#include "params/ParamSet.h"
#include "protocol/ReadBackReport.h"

// The one JSON document a command prints with --json, for scripts and
// production lines. Keys keep the order they were added in.
class JsonReport {
  public:
    // "command", then each of `fields` in its order.
    explicit JsonReport(const std::string& command,
                        const nlohmann::ordered_json& fields = nlohmann::ordered_json::object());

    // Any JSON value: a text, a number, a flag, an object, a list.
    void Add(const std::string& key, nlohmann::ordered_json value);
    // "parameters": number, name and value of each.
    void AddValues(const ParamSet& values);
    // With `json` (its other fields added): "compared", "differences" and
    // "parameters", a row each with its two values under `aKey` and `bKey`
    // (null where a side lacks the parameter), printed; without: the text
    // line of each differing row.
    static void PrintComparison(const ParamComparison& comparison, JsonReport* json,
                                const char* aKey, const char* bKey);
    // "result", "sent", "confirmed", "missing" and a row per value sent.
    void AddReadBack(const ReadBackReport& report);
    // Writes the document and a line end to stdout.
    void Print() const;

    // Every JSON text veld-para writes: a byte that is no UTF-8 (a CP949 file
    // name, a garbled reply) becomes U+FFFD instead of aborting the program.
    static std::string Dump(const nlohmann::ordered_json& value, int indent);

  private:
    static nlohmann::ordered_json Rows(const ParamComparison& comparison, const char* aKey,
                                       const char* bKey);

    nlohmann::ordered_json m_doc;
};
