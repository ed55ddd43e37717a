#include "journal/ServiceReportHtml.h"

#include "journal/JournalSummary.h"
#include "journal/JournalTime.h"
#include "journal/ReportHtml.h"

namespace {

using Json = nlohmann::ordered_json;
using Html = ReportHtml;
using Kind = JournalEntry::Kind;

constexpr const char* kStyle =
    "table.wide{width:100%}"
    ".session{margin-top:1.5em}.session+.session{break-before:page;page-break-before:always}"
    "tr.differ{background:#fbe3e3}";

// A journal time in local time to the second.
std::string Local(const std::string& utc) {
    return Html::Escape(JournalTime::Local(utc).substr(0, 19));
}

std::string Stations(const std::vector<int32_t>& stations) {
    std::string text;
    for (int32_t station : stations) text += (text.empty() ? "" : ", ") + std::to_string(station);
    return text.empty() ? "—" : text;
}

std::string StationOf(const JournalEntry& entry) {
    return entry.station ? std::to_string(*entry.station) : "—";
}

// The read-back that answers the write at `at`: the next of its station,
// before another write to it.
const JournalEntry* ReadBackAfter(const std::vector<JournalEntry>& entries, size_t at) {
    for (size_t i = at + 1; i < entries.size(); ++i) {
        if (entries[i].station != entries[at].station) continue;
        if (entries[i].kind == Kind::kReadBack) return &entries[i];
        if (entries[i].kind == Kind::kWrite) return nullptr;
    }
    return nullptr;
}

// The drive's value of `number` in a read-back's rows; null when not there.
Json DriveValue(const JournalEntry* readBack, const Json& number) {
    if (!readBack) return Json();
    for (const Json& row : Html::Field(readBack->payload, "parameters")) {
        if (Html::Field(row, "number") == number) return Html::Field(row, "drive");
    }
    return Json();
}

std::string NameOf(const Json& number) {
    return number.is_number_integer() ? Html::ParamName(number.get<int64_t>()) : "";
}

}  // namespace

std::string ServiceReportHtml::Page(const std::vector<Session>& sessions) {
    std::string html = Html::Head("서비스 보고서", "서비스 보고서", kStyle) + Overview(sessions);
    for (size_t i = 0; i < sessions.size(); ++i) html += SessionPart(sessions[i], i + 1);
    return html + Html::Tail();
}

std::string ServiceReportHtml::Overview(const std::vector<Session>& sessions) {
    std::string html =
        "<h2>작업 목록</h2>\n<table class=\"wide\">\n<tr><th>작업</th><th>시작</th><th>포트</th>"
        "<th>국번</th><th>사용자</th><th>기록 수</th></tr>\n";
    for (size_t i = 0; i < sessions.size(); ++i) {
        const Journal::SessionInfo& info = sessions[i].info;
        html += "<tr>" + Html::Cell(std::to_string(i + 1), true) + Html::Cell(Local(info.started)) +
                Html::LongCell(Html::Escape(info.port)) + Html::Cell(Stations(info.stations)) +
                Html::LongCell(Html::Escape(info.user + "@" + info.host)) +
                Html::Cell(std::to_string(info.entries), true) + "</tr>\n";
    }
    return html + "</table>\n";
}

std::string ServiceReportHtml::SessionPart(const Session& session, size_t index) {
    return "<section class=\"session\">\n<h2>작업 " + std::to_string(index) + ": " +
           Html::Escape(session.info.port) + "</h2>\n" + Facts(session.info) +
           Changes(session.entries) + Failures(session.entries) + Done(session.entries) +
           "</section>\n";
}

std::string ServiceReportHtml::Facts(const Journal::SessionInfo& info) {
    std::string html = "<table class=\"facts\">\n";
    html += Html::Row("포트", Html::Escape(info.port));
    html += Html::Row("국번", Stations(info.stations));
    html += Html::Row("프로그램", Html::Escape(info.program + " " + info.version));
    html += Html::Row("사용자", Html::Escape(info.user));
    html += Html::Row("컴퓨터", Html::Escape(info.host));
    html += Html::Row("시작", Local(info.started));
    html += Html::Row("끝", Local(info.ended));
    return html + "</table>\n";
}

std::string ServiceReportHtml::Changes(const std::vector<JournalEntry>& entries) {
    std::string rows;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].kind == Kind::kWrite)
            rows += WriteRows(entries[i], ReadBackAfter(entries, i));
    }
    if (rows.empty()) return "<h3>바꾼 값</h3>\n<p>없음</p>\n";
    return "<h3>바꾼 값</h3>\n<table class=\"wide\">\n<tr><th>시각</th><th>국번</th><th>번호</th>"
           "<th>이름</th><th>이전</th><th>보낸 값</th><th>다시 읽은 값</th><th>저장</th></tr>\n" +
           rows + "</table>\n";
}

std::string ServiceReportHtml::WriteRows(const JournalEntry& write, const JournalEntry* readBack) {
    std::string saved = Html::Field(write.payload, "saved") == true ? "저장함" : "저장 안 함";
    std::string html;
    for (const Json& parameter : Html::Field(write.payload, "parameters")) {
        const Json& number = Html::Field(parameter, "number");
        const Json& sent = Html::Field(parameter, "sent");
        Json drive = DriveValue(readBack, number);
        bool differ = readBack && drive != sent;
        html += std::string(differ ? "<tr class=\"differ\">" : "<tr>") +
                Html::Cell(Local(write.time)) + Html::Cell(StationOf(write), true) +
                Html::Cell(Html::Text(number), true) + Html::Cell(NameOf(number)) +
                Html::Cell(Html::Text(Html::Field(parameter, "before")), true) +
                Html::Cell(Html::Text(sent), true) +
                Html::Cell(readBack ? Html::Text(drive) : "다시 읽지 않음", readBack != nullptr) +
                Html::Cell(saved) + "</tr>\n";
    }
    return html;
}

std::string ServiceReportHtml::Done(const std::vector<JournalEntry>& entries) {
    std::string html =
        "<h3>작업 내역</h3>\n<table class=\"wide\">\n<tr><th>번호</th><th>시각</th><th>종류</th>"
        "<th>국번</th><th>내용</th></tr>\n";
    for (const JournalEntry& entry : entries) {
        html += "<tr>" + Html::Cell(std::to_string(entry.id), true) +
                Html::Cell(Local(entry.time)) + Html::Cell(JournalSummary::KindText(entry.kind)) +
                Html::Cell(StationOf(entry), true) +
                Html::LongCell(Html::Escape(JournalSummary::Of(entry))) + "</tr>\n";
    }
    return html + "</table>\n";
}

std::string ServiceReportHtml::Failures(const std::vector<JournalEntry>& entries) {
    std::string items;
    for (const JournalEntry& entry : entries) {
        std::string when = Local(entry.time) + " 국번 " + StationOf(entry) + ": ";
        if (entry.kind == Kind::kFailure) {
            items += "<li>" + when + Html::Escape(JournalSummary::Of(entry)) + "</li>\n";
        } else if (entry.kind == Kind::kWrite && JournalSummary::Unsent(entry.payload) > 0) {
            for (const Json& line : Html::Field(entry.payload, "lines")) {
                if (Html::Field(line, "fate") == "sent") continue;
                items += "<li>" + when + JournalSummary::FateText(Html::Field(line, "fate")) +
                         " <code>" + Html::Text(Html::Field(line, "line")) + "</code></li>\n";
            }
        } else if (entry.kind == Kind::kReadBack &&
                   Html::Field(entry.payload, "result") != "confirmed") {
            items += "<li>" + when + "다시 읽어 확인: " + Html::Escape(JournalSummary::Of(entry)) +
                     "</li>\n";
        }
    }
    return "<h3>실패</h3>\n" + (items.empty() ? std::string("<p>없음</p>\n")
                                              : "<ul class=\"warn\">\n" + items + "</ul>\n");
}
