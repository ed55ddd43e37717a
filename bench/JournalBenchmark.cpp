// Figures of the journal: the queries of `history --last 20` and of the
// session list's first page in a journal of a million entries, opening it,
// and what a complete read costs on disk. The big journal is built once in
// $VELD_BENCH_JOURNAL (default /tmp/veld-bench-journal.sqlite3) and kept.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "journal/Journal.h"
#include "journal/JournalRecord.h"
#include "journal/JournalSession.h"
#include "params/ParamTable.h"

namespace {

namespace fs = std::filesystem;

constexpr int64_t kEntries = 1000000;
constexpr int kSessionLength = 20;  // entries a connection
constexpr size_t kBatch = 10000;    // entries a transaction while it is built

const char* const kPorts[] = {"COM15", "/dev/ttyUSB0", "/dev/ttyUSB1", "tcp://bench:4001"};

std::string BigPath() {
    const char* chosen = std::getenv("VELD_BENCH_JOURNAL");
    return chosen ? chosen : "/tmp/veld-bench-journal.sqlite3";
}

// The 29 listed parameters when `count` is theirs, else the first `count`.
ParamSet Values(size_t count, int32_t seed) {
    std::vector<int32_t> numbers = ParamTable::Instance().ListedNumbers();
    if (count != numbers.size()) {
        numbers.resize(count);
        for (size_t i = 0; i < count; ++i) numbers[i] = static_cast<int32_t>(i);
    }
    ParamSet values;
    for (int32_t n : numbers) values.Set(n, seed * 7 + n);
    return values;
}

// A session's entries: connect, reads, a write of three values and its read-back.
std::vector<JournalEntry> SessionEntries(int64_t index) {
    JournalSession session(JournalOrigin::Current("veld-para"), kPorts[index % 4]);
    int32_t station = static_cast<int32_t>(index % 8);
    std::vector<JournalEntry> entries;
    entries.push_back(session.Entry(
        JournalRecord::Other(JournalEntry::Kind::kConnect, std::nullopt, {{"baud", 115200}})));
    ParamSet read = Values(29, static_cast<int32_t>(index));
    while (entries.size() < kSessionLength - 2) {
        entries.push_back(session.Entry(JournalRecord::Read(station, read, true)));
    }
    ParamSet sent = Values(3, static_cast<int32_t>(index + 1));
    entries.push_back(session.Entry(JournalRecord::Write(station, sent, read, {}, true)));
    entries.push_back(
        session.Entry(JournalRecord::Other(JournalEntry::Kind::kDisconnect, std::nullopt, {})));
    return entries;
}

std::unique_ptr<Journal> OpenBig(benchmark::State& state) {
    std::string error;
    std::unique_ptr<Journal> journal = Journal::Open(BigPath(), error);
    if (!journal) {
        state.SkipWithError(error.c_str());
        return nullptr;
    }
    JournalFilter all;
    all.last = 1;
    std::vector<JournalEntry> last;
    journal->Entries(all, last);
    int64_t count = last.empty() ? 0 : last.front().id;
    for (int64_t session = count / kSessionLength; count < kEntries;) {
        std::vector<JournalEntry> batch;
        while (batch.size() < kBatch) {
            for (JournalEntry& entry : SessionEntries(session++)) batch.push_back(std::move(entry));
        }
        bool appended = false;
        if (!journal->AppendOnce("", batch, appended)) {
            state.SkipWithError(journal->Error().c_str());
            return nullptr;
        }
        count += static_cast<int64_t>(batch.size());
    }
    return journal;
}

void BM_OpenMillionEntryJournal(benchmark::State& state) {
    if (!OpenBig(state)) return;
    for (auto _ : state) {
        std::string error;
        benchmark::DoNotOptimize(Journal::Open(BigPath(), error));
    }
}
BENCHMARK(BM_OpenMillionEntryJournal)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LastTwentyOfAMillion(benchmark::State& state) {
    std::unique_ptr<Journal> journal = OpenBig(state);
    if (!journal) return;
    JournalFilter filter;
    filter.last = 20;
    if (state.range(0) == 1) filter.port = "COM15";
    if (state.range(0) == 2) filter.station = 3;
    std::vector<JournalEntry> entries;
    for (auto _ : state) journal->Entries(filter, entries);
    state.counters["entries"] = static_cast<double>(entries.size());
}
// 0: all, 1: of one port, 2: of one station.
BENCHMARK(BM_LastTwentyOfAMillion)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_SessionListFirstPage(benchmark::State& state) {
    std::unique_ptr<Journal> journal = OpenBig(state);
    if (!journal) return;
    JournalFilter filter;
    if (state.range(0) == 1) filter.port = "COM15";
    if (state.range(0) == 2) filter.station = 3;
    std::vector<Journal::SessionInfo> sessions;
    for (auto _ : state) journal->Sessions(filter, 50, 0, sessions);
    state.counters["sessions"] = static_cast<double>(sessions.size());
}
BENCHMARK(BM_SessionListFirstPage)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The journal's growth per complete read, each committed on its own as a
// session records it, once the log is folded into the file (it is at the
// last close).
void BM_CompleteReadCost(benchmark::State& state) {
    fs::path path = fs::temp_directory_path() / "veld-bench-read-cost.sqlite3";
    constexpr int kReads = 2000;
    double bytesPerRead = 0;
    for (auto _ : state) {
        fs::remove(path);
        std::string error;
        std::unique_ptr<Journal> journal = Journal::Open(path.string(), error);
        uintmax_t empty = fs::file_size(path);
        JournalSession session(JournalOrigin::Current("VELD_Host_Para"), "/dev/ttyUSB0");
        for (int i = 0; i < kReads; ++i) {
            JournalEntry entry = session.Entry(
                JournalRecord::Read(0, Values(static_cast<size_t>(state.range(0)), i), true));
            journal->Append(entry);
        }
        journal.reset();
        bytesPerRead = static_cast<double>(fs::file_size(path) - empty) / kReads;
    }
    state.counters["bytes_per_read"] = bytesPerRead;
    fs::remove(path);
}
// The 29 listed values, and all 110.
BENCHMARK(BM_CompleteReadCost)->Arg(29)->Arg(110)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
