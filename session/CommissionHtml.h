#pragma once

#include <nlohmann/json.hpp>
#include <string>

// The printable page of a commissioning report, made from its JSON document:
// the run's facts and a table of the stations first, then a page for each
// station with its values before and after beside the target's, the lines
// sent and what the drive did not take. Every text is escaped, and bytes that
// are no UTF-8 (a CP949 file name, a garbled reply) show as U+FFFD.
class CommissionHtml {
  public:
    static std::string Page(const nlohmann::ordered_json& report);

  private:
    static std::string Facts(const nlohmann::ordered_json& report);
    static std::string Summary(const nlohmann::ordered_json& stations);
    static std::string StationPage(const nlohmann::ordered_json& station,
                                   const nlohmann::ordered_json& target);
    static std::string ValueTable(const nlohmann::ordered_json& station,
                                  const nlohmann::ordered_json& target);
};
