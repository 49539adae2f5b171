// One diagnostic pass against hvc-sim paced to 9600-baud 8N1: the seven error
// words read through the link procedures as one word list in row order, as the
// diagnostic page reads them, reported as measured time over the wire-time floor
// (the bytes of its exchanges at 10 bits a byte, nothing else). The argument is 1
// for block frames, 0 for one word per exchange.

#include "core/appstate.h"
#include "core/diagnosticrows.h"
#include "core/prompter.h"
#include "link/linkprocedures.h"
#include "link/wireframe.h"
#include "sim/simprocess.h"

#include <benchmark/benchmark.h>
#include <chrono>

namespace {

using namespace hvc;

const QString kRamlist = QStringLiteral(HVC_RES_DIR "/ini/Ramlist.ini");

void bmDiagnosticPassPaced(benchmark::State& bs) {
    SimProcess sim;
    const QString path =
        sim.start({QStringLiteral("--ramlist"), kRamlist, QStringLiteral("--baud-pacing"),
                   QStringLiteral("--scenario"), QStringLiteral("faults"), QStringLiteral("--seed"),
                   QStringLiteral("1")});
    ScriptedPrompter prompter;
    AppState state;
    if (path.isEmpty() || !state.document.catalogue.loadCatalogue(kRamlist, prompter)) {
        bs.SkipWithError(("hvc-sim: " + sim.errorString()).toStdString().c_str());
        return;
    }
    LinkProcedures link(PortTable(), prompter);
    link.ports().set(1, path);
    link.setPort(1);
    link.setBlockFrames(bs.range(0) != 0);
    if (!link.openLink()) {
        bs.SkipWithError("cannot open the link");
        return;
    }
    QList<const UnitVariable*> records;
    for (int row = 0; row < kDiagnosticBoundRows; ++row)
        records.append(state.document.catalogue.find(kDiagnosticRowVars[static_cast<size_t>(row)]));

    double measured = 0;
    const long bytes0 = link.wireBytes();
    for (auto _ : bs) {
        const auto t0 = std::chrono::steady_clock::now();
        QList<std::int32_t> words;
        if (!readRamWords(&link, records, words)) {
            bs.SkipWithError("a read of the pass failed");
            return;
        }
        benchmark::DoNotOptimize(words);
        measured += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    const double floor =
        static_cast<double>((link.wireBytes() - bytes0) * wire::kBitsPerByte) / 9600.0;
    bs.counters["ratio"] = measured / floor;
    bs.counters["exchanges_per_pass"] = link.exchanges() / static_cast<double>(bs.iterations());
    bs.counters["floor_ms"] = floor / static_cast<double>(bs.iterations()) * 1000.0;
    bs.counters["retries"] = link.retries();
}
BENCHMARK(bmDiagnosticPassPaced)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(50)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
