// veld-para commission end to end: several drives on one line of veld-drive-sim,
// the wire lines they get, the report the run leaves.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <vector>

#include "ToolsFixture.h"
#include "params/ParamFile.h"
#include "support/Eventually.h"
#include "support/ScopedEnv.h"

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

class CommissionTest : public ToolsTest {
  protected:
    // The target: the drives' factory set with 20 and 21 at 999, in a file
    // whose name HTML would take for markup.
    std::string Target() {
        std::string path = (dir / "axis <1> & co.par").string();
        EXPECT_EQ(Para({"-q", "-i", "1", "read", "-o", path}).code, 0);
        ParamSet set;
        EXPECT_TRUE(ParamFile::Read(path, set));
        set.Set(20, 999);
        set.Set(21, 999);
        EXPECT_TRUE(ParamFile::Write(path, set));
        return path;
    }
    ParaRun Commission(const std::string& target, const std::string& ids,
                       std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"-q", "commission", target,   "--ids",
                                         ids,  "--report",   Reports()};
        args.insert(args.end(), extra.begin(), extra.end());
        return Para(args);
    }
    std::string Reports() const { return (dir / "reports").string(); }
    // The JSON document of the one report in the folder, and its HTML page.
    Json Report(std::string* html = nullptr) const { return ReportIn(Reports(), html); }
    static Json ReportIn(const std::string& folder, std::string* html = nullptr) {
        static const std::regex kName(R"(\d{8}-\d{6}-commission\.json)");
        for (const auto& entry : fs::directory_iterator(folder)) {
            std::string name = entry.path().filename().string();
            if (!std::regex_match(name, kName)) continue;
            if (html) *html = ReadBytes(fs::path(entry.path()).replace_extension(".html").string());
            return Json::parse(ReadBytes(entry.path().string()));
        }
        return nullptr;
    }
    std::vector<std::string> Results(const Json& report) const {
        std::vector<std::string> results;
        for (const Json& station : report["stations"]) results.push_back(station["result"]);
        return results;
    }
    // The lines the drives received since the first `skip`.
    std::vector<std::string> WireSince(size_t skip) const {
        std::vector<std::string> wire = WireTexts();
        return {wire.begin() + static_cast<long>(std::min(skip, wire.size())), wire.end()};
    }
};

TEST_F(CommissionTest, EachStationGetsOnlyItsDifferencesAndTheReportRecordsIt) {
    StartSim({"--ids", "1-3"});
    std::string target = Target();
    // Station 2 holds one of the two values already.
    ASSERT_EQ(Para({"-q", "-i", "2", "set", "20", "999"}).code, 0);
    size_t skip = WireTexts().size();
    // The report goes where the user's data are, without --report.
    fs::path data = dir / "data";
    ScopedEnv dataHome("XDG_DATA_HOME", data.c_str());
    ParaRun run = Para({"-q", "commission", target, "--ids", "1-3", "--json"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(WireSince(skip),
              (std::vector<std::string>{
                  "#1.PRA", "#1.FRD 0", "#1.PWR 20 999", "#1.PWR 21 999", "#1.COP",        "#1.PSV",
                  "#1.PRA", "#2.PRA",   "#2.FRD 0",      "#2.PWR 21 999", "#2.COP",        "#2.PSV",
                  "#2.PRA", "#3.PRA",   "#3.FRD 0",      "#3.PWR 20 999", "#3.PWR 21 999", "#3.COP",
                  "#3.PSV", "#3.PRA"}));

    std::string html;
    std::string reports = (data / "VELD_Host_Para" / "reports").string();
    Json report = ReportIn(reports, &html);
    ASSERT_FALSE(report.is_null());
    EXPECT_EQ(Json::parse(run.out), report);
    EXPECT_FALSE(report["user"].get<std::string>().empty());
    EXPECT_FALSE(report["host"].get<std::string>().empty());
    EXPECT_FALSE(report["start"].get<std::string>().empty());
    EXPECT_EQ(report["file"], fs::absolute(target).lexically_normal().string());
    EXPECT_EQ(report["sha256"].get<std::string>().size(), 64u);
    EXPECT_EQ(report["port"], port);
    EXPECT_EQ(report["line"], "115200,N,8,0");
    EXPECT_FALSE(report["end"].is_null());
    EXPECT_TRUE(report["stopped"].is_null());
    EXPECT_EQ(Results(report), (std::vector<std::string>{"verified", "verified", "verified"}));
    for (const Json& station : report["stations"]) {
        int id = station["station"];
        EXPECT_EQ(station["version"], "0105");
        EXPECT_EQ(station["before"]["20"], id == 2 ? 999 : 500);
        EXPECT_EQ(station["before"]["21"], 500);
        EXPECT_EQ(station["after"]["20"], 999);
        EXPECT_EQ(station["after"]["21"], 999);
        EXPECT_EQ(station["sent"].back(), "#" + std::to_string(id) + ".PSV");
        // The backup beside the report holds the drive's set as it was read.
        ParamSet backup;
        ASSERT_TRUE(ParamFile::Read(reports + "/" + station["backup"].get<std::string>(), backup));
        EXPECT_EQ(backup.Size(), 110u);
        EXPECT_EQ(backup.Value(20), station["before"]["20"]);
    }
    // Every text escaped: the file name is no markup.
    EXPECT_NE(html.find("axis &lt;1&gt; &amp; co.par"), std::string::npos);
    EXPECT_EQ(html.find("<1>"), std::string::npos);
    EXPECT_NE(html.find("국번 3: 확인됨 (verified)"), std::string::npos);
}

// One station's failure does not stop the others; compare-only sends nothing.
TEST_F(CommissionTest, SilentRefusingAndComparedStationsAreEachClassified) {
    struct Case {
        std::vector<std::string> sim;
        std::string ids;
        std::vector<std::string> extra;
        int code;
        std::vector<std::string> results;
        Json mismatches;  // of the last station
    };
    const Json kRefused21 = Json::parse(R"([{"number":21,"target":999,"sent":999,"kept":500}])");
    const Json kBoth = Json::parse(R"([{"number":20,"target":999,"sent":null,"kept":500},)"
                                   R"({"number":21,"target":999,"sent":null,"kept":500}])");
    const Case kCases[] = {
        {{"--ids", "1,2,3", "--silent", "2", "--read-only", "3:21"},
         "1-3",
         {},
         3,
         {"verified", "no reply", "mismatch"},
         kRefused21},
        {{"--ids", "1,3", "--read-only", "3:21"},
         "1,3",
         {},
         5,
         {"verified", "mismatch"},
         kRefused21},
        {{"--ids", "1,2"}, "1-2", {"--compare-only"}, 5, {"mismatch", "mismatch"}, kBoth},
    };
    for (const Case& c : kCases) {
        sim.reset();
        fs::remove_all(Reports());
        StartSim(c.sim);
        std::string target = Target();
        size_t skip = WireTexts().size();
        ParaRun run = Commission(target, c.ids, c.extra);
        EXPECT_EQ(run.code, c.code) << run.err;
        Json report = Report();
        ASSERT_FALSE(report.is_null()) << run.err;
        EXPECT_EQ(Results(report), c.results) << run.err;
        Json mismatches = report["stations"].back()["mismatches"];
        for (Json& m : mismatches) m.erase("name");
        EXPECT_EQ(mismatches, c.mismatches);
        bool compareOnly = !c.extra.empty();
        std::vector<std::string> wire = WireSince(skip);
        bool anyWrite = std::any_of(wire.begin(), wire.end(), [](const std::string& line) {
            return line.find(".PWR") != std::string::npos;
        });
        EXPECT_EQ(anyWrite, !compareOnly);
        EXPECT_EQ(report["mode"], compareOnly ? "compare only" : "send");
    }
}

TEST_F(CommissionTest, ALostPortEndsTheRunAndTheRestAreNotReached) {
    // Station 2 answers nothing: its read waits while the drive goes away.
    StartSim({"--ids", "1,2,3", "--silent", "2"});
    std::string target = Target();
    ToolProcess para({VELD_PARA_PATH, "-q", "-p", port, "commission", target, "--ids", "1-3",
                      "--report", Reports()},
                     (dir / "lost").string());
    ASSERT_TRUE(Eventually([&] {
        std::vector<std::string> wire = WireTexts();
        return std::find(wire.begin(), wire.end(), "#2.PRA") != wire.end();
    }));
    sim.reset();
    EXPECT_EQ(para.Wait(kRunLimit), 3) << para.Stderr();
    Json report = Report();
    EXPECT_EQ(report["stopped"], "port lost");
    EXPECT_EQ(Results(report), (std::vector<std::string>{"verified", "no reply", "not reached"}));
    EXPECT_NE(para.Stderr().find("the port was lost"), std::string::npos);
}

TEST_F(CommissionTest, WhatCannotBeDoneIsRefusedBeforeAnythingIsSent) {
    StartSim({"--ids", "1"});
    std::string target = Target();
    std::string partial = (dir / "partial.par").string();
    ASSERT_TRUE(ParamFile::Write(partial, ParamSet()));
    std::string locked = (dir / "locked").string();
    fs::create_directories(locked);
    ::chmod(locked.c_str(), 0555);
    struct Case {
        std::vector<std::string> args;
        int code;
    };
    std::vector<Case> cases = {
        {{target, "--ids", "1-40"}, 2},
        {{target, "--ids", "3-1"}, 2},
        {{target, "--ids", "1,1"}, 2},
        {{target}, 2},
        {{"--ids", "1"}, 2},
        {{target, "--ids", "1", "--report"}, 2},
        {{partial, "--ids", "1"}, 4},
        {{(dir / "none.par").string(), "--ids", "1"}, 4},
        // A report folder that cannot be made: a file stands in its way.
        {{target, "--ids", "1", "--report", target + "/reports"}, 4},
    };
    // Root writes into a folder it may not write to; a user does not.
    if (::geteuid() != 0) cases.push_back({{target, "--ids", "1", "--report", locked}, 4});
    size_t skip = WireTexts().size();
    for (const Case& c : cases) {
        std::vector<std::string> args = {"-q", "commission"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        ParaRun run = Para(args);
        EXPECT_EQ(run.code, c.code) << c.args.back() << "\n" << run.err;
        if (c.code == 4) {
            EXPECT_NE(run.err.find("nothing was sent"), std::string::npos) << run.err;
        }
    }
    EXPECT_EQ(WireSince(skip), std::vector<std::string>{});
    ::chmod(locked.c_str(), 0755);
}

}  // namespace
