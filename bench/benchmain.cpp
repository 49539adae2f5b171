// The main of the benchmarks that drive the simulated unit: the application
// object lets SimProcess find hvc-sim beside the running program and gives the
// serial ports and timers their event machinery.
#include <QCoreApplication>
#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
