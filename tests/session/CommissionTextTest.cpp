// The texts of a commissioning run that come from the operator or the drive:
// the station list typed, and the report's page, which prints whatever a
// file name or a reply holds.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "session/CommissionHtml.h"
#include "session/Commissioning.h"
#include "session/StationList.h"

namespace {

TEST(StationListTest, ReadsListsAndRangesInStationOrderAndRefusesTheRest) {
    const std::pair<const char*, std::vector<int32_t>> kGood[] = {
        {"3,7", {3, 7}},
        {"1-8", {1, 2, 3, 4, 5, 6, 7, 8}},
        {"7, 1-3", {1, 2, 3, 7}},
        {"0-0,35", {0, 35}},
    };
    for (const auto& [text, expected] : kGood) {
        std::vector<int32_t> stations;
        EXPECT_TRUE(StationList::Parse(text, stations)) << text;
        EXPECT_EQ(stations, expected) << text;
    }
    for (const char* bad : {"", ",", "1,", "36", "-1", "3-1", "1-3,2", "1,1", "1-", "a", "1 2",
                            "1--3", "99999999999"}) {
        std::vector<int32_t> stations = {5};
        EXPECT_FALSE(StationList::Parse(bad, stations)) << bad;
        EXPECT_EQ(stations, std::vector<int32_t>{5}) << bad;
    }
}

// Whatever the report holds shows as text, never as markup; bytes that are no
// UTF-8 show as U+FFFD.
TEST(CommissionHtmlTest, EveryTextIsEscaped) {
    nlohmann::ordered_json report = {
        {"file", "/tmp/<script>alert(1)</script>\xB0\xA1.par"},
        {"sha256", "\"quoted\""},
        {"mode", "send"},
        {"port", "a&b"},
        {"line", "'x'"},
        {"user", "<u>"},
        {"host", "<h>"},
        {"start", "<s>"},
        {"end", nullptr},
        {"stopped", "<stop>"},
        {"target", {{"20", 999}}},
        {"stations",
         {{{"station", 3},
           {"result", "<r>"},
           {"version", "<img src=x>"},
           {"backup", nullptr},
           {"before", {{"20", 500}}},
           {"sent", {"#3.PWR 20 <999>"}},
           {"unsent", nlohmann::ordered_json::array()},
           {"unsaved", false},
           {"after", {{"20", 999}}},
           {"mismatches", nlohmann::ordered_json::array()},
           {"missing", nlohmann::ordered_json::array()}}}},
    };
    std::string html = CommissionHtml::Page(report);
    for (const char* raw : {"<script", "<u>", "<h>", "<s>", "<stop>", "<r>", "<img", "<999>",
                            "\"quoted\"", "a&b", "'x'"}) {
        EXPECT_EQ(html.find(raw), std::string::npos) << raw;
    }
    for (const char* escaped : {"&lt;script&gt;", "&lt;img src=x&gt;", "&lt;999&gt;",
                                "&quot;quoted&quot;", "a&amp;b", "&#39;x&#39;"}) {
        EXPECT_NE(html.find(escaped), std::string::npos) << escaped;
    }
    EXPECT_NE(html.find("\xEF\xBF\xBD"), std::string::npos);
    EXPECT_EQ(html.find("\xB0\xA1"), std::string::npos);
}

// Every way a run can end early is told in the operator's words.
TEST(CommissionHtmlTest, TellsEveryStopInWords) {
    using Stop = Commissioning::Stop;
    for (Stop stop : {Stop::kCancelled, Stop::kPortLost, Stop::kWriteFailed, Stop::kBackupFailed,
                      Stop::kReportFailed}) {
        nlohmann::ordered_json report = {{"stopped", Commissioning::StopName(stop)},
                                         {"stations", nlohmann::ordered_json::array()}};
        EXPECT_NE(CommissionHtml::Page(report).find(Commissioning::StopText(stop)),
                  std::string::npos)
            << Commissioning::StopName(stop);
    }
}

}  // namespace
