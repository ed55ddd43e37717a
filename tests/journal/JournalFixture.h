#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "journal/Journal.h"
#include "journal/JournalSession.h"
#include "support/ScopedEnv.h"

// A journal in a folder of the test's own, and entries to put in it.
class JournalFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Opens `path` (the fixture's journal by default), failing the test when it cannot.
    std::unique_ptr<Journal> OpenOrFail(const std::string& path = "");
    // A read of `station` on `port` with values 20 = `value` and 21 = 7.
    static JournalEntry ReadEntry(const JournalSession& session, int32_t station, int32_t value);
    // The entries' ids, oldest first; empty when the query failed.
    static std::vector<int64_t> Ids(Journal& journal, const JournalFilter& filter);
    // Runs `sql` on the journal with the sqlite3 shell, as someone editing it by hand.
    void EditByHand(const std::string& sql) const;

    std::filesystem::path dir;
    std::string path;
    ScopedEnv zone{"TZ", "UTC0"};
};
