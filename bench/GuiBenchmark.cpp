// The GUI thread's cost of what the live monitor brings ten times a second, as
// CPU time alone (offscreen, no display): a line echoed into a full echo list,
// and one frame of a chart that follows the time. Then the time from opening
// "작업 기록" on a journal of a million entries to its first page shown.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QTableWidget>
#include <cstdlib>
#include <string>
#include <vector>

#include "form/EchoListBox.h"
#include "protocol/EchoList.h"
#include "toolbox/CHistoryWnd.h"
#include "toolbox/MonitorChart.h"

namespace {

// Lines differ as replies do, so that no size is known before its line comes.
std::string Reply(int i) {
    return "#0.MVW " + std::to_string(1500 + i % 997) + " " + std::to_string(i % 13) + " 3091 309";
}

void BM_EchoLine(benchmark::State& state) {
    EchoListBox box;
    box.resize(170, 95);
    box.show();
    EchoList list(box);
    int i = 0;
    for (; i < EchoList::kMaxLines; ++i) list.Add(Reply(i));
    for (auto _ : state) {
        list.Add(Reply(i++));
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_EchoLine);

// MVW at 100 ms, the two minutes shown already full: a speed stepping, a
// current and a DC link with noise, a constant.
void BM_MonitorFrame(benchmark::State& state) {
    MonitorChart chart(QStringLiteral("MVW"), {});
    chart.resize(530, 330);
    chart.show();
    int i = 0;
    auto addRow = [&] {
        std::vector<int32_t> values{i / 100 % 2 * 1000, i % 7 - 3, 3090 + i % 13, 330};
        chart.AddRow(i++ * 0.1, values);
    };
    for (; i < 1200; ++i) addRow();
    for (auto _ : state) {
        addRow();
        chart.Redraw();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_MonitorFrame);

// The journal veld_journal_bench builds (a million entries) and keeps.
void BM_HistoryWindowFirstPage(benchmark::State& state) {
    const char* chosen = std::getenv("VELD_BENCH_JOURNAL");
    std::string path = chosen ? chosen : "/tmp/veld-bench-journal.sqlite3";
    if (!QFile::exists(QString::fromStdString(path))) {
        state.SkipWithError("no big journal: run veld_journal_bench first");
        return;
    }
    for (auto _ : state) {
        CHistoryWnd window(path);
        QEventLoop answered;
        QObject::connect(&window, &CHistoryWnd::Answered, &answered, &QEventLoop::quit);
        window.show();
        answered.exec();
        if (window.Sessions()->rowCount() == 0) state.SkipWithError("the first page is empty");
    }
}
BENCHMARK(BM_HistoryWindowFirstPage)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
