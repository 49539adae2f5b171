// The device link's speed against hvc-sim on a real pseudo-terminal:
//  - whole-image read of the shipped map with the simulator paced to 9600-baud 8N1,
//    reported as measured time over the wire-time floor (the bytes of every
//    exchange at 10 bits a byte, nothing else);
//  - the same read over a line that damages one reply in twenty (unpaced), with the
//    requests sent again and the images that still failed;
//  - exchanges per second against the unpaced simulator: the software's own cost.

#include "core/appstate.h"
#include "core/prompter.h"
#include "core/transfer.h"
#include "link/devicelinkmng.h"
#include "link/linkprocedures.h"
#include "link/wireframe.h"
#include "sim/simprocess.h"

#include <QCoreApplication>
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
const int kWriteExchangeBytes =
    wire::frameSize(wire::Kind::Write) + wire::frameSize(wire::Kind::WriteAck);

// The link procedures' word reads and writes (one exchange each) over a device
// link the benchmark can ask for its retries; counts the exchanges a transfer
// makes, so the floor is computed from what was sent.
class MeteredLink : public UnitLink {
public:
    explicit MeteredLink(const QString& device) {
        PortTable ports;
        ports.set(1, device);
        m_link = std::make_unique<DeviceLinkMng>(ports);
    }
    Status openLink() override {
        return m_link->open(connectionString(1)) ? Status()
                                                 : Status::linkFailure(m_link->errorString());
    }
    void closeLink() override {}
    bool isLinkOpen() const override { return m_link->isOpen(); }
    Status readE2(std::int32_t a, std::int32_t& v) override {
        ++reads;
        const auto word = m_link->readWord(a / 256, a & 255);
        if (!word)
            return Status::linkFailure(m_link->errorString());
        v = reduceToWord(*word);
        return {};
    }
    Status readRam(std::int32_t a, std::int32_t& v) override { return readE2(a, v); }
    Status writeE2(std::int32_t a, std::int32_t v) override {
        ++writes;
        return m_link->writeWord(a / 256, a & 255, reduceToWord(v))
                   ? Status()
                   : Status::linkFailure(m_link->errorString());
    }
    Status writeRam(std::int32_t a, std::int32_t v) override { return writeE2(a, v); }
    Status sendCommand(std::int32_t c, const QString& t) override {
        return m_link->sendCommand(c, t) ? Status() : Status::linkFailure(m_link->errorString());
    }
    DeviceLinkMng& device() { return *m_link; }
    long reads = 0;
    long writes = 0;

private:
    std::unique_ptr<DeviceLinkMng> m_link;
};

struct Rig {
    SimProcess sim;
    ScriptedPrompter prompter;
    AppState state;
    std::unique_ptr<MeteredLink> link;

    bool start(const QStringList& simArgs, benchmark::State& bs) {
        const QString path =
            sim.start(simArgs + QStringList{QStringLiteral("--ramlist"), kRamlist});
        if (path.isEmpty() || !state.document.catalogue.loadCatalogue(kRamlist, prompter)) {
            bs.SkipWithError(("hvc-sim: " + sim.errorString()).toStdString().c_str());
            return false;
        }
        countPageVarNum(state);
        link = std::make_unique<MeteredLink>(path);
        state.session.link = link.get();
        state.observers.setPrompter(&prompter);
        if (!link->openLink()) {
            bs.SkipWithError(
                ("cannot open the link: " + link->device().errorString()).toStdString().c_str());
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
    long exchanges = 0;
    for (auto _ : bs) {
        rig.link->reads = 0;
        const auto t0 = std::chrono::steady_clock::now();
        const Status status = readImage(rig.state, readKeyAll(rig.state));
        const auto t1 = std::chrono::steady_clock::now();
        if (!status) {
            bs.SkipWithError(
                ("ReadAll failed: " + rig.link->device().errorString()).toStdString().c_str());
            return;
        }
        measured += std::chrono::duration<double>(t1 - t0).count();
        floor += rig.link->reads * kReadExchangeBytes * wire::kBitsPerByte / 9600.0;
        exchanges = rig.link->reads;
    }
    bs.counters["ratio"] = measured / floor;
    bs.counters["exchanges"] = static_cast<double>(exchanges);
    bs.counters["floor_ms"] = floor / static_cast<double>(bs.iterations()) * 1000.0;
    bs.counters["bytes_per_read"] = kReadExchangeBytes;
    bs.counters["bytes_per_write"] = kWriteExchangeBytes;
    // Requests sent again over all iterations: 0 on this clean line.
    bs.counters["retries"] = rig.link->device().retries();
}
BENCHMARK(bmWholeImageReadPaced)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

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
    bs.counters["retries_per_image"] = rig.link->device().retries() / n;
    bs.counters["failed_images"] = static_cast<double>(failed);
}
BENCHMARK(bmWholeImageReadNoisy)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();

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
        if (!rig.link->readE2(address, value)) {
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
BENCHMARK(bmExchangesUnpaced)->MinTime(2.0)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
