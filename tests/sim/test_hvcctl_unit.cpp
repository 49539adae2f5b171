// hvcctl's unit commands against hvc-sim, both real programs, as a technician or
// a production-line script runs them.

#include "link/devicelinkmng.h"
#include "support/unitrig.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>

using namespace hvc;

namespace {

struct CliRun {
    int code = -1;
    QString out;
    QString err;
};

CliRun hvcctl(const QStringList& args, const QString& stdoutFile = {}) {
    QProcess p;
    if (!stdoutFile.isEmpty())
        p.setStandardOutputFile(stdoutFile);
    p.start(QFileInfo(SimProcess::executablePath()).dir().filePath(QStringLiteral("hvcctl")), args);
    CliRun r;
    if (!p.waitForFinished(30000))
        return r;
    r.code = p.exitCode();
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
    CliRun run(QStringList args, const QString& stdoutFile = {}) {
        return hvcctl(args << QStringLiteral("--port") << port, stdoutFile);
    }
};

} // namespace

TEST(HvcctlUnit, ReadAllPrintsTheWholeImageOfTheShippedMap) {
    Unit unit;
    const CliRun r = unit.run({QStringLiteral("read-all")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();

    Catalogue cat;
    ScriptedPrompter prompter;
    ASSERT_TRUE(cat.LoadCatalogue(hvc::test::sourcePath("res/ini/Ramlist.ini"), prompter));
    QStringList expected;
    for (int i = 1; i <= cat.VarCount(); ++i) {
        const CVarData& r = cat[i];
        if (r.PageMask != 0) // a fresh unit holds the defaults, all sections configured
            expected << QStringList{r.Name, r.AddressText(), QString::number(r.E2InECU),
                                    QString::number(r.E2Display), r.ConvText}
                            .join(u'\t');
    }
    EXPECT_EQ(r.out.split(u'\n', Qt::SkipEmptyParts), expected);
}

TEST(HvcctlUnit, GetAndSetByNameIdentifierOrAddress) {
    Unit unit;
    CliRun r = unit.run({QStringLiteral("set"), QStringLiteral("I Max 1A"), QStringLiteral("900")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("I Max 1A\t0302.00\t900\t900\tmA\n"));
    for (const char* name : {"HVC_I0_MAX", "0302.00", "I Max 1A"}) {
        r = unit.run({QStringLiteral("get"), QString::fromLatin1(name)});
        EXPECT_EQ(r.out, QStringLiteral("I Max 1A\t0302.00\t900\t900\tmA\n")) << name;
    }
    r = unit.run({QStringLiteral("set"), QStringLiteral("HVC_I0_MAX"), QStringLiteral("40000")});
    EXPECT_EQ(r.code, 2) << "outside 0..1500 without --force";
    r = unit.run({QStringLiteral("set"), QStringLiteral("HVC_I0_MAX"), QStringLiteral("40000"),
                  QStringLiteral("--force")});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("I Max 1A\t0302.00\t-25536\t")))
        << r.out.toStdString();

    r = unit.run({QStringLiteral("get"), QStringLiteral("HVC_VBB_400"), QStringLiteral("--ram")});
    ASSERT_EQ(r.code, 0);
    const QStringList f = r.out.trimmed().split(u'\t');
    ASSERT_EQ(f.size(), 5);
    EXPECT_NEAR(f[3].toDouble(), f[2].toInt() / 100.0, 1e-9) << "converted by X/100";
    EXPECT_GE(f[3].toDouble(), 24.0);
    EXPECT_LE(f[3].toDouble(), 27.0);

    EXPECT_EQ(unit.run({QStringLiteral("get"), QStringLiteral("NO_SUCH")}).code, 2);
    const CliRun missing = unit.run({QStringLiteral("get"), QStringLiteral("9999.00")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("Operation Failed :FAILED!")));
}

TEST(HvcctlUnit, DefaultsNeedAPowerCycleBeforeTheNextConnect) {
    Unit unit;
    ASSERT_EQ(
        unit.run({QStringLiteral("set"), QStringLiteral("HVC_I0_MIN"), QStringLiteral("450")}).code,
        0);
    CliRun r = unit.run({QStringLiteral("identity")});
    EXPECT_EQ(r.out, QStringLiteral("0048 0056 0043 0030 0031\nreset-pending: no\n"));

    r = unit.run({QStringLiteral("defaults")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("Switch OFF and then switch ON power supply!")));
    r = unit.run({QStringLiteral("identity")});
    EXPECT_EQ(r.out, QStringLiteral("0052 0045 0053 0045 0054\nreset-pending: yes\n"));

    r = unit.run({QStringLiteral("read-all")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(QStringLiteral("Missing POWER RESET"))) << r.err.toStdString();
    r = unit.run({QStringLiteral("read-all"), QStringLiteral("--force")});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.contains(QStringLiteral("I Min 1A\t0300.00\t350\t350\tmA\n")));

    ASSERT_TRUE(unit.sim.sendSignal(SIGHUP));
    for (int tries = 0; tries < 50; ++tries) {
        r = unit.run({QStringLiteral("identity")});
        if (r.out.endsWith(QStringLiteral("reset-pending: no\n")))
            break;
    }
    EXPECT_TRUE(r.out.endsWith(QStringLiteral("reset-pending: no\n")));
    EXPECT_EQ(unit.run({QStringLiteral("read-all")}).code, 0);
}

TEST(HvcctlUnit, LinkFailuresAndUsageErrorsHaveTheirExitCodes) {
    Unit mute({QStringLiteral("--mute-after"), QStringLiteral("20")});
    CliRun r =
        mute.run({QStringLiteral("read-all"), QStringLiteral("--timeout"), QStringLiteral("150")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Operation Failed :FAILED!"))) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty()) << "nothing printed from a transfer that failed";

    r = hvcctl(
        {QStringLiteral("identity"), QStringLiteral("--port"), QStringLiteral("/nonexistent/tty")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Can't Open COM 1"))) << r.err.toStdString();

    EXPECT_EQ(hvcctl({QStringLiteral("read-all")}).code, 2) << "--port is required";
    EXPECT_EQ(mute.run({QStringLiteral("get")}).code, 2);
    EXPECT_EQ(
        mute.run({QStringLiteral("set"), QStringLiteral("HVC_I0_MIN"), QStringLiteral("x")}).code,
        2);
    EXPECT_EQ(
        mute.run({QStringLiteral("identity"), QStringLiteral("--timeout"), QStringLiteral("0")})
            .code,
        2);
    EXPECT_EQ(mute.run({QStringLiteral("identity"), QStringLiteral("--ramlist"),
                        QStringLiteral("/nonexistent")})
                  .code,
              2);
}

TEST(HvcctlUnit, AnAnswerTooLateForOneRunIsNotPrintedByTheNext) {
    // Every reply comes 20 ms after hvcctl has given up on it, so each run leaves an
    // answer on its way for the next run, which reads another word.
    Unit unit({QStringLiteral("--delay"), QStringLiteral("320")});
    const QString iMax = QStringLiteral("I Max 1A\t0302.00\t800\t800\tmA\n");
    const QString serial = QStringLiteral("Serial Number\t0102.00\t10425\t10425\t\n");
    for (int run = 0; run < 2; ++run) {
        for (const auto& [name, line] : {std::pair{QStringLiteral("HVC_I0_MAX"), iMax},
                                         std::pair{QStringLiteral("HVC_SERIAL_NUMBER"), serial}}) {
            const CliRun r = unit.run(
                {QStringLiteral("get"), name, QStringLiteral("--timeout"), QStringLiteral("300")});
            if (r.code == 0) {
                EXPECT_EQ(r.out, line) << "run " << run;
            } else {
                EXPECT_EQ(r.code, 1) << r.err.toStdString();
            }
        }
    }
}

TEST(HvcctlUnit, ASecondProgramOnTheSameDeviceFindsItBusy) {
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("unit"));
    Unit unit({QStringLiteral("--link"), link});
    PortTable ports;
    ports.set(1, link);
    DeviceLinkMng holder(ports);
    ASSERT_TRUE(holder.Open(QStringLiteral("GDB:1,1000,#COM:1,9600,N,8,1")))
        << holder.errorString().toStdString();
    // hvcctl given the device path while this program has it through the link.
    const CliRun r = unit.run({QStringLiteral("identity")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    EXPECT_TRUE(holder.Par(0xFDEA, 0, DeviceLinkMng::kGetWord).has_value())
        << "the holder's exchanges are undisturbed: " << holder.errorString().toStdString();
}

TEST(HvcctlUnit, OutputLostOnAFullDeviceExitsTwo) {
    Unit unit;
    const CliRun r = unit.run({QStringLiteral("read-all")}, QStringLiteral("/dev/full"));
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("hvcctl: the output could not be written")))
        << r.err.toStdString();
    EXPECT_EQ(unit.run({QStringLiteral("identity")}, QStringLiteral("/dev/null")).code, 0);
}

TEST(HvcctlUnit, AFaultyMapIsReportedWithFileLineAndReason) {
    Unit unit;
    QTemporaryDir dir;
    const QString map = dir.filePath(QStringLiteral("map.ini"));
    QFile file(map);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Name\tAddr\tSub\n"
               "a\t0100\t00\t\t\t1\t0\t11\t0\t9\n"
               "b\t0102\t00\t\t\t1\t0\t11\tlow\t9\n");
    file.close();
    const CliRun r = unit.run({QStringLiteral("identity"), QStringLiteral("--ramlist"), map});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("'Ramlist.ini' file NOT FOUND or CORRUPTED\n  "
                                                "'%1', line 3: Min 'low' is not a whole number "
                                                "from -32768 to 32767\n")
                                     .arg(map)))
        << r.err.toStdString();
}

TEST(HvcctlUnit, VerboseCountsTheRequestsSentAgainOnANoisyLine) {
    Unit noisy({QStringLiteral("--corrupt"), QStringLiteral("0.1"), QStringLiteral("--seed"),
                QStringLiteral("7")});
    const CliRun r = noisy.run({QStringLiteral("read-all"), QStringLiteral("--verbose")});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    static const QRegularExpression count(
        QStringLiteral("hvcctl: ([0-9]+) requests sent again after a garbled or missing reply"));
    const auto m = count.match(r.err);
    ASSERT_TRUE(m.hasMatch()) << r.err.toStdString();
    EXPECT_GT(m.captured(1).toInt(), 0) << "one in ten replies was damaged";

    Unit clean;
    const CliRun quiet = clean.run({QStringLiteral("identity"), QStringLiteral("--verbose")});
    EXPECT_TRUE(quiet.err.contains(QStringLiteral("hvcctl: 0 requests sent again")))
        << quiet.err.toStdString();
}
