// The GUI thread's cost of what the live monitor brings ten times a second, as
// CPU time alone (offscreen, no display): a line echoed into a full echo list,
// and one frame of a chart that follows the time.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <string>
#include <vector>

#include "form/EchoListBox.h"
#include "protocol/EchoList.h"
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

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
