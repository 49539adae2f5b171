// One pass of the live monitor against hvc-sim paced to 9600-baud 8N1, reported
// as measured time over the wire-time floor of its exchanges (the bytes of every
// exchange at 10 bits a byte, nothing else), and as passes per second. The first
// argument is the number of configured sections: 4 gives 3 + 9 words, 1 gives
// 3 + 3; the second 1 for block frames (one list request a pass), 0 for one word
// per exchange.

#include "core/appstate.h"
#include "core/monitormodel.h"
#include "core/prompter.h"
#include "link/linkprocedures.h"
#include "link/wireframe.h"
#include "sim/simprocess.h"

#include <benchmark/benchmark.h>
#include <chrono>

namespace {

using namespace hvc;

const QString kRamlist = QStringLiteral(HVC_RES_DIR "/ini/Ramlist.ini");

void bmMonitorPassPaced(benchmark::State& bs) {
    SimProcess sim;
    ScriptedPrompter prompter;
    AppState state;
    const QString path =
        sim.start({QStringLiteral("--baud-pacing"), QStringLiteral("--ramlist"), kRamlist});
    if (path.isEmpty() || !state.document.catalogue.loadCatalogue(kRamlist, prompter)) {
        bs.SkipWithError(("hvc-sim: " + sim.errorString()).toStdString().c_str());
        return;
    }
    LinkProcedures procedures(PortTable(), prompter);
    procedures.ports().set(1, path);
    procedures.setPort(1);
    procedures.setBlockFrames(bs.range(1) != 0);
    state.session.link = &procedures;
    if (!procedures.openLink()) {
        bs.SkipWithError("cannot open the link");
        return;
    }
    state.document.catalogue.var(HvcId::HVC_NUM_PROP_REG)
        .takeUnitWord(static_cast<int>(bs.range(0)));
    state.session.setConnectState(ConnectState::Connected);
    MonitorModel model(state);
    model.activate();

    double measured = 0;
    double floor = 0;
    for (auto _ : bs) {
        const long bytes0 = procedures.wireBytes();
        const auto t0 = std::chrono::steady_clock::now();
        const Status status = model.readMonitorVar();
        const auto t1 = std::chrono::steady_clock::now();
        if (!status) {
            bs.SkipWithError(("pass failed: " + status.detail()).toStdString().c_str());
            return;
        }
        measured += std::chrono::duration<double>(t1 - t0).count();
        floor +=
            static_cast<double>((procedures.wireBytes() - bytes0) * wire::kBitsPerByte) / 9600.0;
    }
    bs.counters["ratio"] = measured / floor;
    bs.counters["passes_per_s"] = static_cast<double>(bs.iterations()) / measured;
    bs.counters["exchanges"] = procedures.exchanges() / static_cast<double>(bs.iterations());
    bs.counters["floor_ms"] = floor / static_cast<double>(bs.iterations()) * 1000.0;
    bs.counters["retries"] = procedures.retries();
}
BENCHMARK(bmMonitorPassPaced)
    ->Args({4, 1})
    ->Args({4, 0})
    ->Args({1, 1})
    ->Args({1, 0})
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
