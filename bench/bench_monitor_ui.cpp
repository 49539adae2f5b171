// How responsive the program stays while the monitor polls: the real main window
// (offscreen) connected to hvc-sim paced to 9600 baud, the Monitor tab shown with
// its own timer running, and a 1 ms probe timer whose longest gap between two
// firings is the longest stretch in which the event loop handled nothing. Also
// reports the passes made and their mean time.

#include "app/programpages.h"
#include "app/simdemounit.h"
#include "core/monitormodel.h"
#include "core/prompter.h"
#include "monitor/frmmonitor.h"
#include "shell/mainwindow.h"
#include "shell/startup.h"
#include "shell/unitsession.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

using namespace hvc;

constexpr int kMonitorTab = 1;

void bmMonitorEventLoopGap(benchmark::State& bs) {
    QTemporaryDir dir;
    AppState state;
    ScriptedPrompter prompter;
    state.observers.setPrompter(&prompter);
    const QString appDir = QCoreApplication::applicationDirPath();
    ShellContext context(state, appDir, QStringLiteral(HVC_RES_DIR));
    CommandLine options;
    options.resDir = context.resDir;
    options.demo = true;
    options.eepromPath = dir.filePath(QStringLiteral("eeprom.txt"));
    options.simArguments = {QStringLiteral("--baud-pacing")};
    UnitSession session(context, options, simDemoUnits());
    if (const Status started = session.start(); !started) {
        bs.SkipWithError(("hvc-sim: " + started.text()).toStdString().c_str());
        return;
    }
    std::unique_ptr<MainWindow> window = startUp(context, programPages());
    window->endProgram = [](bool) {};
    window->connectToUnit();
    if (state.session.connectState() != ConnectState::Connected) {
        bs.SkipWithError("cannot connect to the simulated unit");
        return;
    }
    auto* monitor = qobject_cast<FrmMonitor*>(window->pageForm(Page::Monitor));
    long passes = 0;
    QObject::connect(&monitor->model(), &MonitorModel::passCompleted, [&passes] { ++passes; });

    double longestMs = 0;
    double seconds = 0;
    for (auto _ : bs) {
        window->tabs()->setCurrentIndex(kMonitorTab);
        QElapsedTimer clock;
        QElapsedTimer sinceLast;
        qint64 longest = 0;
        QTimer probe;
        probe.setInterval(1);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            longest = std::max(longest, sinceLast.nsecsElapsed());
            sinceLast.restart();
        });
        clock.start();
        sinceLast.start();
        probe.start();
        while (clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        probe.stop();
        window->tabs()->setCurrentIndex(0);
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 150);
        longestMs = std::max(longestMs, static_cast<double>(longest) / 1e6);
        seconds += static_cast<double>(clock.elapsed()) / 1000.0;
    }
    bs.counters["longest_gap_ms"] = longestMs;
    bs.counters["passes"] = static_cast<double>(passes);
    bs.counters["ms_per_pass"] = passes ? seconds * 1000.0 / static_cast<double>(passes) : 0;
}
BENCHMARK(bmMonitorEventLoopGap)->Iterations(2)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
