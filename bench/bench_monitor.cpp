// One pass of the live monitor against hvc-sim paced to 9600-baud 8N1, reported
// as measured time over the wire-time floor of its 3 + n read exchanges (the
// bytes of every exchange at 10 bits a byte, nothing else). The argument is the
// number of configured sections: 4 gives n = 9 displays, 1 gives n = 3.

#include "core/appstate.h"
#include "core/monitormodel.h"
#include "core/prompter.h"
#include "link/linkprocedures.h"
#include "link/wireframe.h"
#include "sim/simprocess.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

using namespace hvc;

const QString kRamlist = QStringLiteral(HVC_RES_DIR "/ini/Ramlist.ini");
const int kReadExchangeBytes =
    wire::frameSize(wire::Kind::Read) + wire::frameSize(wire::Kind::Value);

// The link procedures, counting the reads that reach the unit.
class CountingLink : public UnitLink {
public:
    explicit CountingLink(LinkProcedures& link) : m_link(link) {}
    Status openLink() override { return m_link.openLink(); }
    void closeLink() override { m_link.closeLink(); }
    bool isLinkOpen() const override { return m_link.isLinkOpen(); }
    Status readE2(std::int32_t a, std::int32_t& v) override {
        ++reads;
        return m_link.readE2(a, v);
    }
    Status readRam(std::int32_t a, std::int32_t& v) override {
        ++reads;
        return m_link.readRam(a, v);
    }
    Status writeE2(std::int32_t a, std::int32_t v) override { return m_link.writeE2(a, v); }
    Status writeRam(std::int32_t a, std::int32_t v) override { return m_link.writeRam(a, v); }
    Status sendCommand(std::int32_t c, const QString& t) override {
        return m_link.sendCommand(c, t);
    }
    long reads = 0;

private:
    LinkProcedures& m_link;
};

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
    CountingLink link(procedures);
    state.session.link = &link;
    if (!link.openLink()) {
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
        link.reads = 0;
        const auto t0 = std::chrono::steady_clock::now();
        const Status status = model.readMonitorVar();
        const auto t1 = std::chrono::steady_clock::now();
        if (!status) {
            bs.SkipWithError(("pass failed: " + status.detail()).toStdString().c_str());
            return;
        }
        measured += std::chrono::duration<double>(t1 - t0).count();
        floor += static_cast<double>(link.reads * kReadExchangeBytes * wire::kBitsPerByte) / 9600.0;
    }
    bs.counters["ratio"] = measured / floor;
    bs.counters["exchanges"] = 3 + model.polledCount();
    bs.counters["floor_ms"] = floor / static_cast<double>(bs.iterations()) * 1000.0;
    bs.counters["retries"] = procedures.retries();
}
BENCHMARK(bmMonitorPassPaced)
    ->Arg(4)
    ->Arg(1)
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
