// The printable reports in a real browser: each is printed to PDF on A4 by
// headless Chromium, and the PDF's words (pdftotext) must all be there and
// all lie within the page.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "ToolProcess.h"
#include "journal/ServiceReportHtml.h"
#include "session/CommissionHtml.h"

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

// A path and a line with nowhere to break: they must wrap, not run off the page.
const std::string kLongPath =
    "/home/technician/plants/line-07/cabinet-3/drives/" + std::string(120, 'p') + "/setup.par";
const std::string kLongLine = "#3.PWR 20 " + std::string(150, '9');
const std::string kLongPort = "tcp://" + std::string(70, 'g') + ".plant.example:4001";

struct Word {
    double xMin, yMin, xMax, yMax;
    std::string text;
};

struct Printed {
    double width = 0;
    double height = 0;
    int pages = 0;
    std::vector<Word> words;
    std::string fonts;  // as pdffonts lists them

    // Every word joined without spaces: a wrapped text is found whole.
    std::string Joined() const {
        std::string text;
        for (const Word& word : words) text += word.text;
        return text;
    }
};

class ReportPrintTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "veld-print-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // The page printed by Chromium, as pdftotext reads its words and their boxes.
    Printed Print(const std::string& html, const std::string& name) {
        fs::path page = m_dir / (name + ".html");
        fs::path pdf = m_dir / (name + ".pdf");
        WriteBytes(page, html);
        ToolProcess chromium(
            {CHROMIUM_PATH, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--user-data-dir=" + (m_dir / ("profile-" + name)).string(), "--no-pdf-header-footer",
             "--print-to-pdf=" + pdf.string(), "file://" + page.string()},
            (m_dir / ("chromium-" + name)).string());
        EXPECT_EQ(chromium.Wait(std::chrono::seconds(90)), 0) << chromium.Stderr();
        fs::path words = m_dir / (name + ".words.html");
        ToolProcess text({PDFTOTEXT_PATH, "-bbox", pdf.string(), words.string()},
                         (m_dir / ("pdftotext-" + name)).string());
        EXPECT_EQ(text.Wait(std::chrono::seconds(30)), 0) << text.Stderr();
        Printed printed = Parse(ReadBytes(words));
        ToolProcess fonts({PDFFONTS_PATH, pdf.string()}, (m_dir / ("pdffonts-" + name)).string());
        EXPECT_EQ(fonts.Wait(std::chrono::seconds(30)), 0) << fonts.Stderr();
        printed.fonts = fonts.Stdout();
        return printed;
    }

    static Printed Parse(const std::string& bbox) {
        Printed printed;
        static const std::regex kPage(R"re(<page width="([0-9.]+)" height="([0-9.]+)")re");
        static const std::regex kWord(
            R"re(<word xMin="([0-9.-]+)" yMin="([0-9.-]+)" xMax="([0-9.-]+)" yMax="([0-9.-]+)">([^<]*)</word>)re");
        for (std::sregex_iterator it(bbox.begin(), bbox.end(), kPage), end; it != end; ++it) {
            printed.width = std::stod((*it)[1]);
            printed.height = std::stod((*it)[2]);
            ++printed.pages;
        }
        for (std::sregex_iterator it(bbox.begin(), bbox.end(), kWord), end; it != end; ++it) {
            printed.words.push_back({std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]),
                                     std::stod((*it)[4]), (*it)[5]});
        }
        return printed;
    }

    // A4, Korean drawn in a Korean font, every word inside the page, and each
    // of `texts` whole in the text.
    static void ExpectWholeOnA4(const Printed& printed, const std::vector<std::string>& texts) {
        ASSERT_GT(printed.pages, 0);
        EXPECT_NEAR(printed.width, 595.3, 1.0);
        EXPECT_NEAR(printed.height, 841.9, 1.0);
        EXPECT_NE(printed.fonts.find("Nanum"), std::string::npos) << printed.fonts;
        for (const Word& word : printed.words) {
            EXPECT_GE(word.xMin, 0) << word.text;
            EXPECT_LE(word.xMax, printed.width) << word.text;
        }
        std::string joined = printed.Joined();
        for (const std::string& text : texts) {
            std::string compact;
            for (char c : text) {
                if (c != ' ') compact += c;
            }
            EXPECT_NE(joined.find(compact), std::string::npos) << text;
        }
    }

    fs::path m_dir;
};

JournalEntry Entry(int64_t id, JournalEntry::Kind kind, int32_t station, Json payload) {
    JournalEntry entry;
    entry.id = id;
    entry.time = "2026-12-09T08:0" + std::to_string(id % 10) + ":00.000Z";
    entry.kind = kind;
    entry.station = station;
    entry.payload = std::move(payload);
    return entry;
}

ServiceReportHtml::Session Session(int64_t id, const std::string& port, int32_t station) {
    using Kind = JournalEntry::Kind;
    ServiceReportHtml::Session session;
    session.info = {id,
                    "2026-12-09T08:00:00.000Z",
                    "2026-12-09T08:09:00.000Z",
                    "VELD_Host_Para",
                    "1.0.0.1",
                    "kim",
                    "bench-pc",
                    port,
                    {station},
                    4};
    session.entries = {
        Entry(1, Kind::kFile, station, {{"path", kLongPath}, {"sha256", std::string(64, 'a')}}),
        Entry(2, Kind::kWrite, station,
              {{"parameters", {{{"number", 20}, {"before", 500}, {"sent", 300}}}},
               {"lines", {{{"line", kLongLine}, {"fate", "not sent"}}}},
               {"saved", false}}),
        Entry(3, Kind::kReadBack, station,
              {{"result", "mismatch"},
               {"parameters", {{{"number", 20}, {"sent", 300}, {"drive", 500}}}}}),
        Entry(4, Kind::kFailure, station, {{"what", "port lost"}}),
    };
    return session;
}

TEST_F(ReportPrintTest, ServiceReportPrintsEverySessionWholeOnA4) {
    std::vector<ServiceReportHtml::Session> sessions = {Session(1, "/dev/ttyUSB0", 3),
                                                        Session(2, kLongPort, 17)};
    Printed printed = Print(ServiceReportHtml::Page(sessions), "service");
    ExpectWholeOnA4(printed, {"서비스 보고서", "/dev/ttyUSB0", kLongPort, "가속시간", "보내지 않음",
                              kLongPath, kLongLine, "포트 연결이 끊어짐"});
    EXPECT_GE(printed.pages, 2);  // a page for each session
}

TEST_F(ReportPrintTest, CommissionReportPrintsEveryStationWholeOnA4) {
    Json stations = Json::array();
    for (int station : {1, 2, 35}) {
        stations.push_back({{"station", station},
                            {"result", "verified"},
                            {"version", "V1.23"},
                            {"backup", kLongPath},
                            {"before", {{"20", 500}}},
                            {"sent", {kLongLine}},
                            {"unsent", Json::array()},
                            {"unsaved", false},
                            {"after", {{"20", 300}}},
                            {"mismatches", Json::array()},
                            {"missing", Json::array()}});
    }
    Json report = {{"file", kLongPath},       {"sha256", std::string(64, 'b')},
                   {"mode", "send"},          {"port", "/dev/ttyUSB0"},
                   {"line", "9600 8N1"},      {"user", "kim"},
                   {"host", "bench-pc"},      {"start", "2026-12-09 17:00:00"},
                   {"end", nullptr},          {"stopped", nullptr},
                   {"target", {{"20", 300}}}, {"stations", stations}};
    Printed printed = Print(CommissionHtml::Page(report), "commission");
    ExpectWholeOnA4(printed,
                    {"일괄 설정 보고서", "국번 1", "국번 2", "국번 35", kLongPath, kLongLine});
}

}  // namespace
