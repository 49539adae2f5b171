// The configuration page's whole refresh (refreshObject) after a Read All, on the
// shipped variable map, offscreen. Reported with the paced Read All's wire-time
// floor for the same map (what bench_link's bmWholeImageReadPaced approaches), so
// the share of a Read All the redraw adds is read directly off "of_read_all".

#include "config/frmconfig.h"
#include "core/prompter.h"
#include "core/transfer.h"
#include "link/wireframe.h"
#include "shell/sectioncolours.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>

namespace {

using namespace hvc;

struct PageBench {
    PageBench() : context(state, QStringLiteral(HVC_RES_DIR), QStringLiteral(HVC_RES_DIR)) {
        state.observers.setPrompter(&prompter);
        state.document.catalogue.loadCatalogue(QStringLiteral(HVC_RES_DIR "/ini/Ramlist.ini"),
                                               prompter);
        countPageVarNum(state);
        context.colours = schemeColours(0);
        page = std::make_unique<FrmConfig>(context);
        page->resize(1000, 560);
        page->show();
    }
    // What a Read All leaves in the records: every word the unit sent. Two images
    // take turns, so every shown value changes and its change handling runs.
    void readAll(int image) {
        for (int i = 1; i <= state.document.catalogue.varCount(); ++i) {
            UnitVariable& v = state.document.catalogue[i];
            const std::int32_t span = std::max<std::int32_t>(1, v.maxValue - v.minValue);
            v.takeUnitWord(v.minValue + (v.defaultValue - v.minValue + image * 7) % span);
        }
    }
    double readAllFloorSeconds() const {
        const int reads = countPageVars(state, readKeyAll(state));
        const int bytes = wire::frameSize(wire::Kind::Read) + wire::frameSize(wire::Kind::Value);
        return reads * bytes * wire::kBitsPerByte / 9600.0;
    }
    AppState state;
    SilentPrompter prompter;
    ShellContext context;
    std::unique_ptr<FrmConfig> page;
};

void bmRefreshAfterReadAll(benchmark::State& bs) {
    static PageBench bench;
    int image = 0;
    double total = 0;
    for (auto _ : bs) {
        bench.readAll(++image % 2);
        const auto start = std::chrono::steady_clock::now();
        bench.page->refreshObject();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        bs.SetIterationTime(took.count());
        total += took.count();
    }
    const double floor = bench.readAllFloorSeconds();
    bs.counters["read_all_floor_ms"] = floor * 1000.0;
    bs.counters["of_read_all"] = total / static_cast<double>(bs.iterations()) / floor;
}
BENCHMARK(bmRefreshAfterReadAll)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->UseManualTime();

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
