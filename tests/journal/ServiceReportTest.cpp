// A journal entry's Korean summary and the service report made from entries,
// whatever their documents hold: those the recorders write, and those changed
// by hand into other shapes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "journal/JournalSummary.h"
#include "journal/ServiceReportHtml.h"

namespace {

using Json = nlohmann::ordered_json;
using Kind = JournalEntry::Kind;

JournalEntry Entry(Kind kind, Json payload, std::optional<int32_t> station = 3) {
    JournalEntry entry;
    entry.id = 7;
    entry.time = "2026-12-09T08:00:00.000Z";
    entry.kind = kind;
    entry.station = station;
    entry.payload = std::move(payload);
    return entry;
}

const Json kLineSent = {{"line", "#3.PWR 20 300"}, {"fate", "sent"}};

TEST(JournalSummaryTest, SaysEachKindInAFewKoreanWords) {
    const std::pair<JournalEntry, std::string> kCases[] = {
        {Entry(Kind::kRead, {{"complete", true}, {"values", {{"20", 500}, {"21", 600}}}}),
         "읽기 2개 (완료)"},
        {Entry(Kind::kRead, {{"complete", false}, {"values", {{"20", 500}}}}), "읽기 1개 (불완전)"},
        {Entry(Kind::kWrite, {{"parameters", {{{"number", 20}, {"before", 500}, {"sent", 300}}}},
                              {"lines", {kLineSent}},
                              {"saved", true}}),
         "20 가속시간 500 → 300, 저장함"},
        {Entry(Kind::kWrite, {{"parameters",
                               {{{"number", 20}, {"before", nullptr}, {"sent", 300}},
                                {{"number", 21}, {"before", 1}, {"sent", 2}}}},
                              {"lines",
                               {kLineSent,
                                {{"line", "#3.PWR 21 2"}, {"fate", "failed"}},
                                {{"line", "#3.COP"}, {"fate", "not sent"}}}},
                              {"saved", false}}),
         "20 가속시간 ? → 300 외 1개, 못 보낸 줄 2개, 저장 안 함"},
        {Entry(Kind::kReadBack,
               {{"result", "confirmed"},
                {"parameters", {{{"number", 20}, {"sent", 300}, {"drive", 300}}}}}),
         "확인됨 (1개)"},
        {Entry(Kind::kReadBack, {{"result", "mismatch"},
                                 {"parameters",
                                  {{{"number", 20}, {"sent", 300}, {"drive", 500}},
                                   {{"number", 21}, {"sent", 2}, {"drive", 2}}}}}),
         "불일치 1개 / 2개"},
        {Entry(Kind::kReadBack, {{"result", "no complete reply"}, {"parameters", Json::array()}}),
         "드라이브가 완전히 응답하지 않음"},
        {Entry(Kind::kFailure, {{"what", "port lost"}}), "포트 연결이 끊어짐"},
        {Entry(Kind::kFailure, {{"what", "write failed"}, {"line", "#3.PWR 20 300"}}),
         "줄을 쓰지 못함: #3.PWR 20 300"},
        {Entry(Kind::kFailure, {{"what", "stopped by a signal"}, {"signal", 15}}),
         "신호를 받아 멈춤 (15)"},
        {Entry(Kind::kDisconnect, {{"lost", true}}), "포트가 사라짐"},
        {Entry(Kind::kSend, {{"lines", {{{"line", "#3.STA"}, {"fate", "sent"}}}},
                             {"replies", {"#3.STA 00000001"}}}),
         "#3.STA (보냄) → #3.STA 00000001"},
        {Entry(Kind::kInit, {{"lines", {{{"line", "#3.PDF ALL"}, {"fate", "failed"}}}}}),
         "#3.PDF ALL (쓰기 실패)"},
        {Entry(Kind::kVersion, {{"replies", {"#3.FRD 0 0105", "#3.FRD 1 0003"}}}),
         "#3.FRD 0 0105, #3.FRD 1 0003"},
        {Entry(Kind::kScan, {{"first", 0},
                             {"last", 35},
                             {"result", "finished"},
                             {"answers", {{{"station", 3}, {"version", "0105"}}}}}),
         "국번 0~35 검색 끝남: 응답 1개, 3 (0105)"},
        {Entry(Kind::kMonitor,
               {{"action", "start"}, {"commands", {"STA", "PRD 20"}}, {"interval_ms", 200}}),
         "시작: STA, PRD 20, 200 ms마다"},
        {Entry(Kind::kMonitor, {{"action", "stop"}, {"rounds_sent", 30}, {"rounds_answered", 29}}),
         "멈춤: 30회 보냄, 29회 응답"},
        {Entry(Kind::kFile, {{"action", "sent from"}, {"path", "/a/b.par"}}), "보낸 파일 /a/b.par"},
        {Entry(Kind::kCommission, {{"file", "/t.par"},
                                   {"mode", "send"},
                                   {"stopped", "port lost"},
                                   {"stations",
                                    {{{"station", 1}, {"result", "verified"}},
                                     {{"station", 2}, {"result", "not reached"}}}}}),
         "보내기 /t.par: 국번 2개 중 1개 확인됨, 중단됨 (port lost)"},
        // Changed by hand: nothing throws, what is there is said.
        {Entry(Kind::kRead, {{"complete", "yes"}, {"values", "many"}}), "읽기 0개 (불완전)"},
        {Entry(Kind::kWrite, {{"parameters", "x"}, {"lines", 5}}), "보낸 값 없음, 저장 안 함"},
        {Entry(Kind::kWrite, {{"parameters", {{{"number", "20"}, {"sent", 300}}}}}),
         "20 ? → 300, 저장 안 함"},
        {Entry(Kind::kReadBack, {{"result", 5}}), "5"},
    };
    for (const auto& [entry, expected] : kCases) {
        EXPECT_EQ(JournalSummary::Of(entry), expected) << entry.payload.dump();
    }
}

ServiceReportHtml::Session SessionOf(std::vector<JournalEntry> entries) {
    ServiceReportHtml::Session session;
    session.info.port = "<b>COM3</b>";
    session.info.user = "kim\xB0\xA1";  // CP949, no UTF-8
    session.info.host = "a&b";
    session.info.stations = {3};
    session.entries = std::move(entries);
    return session;
}

// What the report says of a write: its values before and sent beside the
// drive's after the read-back that answers it, and what went wrong ("없음"
// where nothing changed or failed).
TEST(ServiceReportHtmlTest, PairsEachWriteWithItsReadBackAndListsTheFailuresOrNone) {
    std::string html = ServiceReportHtml::Page({SessionOf({
        Entry(Kind::kWrite, {{"parameters", {{{"number", 20}, {"before", 500}, {"sent", 300}}}},
                             {"lines", {{{"line", "#3.PWR 20 <300>"}, {"fate", "not sent"}}}},
                             {"saved", false}}),
        Entry(Kind::kReadBack, {{"result", "confirmed"}}, 4),  // another station's
        Entry(Kind::kReadBack, {{"result", "mismatch"},
                                {"parameters", {{{"number", 20}, {"sent", 300}, {"drive", 499}}}}}),
        Entry(Kind::kWrite, {{"parameters", {{{"number", 21}, {"before", 1}, {"sent", 2}}}}}),
        Entry(Kind::kFailure, {{"what", "port <lost>"}}),
    })});
    EXPECT_NE(html.find("<tr class=\"differ\">"), std::string::npos);
    EXPECT_NE(html.find("<td class=\"n\">499</td>"), std::string::npos);
    EXPECT_NE(html.find("다시 읽지 않음"), std::string::npos);  // the second write
    EXPECT_NE(html.find("보내지 않음 <code>#3.PWR 20 &lt;300&gt;</code>"), std::string::npos);
    EXPECT_NE(html.find("port &lt;lost&gt;"), std::string::npos);
    EXPECT_NE(html.find("불일치 1개 / 1개"), std::string::npos);
    for (const char* raw : {"<b>COM3", "<300>", "<lost>", "a&b", "\xB0\xA1"}) {
        EXPECT_EQ(html.find(raw), std::string::npos) << raw;
    }
    EXPECT_NE(html.find("&lt;b&gt;COM3&lt;/b&gt;"), std::string::npos);
    EXPECT_NE(html.find("kim\xEF\xBF\xBD"), std::string::npos);

    html = ServiceReportHtml::Page({SessionOf({Entry(Kind::kConnect, Json::object())})});
    EXPECT_NE(html.find("<h3>바꾼 값</h3>\n<p>없음</p>"), std::string::npos);
    EXPECT_NE(html.find("<h3>실패</h3>\n<p>없음</p>"), std::string::npos);
}

}  // namespace
