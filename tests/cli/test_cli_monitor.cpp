// hvcctl monitor against hvc-sim on a pseudo-terminal: the lines on the terminal,
// the recording, and the two ways a run ends (Ctrl-C, a unit that goes mute).

#include "sim/simprocess.h"
#include "support/filebytes.h"
#include "support/hvcctlrun.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

using namespace hvc;

namespace {

QStringList csvLines(const QString& path) {
    const QString text = QString::fromUtf8(testutil::readBytes(path));
    QStringList lines = text.split("\r\n");
    EXPECT_EQ(lines.takeLast(), QString()) << "the file ends with a whole line";
    return lines;
}

} // namespace

TEST(HvcctlMonitor, PrintsAndRecordsEveryPassOfTheConfiguredSections) {
    SimProcess sim;
    const QString port = sim.start({"--seed", "7"});
    ASSERT_FALSE(port.isEmpty()) << sim.errorString().toStdString();
    QTemporaryDir dir;
    const QString csv = dir.filePath("run.csv");
    // Two sections, so the displays of sections 3 and 4 are not polled.
    ASSERT_EQ(testutil::hvcctl({"set", "HVC_NUM_PROP_REG", "2", "--port", port}).code, 0);
    const auto r = testutil::hvcctl(
        {"monitor", "--port", port, "--count", "4", "--interval", "20", "--csv", csv});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList out = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(out.size(), 4);
    const QRegularExpression line(QStringLiteral(
        R"(^\d\d:\d\d:\d\d\.\d{3} READY outputs \S.* inputs \S.* joystick % \d+ \d+ )"
        R"(current mA \d+ \d+ battery V \d+\.\d$)"));
    for (const QString& l : out)
        EXPECT_TRUE(line.match(l).hasMatch()) << l.toStdString();

    const QStringList rows = csvLines(csv);
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[0].split(u',').size(), 9);
    for (const QString& row : rows.mid(1)) {
        const QStringList cells = row.split(u',');
        ASSERT_EQ(cells.size(), 9) << row.toStdString();
        EXPECT_EQ(cells[1], "0x0040") << "a healthy unit is ready";
        EXPECT_NEAR(cells[6].toDouble(), 25.5, 1.5) << "the battery in volts";
    }
}

TEST(HvcctlMonitor, AUnitThatGoesMuteEndsItWithTheLinksMessageAndACompleteFile) {
    SimProcess sim;
    // Connecting takes 3 exchanges (identity, version, sections), a pass one list of 12 words.
    const QString port = sim.start({"--mute-after", "5"});
    ASSERT_FALSE(port.isEmpty()) << sim.errorString().toStdString();
    QTemporaryDir dir;
    const QString csv = dir.filePath("mute.csv");
    const auto r = testutil::hvcctl(
        {"monitor", "--port", port, "--timeout", "50", "--interval", "0", "--csv", csv});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.startsWith("Operation Failed :FAILED!\n  reading ")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("time-out after 50 ms")) << r.err.toStdString();
    EXPECT_EQ(r.out.count(u'\n'), 2);
    const QStringList rows = csvLines(csv);
    ASSERT_EQ(rows.size(), 3);
    for (const QString& row : rows)
        EXPECT_EQ(row.split(u',').size(), 13);
}

TEST(HvcctlMonitor, CtrlCEndsItWithExitCode0AndTheFileComplete) {
    SimProcess sim;
    const QString port = sim.start({"--baud-pacing"});
    ASSERT_FALSE(port.isEmpty()) << sim.errorString().toStdString();
    QTemporaryDir dir;
    const QString csv = dir.filePath("sigint.csv");
    QProcess p;
    p.start(QFileInfo(SimProcess::executablePath()).dir().filePath("hvcctl"),
            {"monitor", "--port", port, "--csv", csv});
    ASSERT_TRUE(p.waitForStarted());
    // Wait for three lines on the terminal, then interrupt, most likely mid-pass.
    QByteArray printed;
    const QDeadlineTimer deadline(20000);
    while (printed.count('\n') < 3 && !deadline.hasExpired() && p.state() == QProcess::Running) {
        p.waitForReadyRead(100);
        printed += p.readAllStandardOutput();
    }
    ASSERT_GE(printed.count('\n'), 3) << p.readAllStandardError().toStdString();
    QThread::msleep(40);
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    printed += p.readAllStandardOutput();
    const QStringList rows = csvLines(csv);
    EXPECT_EQ(rows.size() - 1, printed.count('\n')) << "one row for every line printed";
    for (const QString& row : rows)
        EXPECT_EQ(row.split(u',').size(), 13) << row.toStdString();
}
