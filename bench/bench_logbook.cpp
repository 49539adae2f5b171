// The unit logbook's costs:
//  - reading one unit's history of 10,000 entries (20 words each) with
//    Logbook::list, opening one entry with Logbook::entry, and opening the
//    logbook again in the same program (the first open also checks the whole
//    file: that one is in the recording overhead below), on SQLite and, when
//    HVC_TEST_PGURL names a server (see scripts/test.sh), on PostgreSQL (Arg 1;
//    skipped otherwise);
//  - what recording costs a write: `hvcctl write-all FILE` against hvc-sim paced
//    to 9600 baud, with a logbook over with --no-logbook, alternating (Arg 1:
//    into the logbook of 11,000 entries above);
//  - a production line: four paced units written by one `write-all --port x4`
//    over one unit by `write-all --port` alone, beside four single-unit runs
//    started together (what the machine itself adds).
// The runs against paced units take seconds each: few iterations.

#include "core/logbook.h"
#include "sim/simprocess.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimeZone>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>

namespace {

using namespace hvc;
using Clock = std::chrono::steady_clock;

constexpr int kEntries = 10000;
constexpr int kWords = 20;
const QString kSerial = QStringLiteral("10425");
const QString kRamlist = QStringLiteral(HVC_RES_DIR "/ini/Ramlist.ini");

QTemporaryDir& scratch() {
    static QTemporaryDir dir;
    return dir;
}

LogEntry sampleEntry(const QString& serial, int n) {
    LogEntry e;
    e.kind = QStringLiteral("write-all");
    e.time = QDateTime(QDate(2026, 1, 1), QTime(0, 0), QTimeZone::utc()).addSecs(n * 60);
    e.user = QStringLiteral("bench");
    e.program = QStringLiteral("hvcctl");
    e.version = QStringLiteral("1.0");
    e.port = QStringLiteral("/dev/ttyUSB0");
    e.outcome = QStringLiteral("ok");
    e.unit.known = true;
    e.unit.model = QStringLiteral("VCU 4W");
    e.unit.serial = serial;
    e.unit.firmware = QStringLiteral("v001.04");
    for (int w = 0; w < kWords; ++w)
        e.words.append({QStringLiteral("Word %1").arg(w), 0x300 + 2 * w, n, n + w, n + w});
    return e;
}

// The logbook of the given kind, filled once per run: 10,000 entries of one unit
// and 1,000 of another; empty when there is none (PostgreSQL without a server).
QString filledLogbook(bool postgres, benchmark::State& bs) {
    static QString locations[2];
    QString& location = locations[postgres ? 1 : 0];
    if (!location.isEmpty())
        return location;
    const QString wanted =
        postgres ? qEnvironmentVariable("HVC_TEST_PGURL")
                 : QStringLiteral("sqlite:") + scratch().filePath(QStringLiteral("big.sqlite"));
    if (wanted.isEmpty()) {
        bs.SkipWithError("HVC_TEST_PGURL names no PostgreSQL server");
        return {};
    }
    Logbook book;
    if (!book.open(wanted, false).ok())
        return {};
    QSqlQuery q(book.database());
    if (postgres)
        q.exec(QStringLiteral("DROP TABLE IF EXISTS words, entries, units, schema_version"));
    book.close();
    if (const Status s = book.open(wanted); !s) {
        bs.SkipWithError(("cannot open the logbook: " + s.text()).toStdString().c_str());
        return {};
    }
    // Filling is not what is measured: no waiting for the disk per entry.
    QSqlQuery fast(book.database());
    fast.exec(postgres ? QStringLiteral("SET synchronous_commit = off")
                       : QStringLiteral("PRAGMA synchronous = OFF"));
    for (int n = 0; n < kEntries + kEntries / 10; ++n) {
        LogEntry e = sampleEntry(n < kEntries ? kSerial : QStringLiteral("777"), n);
        if (const Status s = book.add(e); !s) {
            bs.SkipWithError(("cannot fill the logbook: " + s.text()).toStdString().c_str());
            return {};
        }
    }
    location = wanted;
    return location;
}

void bmListOneUnit(benchmark::State& bs) {
    const QString location = filledLogbook(bs.range(0) != 0, bs);
    Logbook book;
    if (location.isEmpty() || !book.open(location).ok())
        return;
    for (auto _ : bs) {
        QList<LogEntry> entries;
        if (!book.list({kSerial, {}}, entries).ok() || entries.size() != kEntries) {
            bs.SkipWithError("the list is wrong");
            return;
        }
        benchmark::DoNotOptimize(entries);
    }
}
BENCHMARK(bmListOneUnit)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void bmOpenOneEntry(benchmark::State& bs) {
    const QString location = filledLogbook(bs.range(0) != 0, bs);
    Logbook book;
    if (location.isEmpty() || !book.open(location).ok())
        return;
    qint64 id = kEntries / 2;
    for (auto _ : bs) {
        LogEntry e;
        if (!book.entry(id, e).ok() || e.words.size() != kWords) {
            bs.SkipWithError("the entry is wrong");
            return;
        }
        id = id % kEntries + 1;
    }
}
BENCHMARK(bmOpenOneEntry)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// A later open in the same program, as the desktop program's recordings pay.
void bmOpenLogbook(benchmark::State& bs) {
    const QString location = filledLogbook(bs.range(0) != 0, bs);
    if (location.isEmpty())
        return;
    for (auto _ : bs) {
        Logbook book;
        if (!book.open(location).ok()) {
            bs.SkipWithError("cannot open the logbook");
            return;
        }
    }
}
BENCHMARK(bmOpenLogbook)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

QString hvcctlPath() {
    return QFileInfo(SimProcess::executablePath()).dir().filePath(QStringLiteral("hvcctl"));
}

// Runs hvcctl and returns its wall time in seconds, or -1 when it failed.
double timedHvcctl(const QStringList& args) {
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    const auto t0 = Clock::now();
    p.start(hvcctlPath(), args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return -1;
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// Paced simulated units and a configuration file read from the first.
struct Line {
    std::vector<std::unique_ptr<SimProcess>> units;
    QStringList ports;
    QString file = scratch().filePath(QStringLiteral("unit.txt"));

    bool start(int count, benchmark::State& bs) {
        for (int i = 0; i < count; ++i) {
            units.push_back(std::make_unique<SimProcess>());
            const QString port = units.back()->start(
                {"--baud-pacing", "--ramlist", kRamlist, "--serial", QString::number(101 + i)});
            if (port.isEmpty()) {
                bs.SkipWithError(("hvc-sim: " + units.back()->errorString()).toStdString().c_str());
                return false;
            }
            ports << QStringLiteral("--port") << port;
        }
        if (timedHvcctl({"read-all", "--no-logbook", "--ramlist", kRamlist, "-o", file, "--port",
                         ports[1]}) < 0) {
            bs.SkipWithError("read-all failed");
            return false;
        }
        return true;
    }
};

void bmRecordingOverhead(benchmark::State& bs) {
    Line line;
    if (!line.start(1, bs))
        return;
    const QString book = bs.range(0) != 0 ? filledLogbook(false, bs)
                                          : scratch().filePath(QStringLiteral("fresh.sqlite"));
    if (book.isEmpty())
        return;
    const QStringList write =
        QStringList{"write-all", line.file, "--ramlist", kRamlist} + line.ports;
    double with = 0;
    double without = 0;
    int n = 0;
    for (auto _ : bs) {
        // Alternating, so that a slow moment of the machine falls on both.
        const double a = timedHvcctl(QStringList{"--logbook", book} + write);
        const double b = timedHvcctl(QStringList{"--no-logbook"} + write);
        if (a < 0 || b < 0) {
            bs.SkipWithError("write-all failed");
            return;
        }
        with += a;
        without += b;
        ++n;
    }
    bs.counters["with_logbook_s"] = with / n;
    bs.counters["no_logbook_s"] = without / n;
    bs.counters["ratio"] = with / without;
}
BENCHMARK(bmRecordingOverhead)->Arg(0)->Arg(1)->Iterations(4)->UseRealTime();

void bmProductionLine(benchmark::State& bs) {
    Line line;
    if (!line.start(4, bs))
        return;
    const QStringList write{"--logbook", scratch().filePath(QStringLiteral("line.sqlite")),
                            "write-all", line.file,
                            "--ramlist", kRamlist};
    double four = 0;
    double one = 0;
    double apart = 0;
    int n = 0;
    for (auto _ : bs) {
        const double a = timedHvcctl(write + line.ports);
        const double b = timedHvcctl(write + line.ports.mid(0, 2));
        // The machine's own share: four single-unit runs started together by us.
        const auto t0 = Clock::now();
        std::vector<std::unique_ptr<QProcess>> runs;
        for (qsizetype p = 1; p < line.ports.size(); p += 2) {
            runs.push_back(std::make_unique<QProcess>());
            runs.back()->setStandardOutputFile(QProcess::nullDevice());
            runs.back()->setStandardErrorFile(QProcess::nullDevice());
            runs.back()->start(hvcctlPath(), write + QStringList{"--port", line.ports[p]});
        }
        bool ok = true;
        for (auto& r : runs)
            ok = r->waitForFinished(120000) && r->exitCode() == 0 && ok;
        const double c = std::chrono::duration<double>(Clock::now() - t0).count();
        if (a < 0 || b < 0 || !ok) {
            bs.SkipWithError("write-all failed");
            return;
        }
        four += a;
        one += b;
        apart += c;
        ++n;
    }
    bs.counters["four_units_s"] = four / n;
    bs.counters["one_unit_s"] = one / n;
    bs.counters["ratio"] = four / one;
    bs.counters["four_apart_s"] = apart / n;
    bs.counters["apart_ratio"] = apart / one;
}
BENCHMARK(bmProductionLine)->Iterations(4)->UseRealTime();

} // namespace
