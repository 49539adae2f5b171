// hvcctl diag against hvc-sim, both real programs: the active errors of a unit
// holding chosen faults, the exit codes, and --watch following the faults
// scenario until Ctrl-C.

#include "core/activeerrorlist.h"
#include "core/diagnosticrows.h"
#include "core/prompter.h"
#include "sim/simerrors.h"
#include "sim/simprocess.h"
#include "support/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

using namespace hvc;

namespace {

struct CliRun {
    int code = -1;
    QString out;
    QString err;
};

QString hvcctlPath() {
    return QFileInfo(SimProcess::executablePath()).dir().filePath(QStringLiteral("hvcctl"));
}

CliRun hvcctl(const QStringList& args) {
    QProcess p;
    p.start(hvcctlPath(), args);
    CliRun r;
    if (!p.waitForFinished(30000))
        return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

struct Unit {
    SimProcess sim;
    QString port;
    explicit Unit(const QStringList& args = {}) {
        port = sim.start(args);
        EXPECT_FALSE(port.isEmpty()) << sim.errorString().toStdString();
    }
    CliRun run(QStringList args) { return hvcctl(args << QStringLiteral("--port") << port); }
};

QStringList lines(const QString& text) {
    return text.split(u'\n', Qt::SkipEmptyParts);
}

// What --watch prints for a unit in the faults scenario with `seed`, without the
// times: the unit's own error words, read pass by pass as hvcctl reads them.
QStringList expectedWatch(std::uint32_t seed, int count) {
    DiagnosticList messages;
    ScriptedPrompter prompter;
    EXPECT_TRUE(
        messages.LoadDiagnosticList(test::sourcePath("res/ini/DiagnosticList.ini"), prompter));
    ActiveErrorList list(messages);
    SimErrors unit;
    unit.setScenario(true);
    unit.setSeed(seed);
    std::array<std::int32_t, kDiagnosticBoundRows> previous{};
    QStringList out;
    for (int pass = 0; out.size() < count; ++pass) {
        for (int row = 0; row < kDiagnosticBoundRows; ++row) {
            const std::int32_t word = unit.read(kDiagnosticRowVars[static_cast<size_t>(row)], 4);
            for (const ActiveErrorChange& c :
                 list.valueChanged(row, word, word ^ previous[static_cast<size_t>(row)])) {
                const bool added = c.kind == ActiveErrorChange::Kind::Added;
                out << QStringList{added ? (pass == 0 ? QStringLiteral("active")
                                                      : QStringLiteral("came"))
                                         : QStringLiteral("went"),
                                   c.item.text, c.item.errorId, c.item.description}
                           .join(u'\t');
            }
            previous[static_cast<size_t>(row)] = word;
        }
    }
    return out.mid(0, count);
}

} // namespace

TEST(HvcctlDiag, ChosenFaultsAreListedWithTheirTextsUntilTheUnitClearsThem) {
    Unit unit({QStringLiteral("--error"), QStringLiteral("HVC_ERROR_SEC_2=8"),
               QStringLiteral("--error"), QStringLiteral("2002=0x81")});
    CliRun r = unit.run({QStringLiteral("diag")});
    EXPECT_EQ(r.code, 1) << r.err.toStdString();
    EXPECT_EQ(lines(r.out),
              (QStringList{
                  QStringLiteral("UNIT - 1\tE00\tSupply voltage fault"),
                  QStringLiteral("UNIT - 8\tE03\tSection 2 fault"),
                  QStringLiteral("VBB - 1\tE10\tSupply voltage low"),
                  QStringLiteral("SEC2 - 8\tE43\tSection 2 open coil A"),
                  // A bit the message file does not know is still an error.
                  QStringLiteral("HVC_VBB_ERROR - 128\t\tbit 7 of HVC_VBB_ERROR is set; the "
                                 "message file has no text for it"),
              }));

    for (const char* word : {"HVC_ERROR_SEC_2", "HVC_VBB_ERROR"})
        ASSERT_EQ(unit.run({QStringLiteral("set"), QString::fromLatin1(word), QStringLiteral("0"),
                            QStringLiteral("--ram")})
                      .code,
                  0);
    r = unit.run({QStringLiteral("diag")});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("no active errors\n"));
}

TEST(HvcctlDiag, FileUsageAndUnitFailuresHaveTheirExitCodes) {
    Unit unit;
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("DiagnosticList.ini"));
    CliRun r = unit.run({QStringLiteral("diag"), QStringLiteral("--diaglist"), missing});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(
        r.err.startsWith(QStringLiteral("'Diagnostic.ini' file NOT FOUND or CORRUPTED\n  ")))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(missing));

    const QString corrupt = dir.filePath(QStringLiteral("corrupt.ini"));
    QFile f(corrupt);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Row\tBit\n0\t0\t0\tSupply\tUNIT\tE00\tfault\n11\t0\t0\tBad row\n");
    f.close();
    r = unit.run({QStringLiteral("diag"), QStringLiteral("--diaglist"), corrupt});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("line 3: row 11 is outside 0-10")))
        << r.err.toStdString();

    for (const QStringList& args :
         {QStringList{QStringLiteral("diag"), QStringLiteral("--interval"), QStringLiteral("-1")},
          QStringList{QStringLiteral("diag"), QStringLiteral("--interval"), QStringLiteral("x")},
          QStringList{QStringLiteral("diag"), QStringLiteral("extra")}}) {
        EXPECT_EQ(unit.run(args).code, 2) << args.join(u' ').toStdString();
    }
    EXPECT_EQ(hvcctl({QStringLiteral("diag")}).code, 2) << "no --port";

    // Connecting takes six exchanges (identity and program version); the pass's
    // first read then goes unanswered.
    Unit mute({QStringLiteral("--mute-after"), QStringLiteral("6")});
    r = mute.run({QStringLiteral("diag"), QStringLiteral("--timeout"), QStringLiteral("100")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.isEmpty()) << "nothing passes for a result: " << r.out.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("Operation Failed :FAILED!\n  reading Error Code "
                                              "(2000.00): time-out")))
        << r.err.toStdString();
}

TEST(HvcctlDiag, WatchFollowsTheFaultsScenarioUntilCtrlC) {
    constexpr int kLines = 40;
    Unit unit({QStringLiteral("--scenario"), QStringLiteral("faults"), QStringLiteral("--seed"),
               QStringLiteral("4")});
    QProcess p;
    p.start(hvcctlPath(),
            {QStringLiteral("diag"), QStringLiteral("--watch"), QStringLiteral("--interval"),
             QStringLiteral("0"), QStringLiteral("--port"), unit.port});
    QString out;
    while (lines(out).size() < kLines && p.waitForReadyRead(20000))
        out += QString::fromUtf8(p.readAllStandardOutput());
    ASSERT_GE(lines(out).size(), kLines)
        << QString::fromUtf8(p.readAllStandardError()).toStdString();
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << "Ctrl-C ends it cleanly";
    EXPECT_TRUE(p.exitCode() == 0 || p.exitCode() == 1) << p.exitCode();
    out += QString::fromUtf8(p.readAllStandardOutput());

    QStringList seen;
    for (const QString& line : lines(out)) {
        const qsizetype tab = line.indexOf(u'\t');
        ASSERT_TRUE(
            QDateTime::fromString(line.left(tab), QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid())
            << line.toStdString();
        seen << line.mid(tab + 1);
    }
    EXPECT_EQ(seen.mid(0, kLines), expectedWatch(4, kLines));
}

TEST(HvcctlDiag, CtrlCDuringTheWaitEndsAtOnceWithTheStateOfTheLastPass) {
    Unit unit({QStringLiteral("--error"), QStringLiteral("HVC_ERROR_SEC_4=4")});
    QProcess p;
    p.start(hvcctlPath(),
            {QStringLiteral("diag"), QStringLiteral("--watch"), QStringLiteral("--interval"),
             QStringLiteral("3600000"), QStringLiteral("--port"), unit.port});
    QString out;
    while (lines(out).size() < 2 && p.waitForReadyRead(20000))
        out += QString::fromUtf8(p.readAllStandardOutput());
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(20000)) << "an hour's wait is cut short";
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 1) << "an error was active at the end";
    out += QString::fromUtf8(p.readAllStandardOutput());
    const QStringList got = lines(out);
    ASSERT_EQ(got.size(), 2);
    EXPECT_TRUE(got[0].endsWith(QStringLiteral("\tactive\tUNIT - 32\tE05\tSection 4 fault")));
    EXPECT_TRUE(got[1].endsWith(QStringLiteral("\tactive\tSEC4 - 4\tE62\tSection 4 overcurrent")));
}
