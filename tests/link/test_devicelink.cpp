// The device link and the link procedures against hvc-sim on a real pseudo-terminal:
// the port table and connection string, the lock on the device, what each failure
// says and which requests are sent again, noisy, late and lost replies never giving a
// value the unit did not send, and the guarded procedures on a closed link.

#include "link/devicelinkmng.h"
#include "support/filebytes.h"
#include "support/unitrig.h"

#include <QDir>
#include <QRegularExpression>

using namespace hvc;
using hvc::test::UnitRig;
using hvc::test::writeEeprom;

namespace {

constexpr std::int32_t kIMin1A = 0x030000;    // 0300.00, 300 in a fresh unit
constexpr std::int32_t kIMax1A = 0x030200;    // 0302.00, 800 in a fresh unit
constexpr std::int32_t kJoyConfig = 0x061000; // -32768..65535: any word goes

QString connection(int com, int timeoutMs = 1000) {
    return QStringLiteral("GDB:1,%1,#COM:%2,9600,N,8,1").arg(timeoutMs).arg(com);
}

std::unique_ptr<DeviceLinkMng> openOn(const QString& path, int timeoutMs = 1000) {
    PortTable ports;
    ports.set(1, path);
    auto link = std::make_unique<DeviceLinkMng>(ports);
    link->open(connection(1, timeoutMs));
    return link;
}

// hvc-sim on the small map with a device link of the test's own.
std::unique_ptr<DeviceLinkMng> simLink(UnitRig& rig, const QStringList& simArgs, int timeoutMs) {
    if (!rig.start(simArgs, hvc::test::smallMap(), timeoutMs))
        return openOn(QString());
    rig.link.closeLink();
    auto link = openOn(rig.devicePath, timeoutMs);
    EXPECT_TRUE(link->isOpen()) << link->errorString().toStdString();
    return link;
}

} // namespace

TEST(DeviceLink, PortTableAndConnectionStringAreCheckedBeforeAnyPortIsTouched) {
    int n = 0;
    QString path;
    EXPECT_TRUE(PortTable::parseMapping(QStringLiteral("com12=/tmp/a=b"), n, path));
    for (const char* bad : {"COM0=/dev/x", "COM=/dev/x", "COM3=", "COM-1=/dev/x", "COM 3=/dev/x",
                            "LPT1=/dev/x", "COM3/dev/x", "COM3x=/dev/x"})
        EXPECT_FALSE(PortTable::parseMapping(QString::fromLatin1(bad), n, path)) << bad;
    PortTable table;
    table.set(2, QStringLiteral("/tmp/sim"));
    EXPECT_EQ(table.devicePath(4), QStringLiteral("/dev/ttyS3"));

    EXPECT_EQ(connectionString(3), connection(3));
    // A string the parse took wrongly would meet a missing device instead.
    table.set(1, QStringLiteral("/nonexistent/tty"));
    for (const char* bad : {"GDB:1,1000,#COM:x,9600,N,8,1", "GDB:1,1000,COM:1,9600,N,8,1",
                            "GDB:1,1000,#COM:1,9600,N,8", "GDB:1,1000,#COM:1,9600,X,8,1",
                            "gdb:1,1000,#COM:1,9600,N,8,1", "GDB:1,1000,#COM:1,9600,N,8,1,", ""}) {
        DeviceLinkMng link(table);
        EXPECT_FALSE(link.open(QString::fromLatin1(bad))) << bad;
        EXPECT_EQ(link.lastFailure(), DeviceLinkMng::Failure::Usage) << bad;
    }
}

TEST(DeviceLink, EverySpellingOfTheDeviceMeetsTheSameLock) {
    QTemporaryDir dir;
    const QString symlink = dir.filePath(QStringLiteral("unit"));
    SimProcess sim;
    const QString device = sim.start({QStringLiteral("--link"), symlink});
    ASSERT_FALSE(device.isEmpty()) << sim.errorString().toStdString();
    auto first = openOn(symlink);
    ASSERT_TRUE(first->isOpen()) << first->errorString().toStdString();
    EXPECT_EQ(first->devicePath(), device) << "the symbolic link is resolved";
    for (const QString& path : {device, QDir::current().relativeFilePath(device), symlink}) {
        auto second = openOn(path);
        EXPECT_FALSE(second->isOpen()) << path.toStdString();
        EXPECT_EQ(second->lastFailure(), DeviceLinkMng::Failure::PortBusy);
        EXPECT_EQ(second->errorString(),
                  QStringLiteral("port busy: %1 is open in another program").arg(device));
    }
    EXPECT_TRUE(first->readWord(0x0302, 0).has_value()) << "undisturbed";
    // Opening anew on the same object drops its own lock first; closing frees the device.
    EXPECT_TRUE(first->open(connection(1))) << first->errorString().toStdString();
    first.reset();
    EXPECT_TRUE(openOn(device)->isOpen());
}

TEST(DeviceLink, EachFailureSaysWhyAndOnlyWordReadsAndWritesAreSentAgain) {
    const QStringList mute{QStringLiteral("--mute-after"), QStringLiteral("0")};
    const QStringList damaged{QStringLiteral("--corrupt"), QStringLiteral("1")};
    // Which bit was hit decides how the last reply failed: a damaged sync byte or
    // kind leaves no frame at all.
    const QString garbled = QStringLiteral("(CRC error in the reply|malformed reply) ");
    enum { Get, Put, Cmd };
    const struct {
        QStringList sim;
        int form, address, sub;
        int value;
        const char* text;
        QString error; // a regular expression of the whole text
        int retries;
    } cases[] = {
        {mute, Get, 0x0302, 0, 0, "", "time-out after 100 ms reading 0302\\.00 \\(3 tries\\)", 2},
        {mute, Put, 0x0300, 0, -2, "", "time-out after 100 ms writing 0300\\.00 \\(3 tries\\)", 2},
        // A command may not be harmless twice: it is sent once.
        {mute, Cmd, 1024, 4, 0, "x", "time-out after 100 ms sending command 0400\\.04", 0},
        {damaged, Get, 0x0302, 0, 0, "", garbled + "reading 0302\\.00 \\(3 tries\\)", 2},
        {damaged, Put, 0x0300, 0, 5, "", garbled + "writing 0300\\.00 \\(3 tries\\)", 2},
        // An error reply is an answer: not sent again.
        {{}, Get, 0x9999, 0, 0, "", "unknown address reading 9999\\.00", 0},
        {{}, Get, 0x0700, 0, 0, "", "unknown address reading 0700\\.00", 0},
        {{}, Put, 0xFDEA, 0, 1, "", "refused writing FDEA\\.00", 0},
        {{}, Cmd, 1024, 4, 0, "wrong", "refused sending command 0400\\.04", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error.toStdString());
        UnitRig rig;
        auto link = simLink(rig, c.sim, c.sim == mute ? 100 : 300);
        const bool done = c.form == Get   ? link->readWord(c.address, c.sub).has_value()
                          : c.form == Put ? link->writeWord(c.address, c.sub, c.value)
                                          : link->sendCommand(c.address, QLatin1String(c.text));
        EXPECT_FALSE(done);
        EXPECT_TRUE(QRegularExpression(QLatin1Char('^') + c.error + QLatin1Char('$'))
                        .match(link->errorString())
                        .hasMatch())
            << link->errorString().toStdString();
        EXPECT_EQ(link->retries(), c.retries);
        if (c.sim.isEmpty()) { // a success clears the last failure
            EXPECT_EQ(link->readWord(0x0302, 0), 800);
            EXPECT_TRUE(link->errorString().isEmpty());
        }
        ASSERT_TRUE(link->open(connection(1, 100)));
        EXPECT_EQ(link->retries(), 0) << "Open starts the count over";
        EXPECT_EQ(link->lastFailure(), DeviceLinkMng::Failure::None);
    }
}

TEST(DeviceLink, NoisyLinesAreRetriedAndNeverGiveAWrongValue) {
    const struct {
        const char* sim;
        int timeoutMs, rounds, minFailed, maxFailed;
    } cases[] = {
        // One in five replies damaged: without a retry about 40 of 200 exchanges fail,
        // with two retries about 1 in 125 does.
        {"--corrupt 0.2", 300, 100, 0, 10},
        {"--corrupt 0.5 --seed 7", 150, 60, 1, 60},
        {"--drop 0.5 --seed 11", 100, 40, 1, 40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sim);
        UnitRig rig;
        const QString log = rig.dir.filePath(QStringLiteral("sim.log"));
        rig.sim.setStandardErrorFile(log);
        const QStringList sim = QString::fromLatin1(c.sim).split(u' ') << "--verbose";
        ASSERT_TRUE(rig.start(sim, hvc::test::smallMap(), c.timeoutMs));
        int failed = 0, wrong = 0;
        for (int i = 0; i < c.rounds; ++i) {
            std::int32_t value = -999;
            const bool ok = rig.link.readE2(kIMax1A, value).ok();
            failed += !ok;
            wrong += value != (ok ? 800 : -999);
            failed += !rig.link.writeE2(kIMin1A, 300 + i % 7).ok();
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_GE(failed, c.minFailed);
        EXPECT_LE(failed, c.maxFailed);
        const int retries = rig.link.retries();
        rig.sim.stop();
        // Every damaged reply cost one more send, except the third of a failed exchange.
        if (sim.first() == QStringLiteral("--corrupt")) {
            const int flips = static_cast<int>(hvc::testutil::readBytes(log).count("flipped"));
            EXPECT_EQ(retries, flips - failed);
        }
    }
}

TEST(DeviceLink, ABlockIsTakenWholeOrNotAtAllAndAnOlderUnitGetsOneWordPerExchange) {
    QList<std::int32_t> addresses, expected;
    for (auto it = hvc::test::kUnitWords.cbegin(); it != hvc::test::kUnitWords.cend(); ++it) {
        std::int32_t a = 0;
        ASSERT_TRUE(parseAddressText(it.key(), a));
        addresses << a;
        expected << it.value();
    }
    for (const char* sim : {"--corrupt 0.4 --seed 5", "--single-word-only"}) {
        SCOPED_TRACE(sim);
        UnitRig rig;
        writeEeprom(rig.eeprom(), hvc::test::kUnitWords);
        ASSERT_TRUE(rig.start(QString::fromLatin1(sim).split(u' '), hvc::test::smallMap(), 300));
        int failed = 0;
        for (int round = 0; round < 15; ++round) {
            QList<std::int32_t> values;
            failed += !rig.link.readE2Words(addresses, values).ok();
            EXPECT_EQ(values, expected.first(values.size())) << "a word of a damaged block taken";
        }
        EXPECT_LE(failed, 2);
        // The older unit refuses the first block; from then on one word per exchange.
        if (sim[2] == 's')
            EXPECT_EQ(rig.link.blockExchanges(), 1);
        else
            EXPECT_GE(rig.link.blockExchanges(), 15);
    }
    // A word the unit refuses ends a block write there: the words before it are kept.
    UnitRig rig;
    ASSERT_TRUE(rig.start({}, hvc::test::smallMap()));
    QList<std::int32_t> values;
    ASSERT_TRUE(rig.link.readE2Words({kJoyConfig}, values).ok());
    const std::int32_t joyConfig = values.value(0);
    int written = -1;
    const Status status =
        rig.link.writeE2Words({kIMin1A, kIMax1A, 0xFDEA00, kJoyConfig}, {301, 802, 1, 5}, written);
    EXPECT_EQ(status.detail(), QStringLiteral("refused writing FDEA.00"));
    EXPECT_EQ(written, 2);
    ASSERT_TRUE(rig.link.readE2Words({kIMin1A, kIMax1A, kJoyConfig}, values).ok());
    EXPECT_EQ(values, (QList<std::int32_t>{301, 802, joyConfig}));
    EXPECT_EQ(rig.link.blockExchanges(), 3);
}

TEST(DeviceLink, ALateReplyIsNeverTakenForTheAnswerToANewerRequest) {
    const QMap<QString, int> words{{QStringLiteral("0300.00"), 111},
                                   {QStringLiteral("0302.00"), 222}};
    UnitRig rig;
    writeEeprom(rig.eeprom(), words);
    ASSERT_TRUE(
        rig.start({QStringLiteral("--delay"), QStringLiteral("300")}, hvc::test::smallMap(), 200));
    // A try may still meet its own reply in time; a reply to the first read (111)
    // may arrive while the second waits for 222.
    std::int32_t first = 0, second = 0;
    EXPECT_EQ(first, rig.link.readE2(kIMin1A, first).ok() ? 111 : 0);
    EXPECT_EQ(second, rig.link.readE2(kIMax1A, second).ok() ? 222 : 0);
}

TEST(DeviceLink, APortThatWentAwayFailsEveryLaterCallAndIsNotRetried) {
    UnitRig rig;
    ASSERT_TRUE(rig.start({}, hvc::test::smallMap(), 300));
    std::int32_t value = 0;
    ASSERT_TRUE(rig.link.readE2(kIMax1A, value).ok());
    rig.sim.stop(); // the pseudo-terminal goes away, as a pulled USB adapter does
    value = -5;
    const Status read = rig.link.readE2(kIMax1A, value);
    EXPECT_TRUE(read.detail().startsWith(QStringLiteral("port closed")))
        << read.detail().toStdString();
    EXPECT_FALSE(rig.link.writeE2(kIMax1A, 1).ok());
    EXPECT_FALSE(rig.link.sendCommand(1024, QStringLiteral("1145130828")).ok());
    EXPECT_EQ(value, -5);
    EXPECT_EQ(rig.link.retries(), 0);
}

TEST(LinkProcedures, WordsCrossTheLinkAsSignedSixteenBits) {
    UnitRig rig;
    ASSERT_TRUE(rig.start());
    const std::pair<std::int32_t, std::int32_t> cases[] = {
        {65535, -1}, {-1, -1}, {0x1FFFF, -1}, {40000, -25536}, {0x8000, -32768}, {300, 300}};
    for (const auto& [written, read] : cases) {
        ASSERT_TRUE(rig.link.writeE2(kJoyConfig, written).ok());
        std::int32_t value = 12345;
        ASSERT_TRUE(rig.link.readE2(kJoyConfig, value).ok());
        EXPECT_EQ(value, read) << "written " << written;
    }
    EXPECT_EQ(hvc::test::readEeprom(rig.eeprom()).value(QStringLiteral("0610.00")), 300);
    // A RAM word at sub-code 3 of unit address 0700.
    std::int32_t value = 0;
    ASSERT_TRUE(rig.link.writeRam(0x070003, 44).ok());
    ASSERT_TRUE(rig.link.readRam(0x070003, value).ok());
    EXPECT_EQ(value, 44);
}

TEST(LinkProcedures, AClosedLinkDoesNothingInTheGuardedProcedures) {
    UnitRig rig;
    ASSERT_TRUE(rig.start());
    rig.link.closeLink();
    EXPECT_FALSE(rig.link.isLinkOpen());
    std::int32_t value = 4321;
    EXPECT_TRUE(rig.link.readE2(kIMin1A, value).ok());
    EXPECT_EQ(value, 4321);
    EXPECT_TRUE(rig.link.writeE2(kIMin1A, 999).ok());
    // The unguarded procedures fail instead.
    EXPECT_FALSE(rig.link.devRead(kIMin1A, value).ok());
    EXPECT_FALSE(rig.link.sendCommand(1024, QStringLiteral("1145130828")).ok());
    ASSERT_TRUE(rig.link.openLink());
    ASSERT_TRUE(rig.link.readE2(kIMin1A, value).ok());
    EXPECT_EQ(value, 300) << "the write on the closed link reached the unit";
}
