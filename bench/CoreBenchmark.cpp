// Figures of the receive path: latency from the wire to the table, dispatcher
// throughput, and how often the idle threads wake up.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "params/ParamTable.h"
#include "params/RefreshFlag.h"
#include "protocol/ResponseDispatcher.h"
#include "serial/CTtyPort.h"
#include "session/DriveSession.h"
#include "support/PtyPair.h"
#include "support/ThreadStats.h"

namespace {

class SilentNotifier : public Notifier {
  public:
    void Notify(const std::string&, const std::string&) override {}
};

class NoEcho : public LineListView {
  public:
    void AppendLine(const std::string&) override {}
    void DeleteFirstLine() override {}
    void ShowLine(int) override {}
};

// A drive on a pseudo-terminal and the tool's session with it: the port open
// and the dispatcher running.
struct LiveLink {
    explicit LiveLink(uint32_t readInterval = 5) {
        session.SetReadInterval(readInterval);
        session.OpenFromText(DriveSession::PortText(pty.SlavePath(), "115200"));
        session.StartDispatcher();
    }

    PtyPair pty;
    SilentNotifier notifier;
    ParamTable table;
    RefreshFlag refresh;
    NoEcho echo;
    DriveSession session{table, refresh, notifier, notifier, echo};
};

// A typical reply line: 16 number/value pairs.
std::string PraLine(int first, int value) {
    char field[16];
    std::string line = "#0.PRA";
    for (int n = first; n < first + 16; ++n) {
        std::snprintf(field, sizeof field, " %X %X", n, value & 0xFFFF);
        line += field;
    }
    return line + "\r";
}

double Percentile(std::vector<double> samples, double p) {
    std::sort(samples.begin(), samples.end());
    return samples[static_cast<size_t>(p * static_cast<double>(samples.size() - 1))];
}

// Argument: the read interval in ms (the form uses 5; a read ends that long after the last byte).
void BM_PraLineToTable(benchmark::State& state) {
    LiveLink link(static_cast<uint32_t>(state.range(0)));
    std::vector<double> micros;
    int value = 0;
    for (auto _ : state) {
        ++value;
        std::string line = PraLine(0, value);
        int expected = static_cast<int16_t>(value & 0xFFFF);
        auto start = std::chrono::steady_clock::now();
        link.pty.Write(line);
        while (link.table.GetParamValue(15) != expected) {
        }
        auto elapsed = std::chrono::steady_clock::now() - start;
        double seconds = std::chrono::duration<double>(elapsed).count();
        state.SetIterationTime(seconds);
        micros.push_back(seconds * 1e6);
    }
    state.counters["median_us"] = Percentile(micros, 0.5);
    state.counters["p99_us"] = Percentile(micros, 0.99);
}
BENCHMARK(BM_PraLineToTable)
    ->Arg(5)
    ->Arg(0)
    ->UseManualTime()
    ->Iterations(2000)
    ->Unit(benchmark::kMicrosecond);

void BM_DispatchPraLine(benchmark::State& state) {
    SilentNotifier notifier;
    CTtyPort port(notifier);
    ParamTable table;
    RefreshFlag refresh;
    ResponseDispatcher dispatcher(port, table, refresh, notifier);
    std::string line = PraLine(16, 1234);
    for (auto _ : state) {
        dispatcher.DispatchLine(line.data(), line.size() - 1);
        benchmark::DoNotOptimize(table.GetParamValue(20));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DispatchPraLine);

// Lines written into the terminal, through the reader, ring and dispatcher.
void BM_PraLinesThroughThePort(benchmark::State& state) {
    LiveLink link;
    constexpr int kBurst = 50;  // well inside the 99 unread lines the ring holds
    std::string burst;
    for (int i = 0; i < kBurst; ++i) burst += PraLine(i, i);
    int32_t expectedRead = 0;
    for (auto _ : state) {
        link.pty.Write(burst);
        expectedRead = (expectedRead + kBurst) % RxLineRing::kSlots;
        while (link.session.Port().Ring().ReadIndex() != expectedRead) {
        }
    }
    state.SetItemsProcessed(state.iterations() * kBurst);
}
BENCHMARK(BM_PraLinesThroughThePort)->Unit(benchmark::kMillisecond);

// From the drive's end going away to the port having let go of the device.
void BM_DeviceLossToRelease(benchmark::State& state) {
    SilentNotifier notifier;
    CTtyPort port(notifier);
    for (auto _ : state) {
        auto pty = std::make_unique<PtyPair>();
        port.Open(pty->SlavePath(), 115200, 0, 8, 0);
        auto start = std::chrono::steady_clock::now();
        pty.reset();
        while (port.IsReaderRegistered()) {
        }
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(BM_DeviceLossToRelease)->UseManualTime()->Iterations(200)->Unit(benchmark::kMicrosecond);

void BM_IdleWakeups(benchmark::State& state) {
    LiveLink link;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    long reader = 0, dispatch = 0;
    double seconds = 0;
    for (auto _ : state) {
        long readerBefore = ThreadStats::ContextSwitches("veld-reader");
        long dispatchBefore = ThreadStats::ContextSwitches("veld-dispatch");
        std::this_thread::sleep_for(std::chrono::seconds(2));
        reader += ThreadStats::ContextSwitches("veld-reader") - readerBefore;
        dispatch += ThreadStats::ContextSwitches("veld-dispatch") - dispatchBefore;
        seconds += 2;
    }
    state.counters["reader_wakeups_per_s"] = static_cast<double>(reader) / seconds;
    state.counters["dispatch_wakeups_per_s"] = static_cast<double>(dispatch) / seconds;
}
BENCHMARK(BM_IdleWakeups)->Iterations(3)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
