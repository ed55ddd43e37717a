#include "journal/JournalFixture.h"

#include <unistd.h>

#include <cstdlib>

#include "journal/JournalRecord.h"

namespace fs = std::filesystem;

void JournalFixture::SetUp() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = fs::temp_directory_path() /
          ("veld-journal-" + std::to_string(::getpid()) + "-" + test->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    path = (dir / "data" / "journal.sqlite3").string();
}

void JournalFixture::TearDown() { fs::remove_all(dir); }

std::unique_ptr<Journal> JournalFixture::OpenOrFail(const std::string& at) {
    std::string error;
    std::unique_ptr<Journal> journal = Journal::Open(at.empty() ? path : at, error);
    EXPECT_TRUE(journal) << error;
    return journal;
}

JournalEntry JournalFixture::ReadEntry(const JournalSession& session, int32_t station,
                                       int32_t value) {
    ParamSet values;
    values.Set(20, value);
    values.Set(21, 7);
    return session.Entry(JournalRecord::Read(station, values, true));
}

std::vector<int64_t> JournalFixture::Ids(Journal& journal, const JournalFilter& filter) {
    std::vector<JournalEntry> entries;
    EXPECT_TRUE(journal.Entries(filter, entries)) << journal.Error();
    std::vector<int64_t> ids;
    for (const JournalEntry& entry : entries) ids.push_back(entry.id);
    return ids;
}

void JournalFixture::EditByHand(const std::string& sql) const {
    std::string command = "sqlite3 '" + path + "' \"" + sql + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}
