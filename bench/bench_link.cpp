// The device link's speed against hvc-sim on a real pseudo-terminal. The argument
// of each benchmark is 1 for block frames (the default), 0 for one word per
// exchange (as against an older unit, or before block frames):
//  - whole-image read of the shipped map with the simulator paced to 9600-baud 8N1,
//    reported as measured time over the wire-time floor (the bytes of every
//    exchange at 10 bits a byte, nothing else) and over the one-word floor (102
//    exchanges of 11 bytes);
//  - Write All with its read-back, paced, over its floor;
//  - the same read over a line that damages one reply in twenty (unpaced), with the
//    requests sent again and the images that still failed;
//  - exchanges per second against the unpaced simulator: the software's own cost.

#include "core/appstate.h"
#include "core/prompter.h"
#include "core/transfer.h"
#include "core/writereview.h"
#include "link/devicelinkmng.h"
#include "link/linkprocedures.h"
#include "link/wireframe.h"
#include "sim/simprocess.h"

#include <QFile>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <unistd.h>

namespace {

using namespace hvc;

const QString kRamlist = QStringLiteral(HVC_RES_DIR "/ini/Ramlist.ini");
const int kReadExchangeBytes =
    wire::frameSize(wire::Kind::Read) + wire::frameSize(wire::Kind::Value);

double wireSeconds(long bytes) {
    return static_cast<double>(bytes * wire::kBitsPerByte) / 9600.0;
}

struct Rig {
    SimProcess sim;
    ScriptedPrompter prompter;
    AppState state;
    std::unique_ptr<LinkProcedures> link;

    bool start(const QStringList& simArgs, benchmark::State& bs) {
        const QString path =
            sim.start(simArgs + QStringList{QStringLiteral("--ramlist"), kRamlist});
        if (path.isEmpty() || !state.document.catalogue.loadCatalogue(kRamlist, prompter)) {
            bs.SkipWithError(("hvc-sim: " + sim.errorString()).toStdString().c_str());
            return false;
        }
        countPageVarNum(state);
        link = std::make_unique<LinkProcedures>(PortTable(), prompter);
        link->ports().set(1, path);
        link->setPort(1);
        link->setBlockFrames(bs.range(0) != 0);
        state.session.link = link.get();
        state.observers.setPrompter(&prompter);
        if (const Status opened = link->openLink(); !opened) {
            bs.SkipWithError(("cannot open the link: " + opened.detail()).toStdString().c_str());
            return false;
        }
        return true;
    }
};

void bmWholeImageReadPaced(benchmark::State& bs) {
    Rig rig;
    if (!rig.start({QStringLiteral("--baud-pacing")}, bs))
        return;
    double measured = 0;
    double floor = 0;
    const int words = countPageVars(rig.state, readKeyAll(rig.state));
    for (auto _ : bs) {
        const long bytes0 = rig.link->wireBytes();
        const auto t0 = std::chrono::steady_clock::now();
        const Status status = readImage(rig.state, readKeyAll(rig.state));
        const auto t1 = std::chrono::steady_clock::now();
        if (!status) {
            bs.SkipWithError(("ReadAll failed: " + status.detail()).toStdString().c_str());
            return;
        }
        measured += std::chrono::duration<double>(t1 - t0).count();
        floor += wireSeconds(rig.link->wireBytes() - bytes0);
    }
    const auto n = static_cast<double>(bs.iterations());
    bs.counters["ratio"] = measured / floor;
    bs.counters["vs_one_word_floor"] = measured / n / wireSeconds(words * kReadExchangeBytes);
    bs.counters["exchanges"] = rig.link->exchanges() / n;
    bs.counters["floor_ms"] = floor / n * 1000.0;
    // Requests sent again over all iterations: 0 on this clean line.
    bs.counters["retries"] = rig.link->retries();
}
BENCHMARK(bmWholeImageReadPaced)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Write All of the image read first, then the read-back of every word written.
void bmWriteAllVerifiedPaced(benchmark::State& bs) {
    Rig rig;
    if (!rig.start({QStringLiteral("--baud-pacing")}, bs))
        return;
    if (!readImage(rig.state, readKeyAll(rig.state))) {
        bs.SkipWithError("ReadAll failed");
        return;
    }
    double measured = 0;
    double floor = 0;
    for (auto _ : bs) {
        const long bytes0 = rig.link->wireBytes();
        ReviewedWrite out;
        const auto t0 = std::chrono::steady_clock::now();
        const Status status =
            writeReviewed(rig.state, writeKeyAll(rig.state), WriteChoice::wholeImage(), true, out);
        const auto t1 = std::chrono::steady_clock::now();
        if (!status || !out.mismatches.isEmpty()) {
            bs.SkipWithError(("Write All failed: " + status.detail()).toStdString().c_str());
            return;
        }
        measured += std::chrono::duration<double>(t1 - t0).count();
        floor += wireSeconds(rig.link->wireBytes() - bytes0);
    }
    const auto n = static_cast<double>(bs.iterations());
    bs.counters["ratio"] = measured / floor;
    bs.counters["floor_ms"] = floor / n * 1000.0;
    bs.counters["retries"] = rig.link->retries();
}
BENCHMARK(bmWriteAllVerifiedPaced)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// One damaged reply in twenty: what the retries cost and how many images still fail.
void bmWholeImageReadNoisy(benchmark::State& bs) {
    Rig rig;
    if (!rig.start({QStringLiteral("--corrupt"), QStringLiteral("0.05"), QStringLiteral("--seed"),
                    QStringLiteral("1")},
                   bs))
        return;
    long failed = 0;
    for (auto _ : bs)
        failed += !readImage(rig.state, readKeyAll(rig.state)).ok();
    const auto n = static_cast<double>(bs.iterations());
    bs.counters["retries_per_image"] = rig.link->retries() / n;
    bs.counters["failed_images"] = static_cast<double>(failed);
}
BENCHMARK(bmWholeImageReadNoisy)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

double ownCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// User and system time of another process, from /proc/PID/stat.
double cpuSecondsOf(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return static_cast<double>(fields[11].toLongLong() + fields[12].toLongLong()) /
           static_cast<double>(sysconf(_SC_CLK_TCK));
}

void bmExchangesUnpaced(benchmark::State& bs) {
    Rig rig;
    if (!rig.start({}, bs))
        return;
    const std::int32_t address = rig.state.document.catalogue.find(HvcId::HVC_I0_MAX)->address;
    const double hostCpu0 = ownCpuSeconds();
    const double simCpu0 = cpuSecondsOf(rig.sim.processId());
    for (auto _ : bs) {
        std::int32_t value = 0;
        if (!rig.link->readE2(address, value).ok()) {
            bs.SkipWithError("read failed");
            return;
        }
        benchmark::DoNotOptimize(value);
    }
    const auto n = static_cast<double>(bs.iterations());
    const double hostCpu = ownCpuSeconds() - hostCpu0;
    const double simCpu = cpuSecondsOf(rig.sim.processId()) - simCpu0;
    bs.counters["exchanges_per_s"] = benchmark::Counter(n, benchmark::Counter::kIsRate);
    // The software's own cost: CPU time of both ends per exchange, without the
    // pseudo-terminal's hand-offs and the waits for the scheduler.
    bs.counters["link_cpu_us"] = hostCpu / n * 1e6;
    bs.counters["sim_cpu_us"] = simCpu / n * 1e6;
    bs.counters["cpu_bound_exchanges_per_s"] = n / (hostCpu + simCpu);
}
BENCHMARK(bmExchangesUnpaced)->Arg(0)->MinTime(2.0)->UseRealTime();

} // namespace
