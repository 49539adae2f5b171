// hvcctl's unit and diag commands against hvc-sim on a pseudo-terminal: each command
// once with what it prints, the exit codes as one table, and diag --watch until Ctrl-C.
// What a command does to the unit is the link suite's; here it is the program's surface,
// run as its own process so that every message reaches its standard error.

#include "sim/simprocess.h"
#include "support/hvcctlrun.h"
#include "support/paths.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

using namespace hvc;
using hvc::testutil::hvcctlPath;
using hvc::testutil::Outcome;

namespace {

// hvcctl as its own process.
Outcome hvcctl(const QStringList& args) {
    return testutil::hvcctlProcess(args);
}

QStringList lines(const QString& text) {
    return text.split(u'\n', Qt::SkipEmptyParts);
}

struct Unit {
    SimProcess sim;
    QString port;
    explicit Unit(const QStringList& args = {}) {
        port = sim.start(args);
        EXPECT_FALSE(port.isEmpty()) << sim.errorString().toStdString();
    }
    Outcome run(QStringList args) { return hvcctl(args << QStringLiteral("--port") << port); }
};

// hvcctl as a program of its own, for the runs that end with Ctrl-C.
struct Watch {
    QProcess p;
    QString out;
    Watch(const QString& port, const char* interval) {
        p.start(hvcctlPath(), {"diag", "--watch", "--interval", interval, "--port", port});
    }
    // Waits for `count` lines, interrupts, and returns the exit code (-1: crashed).
    int interruptAfter(int count) {
        while (lines(out).size() < count && p.waitForReadyRead(20000))
            out += QString::fromUtf8(p.readAllStandardOutput());
        ::kill(static_cast<pid_t>(p.processId()), SIGINT);
        if (!p.waitForFinished(20000) || p.exitStatus() != QProcess::NormalExit)
            return -1;
        out += QString::fromUtf8(p.readAllStandardOutput());
        return p.exitCode();
    }
};

} // namespace

TEST(HvcctlUnit, EachUnitCommandPrintsWhatTheUnitHolds) {
    Unit unit;
    Outcome r = unit.run({"read-all"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    // A fresh unit holds the defaults, all sections configured.
    EXPECT_TRUE(r.out.contains("\nI Max 1A\t0302.00\t850\t850\tmA\n")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("\nI Max 4B\t031E.00\t")) << r.out.toStdString();

    // set at the limit and one beyond it; --force lets a word through, cut to 16 bits.
    EXPECT_EQ(unit.run({"set", "HVC_I0_MAX", "1501"}).code, 2);
    r = unit.run({"set", "I Max 1A", "1500"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "I Max 1A\t0302.00\t1500\t1500\tmA\n");
    for (const char* name : {"HVC_I0_MAX", "0302.00", "I Max 1A"})
        EXPECT_EQ(unit.run({"get", name}).out, "I Max 1A\t0302.00\t1500\t1500\tmA\n") << name;
    r = unit.run({"set", "HVC_I0_MAX", "40000", "--force"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.startsWith("I Max 1A\t0302.00\t-25536\t")) << r.out.toStdString();
    EXPECT_TRUE(unit.run({"get", "HVC_VBB_400", "--ram"}).out.startsWith("Battery"));

    EXPECT_EQ(unit.run({"identity"}).out, "0048 0056 0043 0030 0031\nreset-pending: no\n");
    r = unit.run({"defaults"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("Switch OFF and then switch ON power supply!"));
    EXPECT_EQ(unit.run({"identity"}).out, "0052 0045 0053 0045 0054\nreset-pending: yes\n");
    r = unit.run({"read-all"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains("Missing POWER RESET")) << r.err.toStdString();
    EXPECT_EQ(unit.run({"read-all", "--force"}).code, 0);
}

TEST(HvcctlUnit, AWordTheUnitDidNotTakeOrHoldsBeyondItsLimitsIsNeverPassedOffAsRight) {
    Unit unit({"--ignore-write", "I Max 1A", "--alter-write", "T Rise 2A=-50"});
    Outcome r = unit.run({"set", "I Max 1A", "910"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("Verify failed: I Max 1A (0302.00): written 910, the unit holds "
                               "850"))
        << r.err.toStdString();
    r = unit.run({"set", "T Rise 2A", "600"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("written 600, the unit holds 550")) << r.err.toStdString();

    // read-all prints and saves the unit's word, marked and named, never the default.
    Unit held;
    ASSERT_EQ(held.run({"set", "I Max 1A", "1600", "--force"}).code, 0);
    r = held.run({"read-all"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.contains("\nI Max 1A\t0302.00\t1600\t1600\tmA\tout of range 0..1500\n"))
        << r.out.toStdString();
    EXPECT_EQ(r.err, "hvcctl read-all: I Max 1A: the unit holds 1600, outside 0..1500\n");
    QTemporaryDir dir;
    const QString saved = dir.filePath("s.txt");
    ASSERT_EQ(held.run({"read-all", "-o", saved}).code, 0);
    EXPECT_TRUE(hvcctl({"show", saved}).out.contains("\nI Max 1A\t0302.00\t1600\t"));
    r = held.run({"write-all", saved, "--dry-run"});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains("I Max 1A = 1600 (allowed 0..1500)")) << r.err.toStdString();
    // A file without the word leaves it as the unit holds it, not the default.
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QByteArray all = file.readAll();
    file.resize(0);
    file.write(QString::fromLatin1(all)
                   .remove(QRegularExpression("[^\r]*\t0302.00\t[^\r]*\r"))
                   .toLatin1());
    file.close();
    EXPECT_EQ(held.run({"write-all", saved}).code, 0);
    EXPECT_TRUE(held.run({"get", "I Max 1A"}).out.contains("\t1600\t"));
}

TEST(HvcctlUnit, ExitCodes) {
    QTemporaryDir dir;
    const QString corrupt = dir.filePath("corrupt.ini");
    QFile f(corrupt);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Row\tBit\n0\t0\t0\tSupply\tUNIT\tE00\tfault\n11\t0\t0\tBad row\n");
    f.close();
    const QString missing = dir.filePath("DiagnosticList.ini");
    const struct {
        QString sim, args; // split at spaces
        int code;
        QString err; // a text the error output holds
    } cases[] = {
        // A unit that falls silent: the link's reason, nothing printed that passes for a result.
        // (Connecting takes two exchanges, the image two blocks.)
        {"--mute-after 3", "read-all --timeout 150", 1, "Operation Failed :FAILED!"},
        // Connecting takes two exchanges; diag's first read then goes unanswered.
        {"--mute-after 2", "diag --timeout 100", 1,
         "Operation Failed :FAILED!\n  reading Error Code (2000.00): time-out"},
        {"", "get 9999.00", 1, "Operation Failed :FAILED!"},
        {"", "get NO_SUCH", 2, ""},
        {"", "get", 2, ""},
        {"", "set HVC_I0_MIN x", 2, ""},
        {"", "identity --timeout 0", 2, ""},
        {"", "identity --ramlist /nonexistent", 2, ""},
        {"", "diag --diaglist " + missing, 2,
         "'Diagnostic.ini' file NOT FOUND or CORRUPTED\n  cannot open '" + missing},
        {"", "diag --diaglist " + corrupt, 2, "line 3: row 11 is outside 0-10"},
        {"", "diag --interval -1", 2, ""},
        {"", "diag extra", 2, ""},
        {"", "monitor --count 0", 2, ""},
        {"", "monitor --interval -5", 2, ""},
        {"", "read-all --verbose", 0, "hvcctl: 0 requests sent again"},
        // Three in ten replies damaged: the requests sent again are counted.
        {"--corrupt 0.3 --seed 7", "read-all --verbose", 0,
         "requests sent again after a garbled or missing reply"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.sim + ' ' + c.args).toStdString());
        Unit unit(c.sim.split(u' ', Qt::SkipEmptyParts));
        const Outcome r = unit.run(c.args.split(u' '));
        EXPECT_EQ(r.code, c.code) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.err)) << r.err.toStdString();
        EXPECT_EQ(r.out.isEmpty(), c.code != 0) << r.out.toStdString();
        if (c.err.contains("garbled")) {
            EXPECT_FALSE(r.err.contains("hvcctl: 0 requests")) << r.err.toStdString();
        }
    }
    for (const QStringList& args : {QStringList{"read-all"}, QStringList{"diag"}})
        EXPECT_EQ(hvcctl(args).code, 2) << "--port is required";
    const Outcome closed = hvcctl({"identity", "--port", "/nonexistent/tty"});
    EXPECT_EQ(closed.code, 1);
    EXPECT_TRUE(closed.err.contains("Can't Open COM 1")) << closed.err.toStdString();
}

// A set goes into the logbook with the word before, sent and read back. A logbook
// that cannot be written costs the transfer nothing, is said once, and its entry
// waits in the pending file until the logbook can be opened.
TEST(HvcctlUnit, ASetIsLoggedEvenWhenTheLogbookIsInTheWay) {
    Unit unit;
    QTemporaryDir dir;
    const QString blocked = dir.filePath(QStringLiteral("blocked"));
    QFile file(blocked); // a file where the logbook's folder belongs
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QString book = blocked + QStringLiteral("/logbook.sqlite");
    const Outcome set = unit.run({"set", "I Max 1A", "900", "--logbook", book});
    EXPECT_EQ(set.code, 0);
    EXPECT_EQ(set.err.count(QStringLiteral("hvcctl: logbook not written: ")), 1)
        << set.err.toStdString();
    EXPECT_TRUE(set.err.contains(QStringLiteral("; the entry is kept in ")))
        << set.err.toStdString();

    ASSERT_TRUE(QFile::remove(blocked));
    const Outcome list = hvcctl({"log", "list", "--unit", "10425", "--logbook", book});
    const QStringList rows = lines(list.out);
    ASSERT_EQ(rows.size(), 1) << list.err.toStdString();
    EXPECT_EQ(rows[0].section(u'\t', 1, 1), QStringLiteral("set"));
    EXPECT_EQ(rows[0].section(u'\t', 5), QStringLiteral("ok\t1\tVCU 4W 10425 v001.04"));
    const Outcome show = hvcctl({"log", "show", rows[0].section(u'\t', 0, 0), "--logbook", book});
    EXPECT_TRUE(show.out.contains(
        QStringLiteral("I Max 1A\t0302.00\t850 (850 mA) -> 900 (900 mA) -> 900 (900 mA)\n")))
        << show.out.toStdString();
    EXPECT_EQ(hvcctl({"log", "list", "--unit", "1", "--logbook", book}).code, 1);
}

// A production line: one file into several units at once, each in a process of its
// own. One line per unit in the order given, each unit's own logbook entry (three
// writers on one SQLite file at once), and only a line of verified units exits 0.
TEST(HvcctlUnit, WriteAllOnSeveralPortsReportsEveryUnitOnItsOwnLine) {
    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("image.txt"));
    const QString book = dir.filePath(QStringLiteral("logbook.sqlite"));
    Unit good({"--serial", "101"});
    Unit altering({"--serial", "102", "--alter-write", "Dither Frequency=5"});
    Unit mute({"--serial", "103", "--mute-after", "5"});
    ASSERT_EQ(good.run({"read-all", "-o", image, "--no-logbook"}).code, 0);
    const QString absent = dir.filePath(QStringLiteral("no-such-port"));
    const Outcome r =
        hvcctl({"write-all", image, "--timeout", "200", "--port", good.port, "--port",
                altering.port, "--port", mute.port, "--port", absent, "--logbook", book});
    EXPECT_EQ(r.code, 1);
    const QStringList rows = lines(r.out);
    ASSERT_EQ(rows.size(), 4) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(rows[0], good.port + QStringLiteral("\t101\twritten 97, verified"));
    EXPECT_EQ(rows[1], altering.port + QStringLiteral("\t102\twritten 97, NOT verified: 1 differ"));
    EXPECT_TRUE(rows[2].startsWith(mute.port + QStringLiteral("\t103\tfailed: writing ")))
        << rows[2].toStdString();
    EXPECT_TRUE(rows[3].startsWith(absent + QStringLiteral("\tunknown unit\tfailed: cannot open")))
        << rows[3].toStdString();
    // Each unit's output reaches stderr whole, under its port.
    EXPECT_TRUE(
        r.err.contains(altering.port + QStringLiteral(": Dither Frequency\t0502.00\t100\t105\n")))
        << r.err.toStdString();
    const char* outcomes[] = {"ok", "differs", "failed after "};
    for (int u = 0; u < 3; ++u) {
        const QString serial = QString::number(101 + u);
        const QStringList entries =
            lines(hvcctl({"log", "list", "--unit", serial, "--logbook", book}).out);
        ASSERT_EQ(entries.size(), 1) << serial.toStdString();
        EXPECT_TRUE(entries[0].section(u'\t', 5).startsWith(QLatin1String(outcomes[u])))
            << entries[0].toStdString();
    }

    // A dry run tells each unit's differences; a port given twice is refused
    // before any unit is touched.
    const Outcome dry = hvcctl({"write-all", image, "--dry-run", "--no-logbook", "--port",
                                good.port, "--port", altering.port});
    EXPECT_EQ(dry.code, 0) << dry.err.toStdString();
    EXPECT_EQ(
        lines(dry.out),
        QStringList({good.port + "\t101\tdry run, 0 of 0 differing variables would be written",
                     altering.port + "\t102\tdry run, 1 of 1 differing variables would be "
                                     "written"}));
    const Outcome twice = hvcctl({"write-all", image, "--logbook", book, "--port", good.port,
                                  "--port", altering.port, "--port", good.port});
    EXPECT_EQ(twice.code, 2);
    EXPECT_TRUE(twice.out.isEmpty());
    EXPECT_EQ(lines(hvcctl({"log", "list", "--logbook", book}).out).size(), 3);
}

TEST(HvcctlDiag, ChosenFaultsAreListedWithTheirTextsUntilTheUnitClearsThem) {
    Unit unit({"--error", "HVC_ERROR_SEC_2=8", "--error", "2002=0x81"});
    const Outcome active = unit.run({"diag"});
    EXPECT_EQ(active.code, 1) << active.err.toStdString();
    EXPECT_EQ(lines(active.out),
              (QStringList{
                  "UNIT - 1\tE00\tSupply voltage fault",
                  "UNIT - 8\tE03\tSection 2 fault",
                  "VBB - 1\tE10\tSupply voltage low",
                  // A bit the message file does not know is still an error.
                  "HVC_VBB_ERROR - 128\t\tbit 7 of HVC_VBB_ERROR is set; the message file has "
                  "no text for it",
                  "SEC2 - 8\tE43\tSection 2 open coil A",
              }));
    for (const char* word : {"HVC_ERROR_SEC_2", "HVC_VBB_ERROR"})
        ASSERT_EQ(unit.run({"set", word, "0", "--ram"}).code, 0);
    const Outcome r = unit.run({"diag"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "no active errors\n");

    // A message file of bit texts only, and a bit above 7: errors all the same; the
    // ready bit the unit keeps set is none.
    QTemporaryDir dir;
    const QString texts = dir.filePath("texts.ini");
    QFile f(texts);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Row\tBit\n4\t3\t2\tOpen coil A\n");
    f.close();
    Unit other({"--error", "HVC_ERROR_SEC_2=8", "--error", "HVC_ERROR_CODE=256"});
    EXPECT_EQ(lines(other.run({"diag", "--diaglist", texts}).out),
              (QStringList{"HVC_ERROR_CODE - 256\t\tbit 8 of HVC_ERROR_CODE is set; the message "
                           "file has no text for it",
                           "HVC_ERROR_SEC_2 - 8\t\tOpen coil A: bit 3 of HVC_ERROR_SEC_2 is set; "
                           "the message file lists no key for it"}));
}

TEST(HvcctlDiag, WatchFollowsTheUnitUntilCtrlC) {
    constexpr int kLines = 40;
    Unit scenario({"--scenario", "faults", "--seed", "4"});
    Watch watch(scenario.port, "0");
    const int code = watch.interruptAfter(kLines);
    EXPECT_TRUE(code == 0 || code == 1) << code;
    // Each line: its time, then what came or went as the unit's error words changed.
    const QRegularExpression line(
        "^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\t(active|came|went)\\t");
    QString kinds;
    for (const QString& l : lines(watch.out)) {
        const auto m = line.match(l);
        ASSERT_TRUE(m.hasMatch()) << l.toStdString();
        kinds += m.captured(1).front();
    }
    EXPECT_TRUE(kinds.contains(u'c') && kinds.contains(u'w')) << kinds.toStdString();

    // Ctrl-C during an hour's wait ends it at once with the state of the last pass.
    Unit held({"--error", "HVC_ERROR_SEC_4=4"});
    Watch idle(held.port, "3600000");
    EXPECT_EQ(idle.interruptAfter(2), 1) << "an error was active at the end";
    const QStringList got = lines(idle.out);
    ASSERT_EQ(got.size(), 2);
    EXPECT_TRUE(got[0].endsWith("\tactive\tUNIT - 32\tE05\tSection 4 fault"));
    EXPECT_TRUE(got[1].endsWith("\tactive\tSEC4 - 4\tE62\tSection 4 overcurrent"));
}
