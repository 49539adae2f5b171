// The device link against hvc-sim on a real pseudo-terminal: the lock on the
// device, the retry rule for lost and damaged replies, and what errorString()
// says when an exchange fails.

#include "link/devicelinkmng.h"
#include "sim/simprocess.h"
#include "support/unitrig.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

using namespace hvc;
using hvc::test::writeEeprom;

namespace {

using Failure = DeviceLinkMng::Failure;

constexpr int kIMinUnit = 0x0300; // I Min 1A, 0300.00
constexpr int kIMaxUnit = 0x0302; // I Max 1A, 0302.00

// hvc-sim on the small map, with its EEPROM image in a temporary folder.
struct Sim {
    QTemporaryDir dir;
    SimProcess process;
    QString device;
    QString eeprom() const { return dir.filePath(QStringLiteral("eeprom.txt")); }
    QString link() const { return dir.filePath(QStringLiteral("unit")); }

    explicit Sim(const QStringList& args = {}, const QMap<QString, int>& words = {}) {
        if (!words.isEmpty())
            writeEeprom(eeprom(), words);
        device = process.start(args + QStringList{QStringLiteral("--ramlist"),
                                                  hvc::test::smallMap(), QStringLiteral("--eeprom"),
                                                  eeprom(), QStringLiteral("--link"), link()});
        EXPECT_FALSE(device.isEmpty()) << process.errorString().toStdString();
    }
};

std::shared_ptr<DeviceLinkMng> openOn(const QString& path, int timeoutMs = 1000) {
    PortTable ports;
    ports.set(3, path);
    auto link = std::make_shared<DeviceLinkMng>(ports);
    link->Open(QStringLiteral("GDB:1,%1,#COM:3,9600,N,8,1").arg(timeoutMs));
    return link;
}

} // namespace

TEST(DeviceLinkLock, EverySpellingOfTheDeviceMeetsTheSameLock) {
    Sim sim;
    auto first = openOn(sim.link());
    ASSERT_TRUE(first->isOpen()) << first->errorString().toStdString();
    EXPECT_EQ(first->devicePath(), sim.device) << "the symbolic link is resolved";

    // The device path itself, and a relative spelling of it.
    const QString relative = QDir::current().relativeFilePath(sim.device);
    for (const QString& path : {sim.device, relative, sim.link()}) {
        auto second = openOn(path);
        EXPECT_FALSE(second->isOpen()) << path.toStdString();
        EXPECT_EQ(second->lastFailure(), Failure::PortBusy);
        EXPECT_EQ(second->errorString(),
                  QStringLiteral("port busy: %1 is open in another program").arg(sim.device));
    }
    // The one that has it keeps working.
    EXPECT_TRUE(first->Par(kIMaxUnit, 0, DeviceLinkMng::kGetWord).has_value());

    // Closing gives the device free.
    first.reset();
    auto again = openOn(sim.device);
    EXPECT_TRUE(again->isOpen()) << again->errorString().toStdString();
    // Opening anew on the same object drops its own lock first.
    EXPECT_TRUE(again->Open(QStringLiteral("GDB:1,1000,#COM:3,9600,N,8,1")))
        << again->errorString().toStdString();
}

TEST(DeviceLinkLock, ADeviceThatIsNotThereIsNoBusyPort) {
    auto link = openOn(QStringLiteral("/nonexistent/tty"));
    EXPECT_FALSE(link->isOpen());
    EXPECT_EQ(link->lastFailure(), Failure::OpenFailed);
    EXPECT_TRUE(link->errorString().startsWith(QStringLiteral("/nonexistent/tty")))
        << link->errorString().toStdString();
}

TEST(DeviceLinkRetries, DamagedRepliesAreSentAgainAndNothingElseIs) {
    QTemporaryDir logDir;
    const QString log = logDir.filePath(QStringLiteral("sim.log"));
    Sim sim;
    sim.process.stop();
    sim.process.setStandardErrorFile(log);
    sim.device = sim.process.start({QStringLiteral("--ramlist"), hvc::test::smallMap(),
                                    QStringLiteral("--corrupt"), QStringLiteral("0.2"),
                                    QStringLiteral("--verbose")});
    ASSERT_FALSE(sim.device.isEmpty());
    auto link = openOn(sim.device, 300);
    ASSERT_TRUE(link->isOpen());

    // One in five replies damaged: without a retry about 40 of 200 exchanges fail;
    // with two retries about 1 in 125 does.
    int failed = 0, wrong = 0;
    for (int i = 0; i < 100; ++i) {
        const auto value = link->Par(kIMaxUnit, 0, DeviceLinkMng::kGetWord);
        failed += !value;
        wrong += value && *value != 800;
        failed += !link->Par(kIMinUnit, 0, DeviceLinkMng::kPutWord, QVariant(300 + i % 7));
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_LE(failed, 10);
    const auto counted = link->retries();
    sim.process.stop();

    // Every damaged reply cost one more send, except the third of a failed exchange.
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const int damaged = static_cast<int>(f.readAll().count("flipped"));
    EXPECT_GT(damaged, 0);
    EXPECT_EQ(counted, damaged - failed);
}

TEST(DeviceLinkRetries, ASilentUnitFailsAfterThreeSends) {
    Sim sim({QStringLiteral("--mute-after"), QStringLiteral("0")});
    auto link = openOn(sim.device, 100);
    ASSERT_TRUE(link->isOpen());
    EXPECT_FALSE(link->Par(kIMaxUnit, 0, DeviceLinkMng::kGetWord));
    EXPECT_EQ(link->lastFailure(), Failure::TimeOut);
    EXPECT_EQ(link->errorString(),
              QStringLiteral("time-out after 100 ms reading 0302.00 (3 tries)"));
    EXPECT_EQ(link->retries(), DeviceLinkMng::kTries - 1);

    EXPECT_FALSE(link->Par(kIMinUnit, 0, DeviceLinkMng::kPutWord, QVariant(-2)));
    EXPECT_EQ(link->errorString(),
              QStringLiteral("time-out after 100 ms writing 0300.00 (3 tries)"));
    // A command may not be harmless twice: it is sent once.
    EXPECT_FALSE(link->Par(1024, 4, DeviceLinkMng::kCommand, QVariant(QStringLiteral("x"))));
    EXPECT_EQ(link->errorString(), QStringLiteral("time-out after 100 ms sending command 0400.04"));
    EXPECT_EQ(link->retries(), 2 * (DeviceLinkMng::kTries - 1));

    // Open starts the count over.
    ASSERT_TRUE(link->Open(QStringLiteral("GDB:1,100,#COM:3,9600,N,8,1")));
    EXPECT_EQ(link->retries(), 0);
    EXPECT_EQ(link->lastFailure(), Failure::None);
}

TEST(DeviceLinkRetries, AnErrorReplyIsAnAnswerAndNotSentAgain) {
    Sim sim;
    auto link = openOn(sim.device, 300);
    ASSERT_TRUE(link->isOpen());
    EXPECT_FALSE(link->Par(0x9999, 0, DeviceLinkMng::kGetWord));
    EXPECT_EQ(link->lastFailure(), Failure::ErrorReply);
    EXPECT_EQ(link->errorString(), QStringLiteral("unknown address reading 9999.00"));
    EXPECT_FALSE(link->Par(1024, 4, DeviceLinkMng::kCommand, QVariant(QStringLiteral("wrong"))));
    EXPECT_EQ(link->errorString(), QStringLiteral("refused sending command 0400.04"));
    EXPECT_EQ(link->retries(), 0);
    // A success clears the last failure.
    EXPECT_EQ(link->Par(kIMaxUnit, 0, DeviceLinkMng::kGetWord), 800);
    EXPECT_EQ(link->lastFailure(), Failure::None);
    EXPECT_TRUE(link->errorString().isEmpty());
}

TEST(DeviceLinkRetries, EveryReplyDamagedSaysSoAfterThreeSends) {
    Sim sim({QStringLiteral("--corrupt"), QStringLiteral("1")});
    auto link = openOn(sim.device, 300);
    ASSERT_TRUE(link->isOpen());
    // Which bit was hit decides how the last reply failed: a damaged sync byte or
    // kind leaves no frame at all.
    static const QRegularExpression read(QStringLiteral(
        R"(^(CRC error in the reply|malformed reply) reading 0302\.00 \(3 tries\)$)"));
    static const QRegularExpression write(QStringLiteral(
        R"(^(CRC error in the reply|malformed reply) writing 0300\.00 \(3 tries\)$)"));
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(link->Par(kIMaxUnit, 0, DeviceLinkMng::kGetWord));
        EXPECT_TRUE(read.match(link->errorString()).hasMatch())
            << link->errorString().toStdString();
        EXPECT_FALSE(link->Par(kIMinUnit, 0, DeviceLinkMng::kPutWord, QVariant(5)));
        EXPECT_TRUE(write.match(link->errorString()).hasMatch())
            << link->errorString().toStdString();
    }
    EXPECT_EQ(link->retries(), 8 * (DeviceLinkMng::kTries - 1));
}

TEST(DeviceLinkRetries, APortThatWentAwaySaysPortClosedAndIsNotRetried) {
    Sim sim;
    auto link = openOn(sim.device, 300);
    ASSERT_TRUE(link->isOpen());
    sim.process.stop();
    EXPECT_FALSE(link->Par(kIMaxUnit, 0, DeviceLinkMng::kGetWord));
    EXPECT_EQ(link->lastFailure(), Failure::PortClosed);
    EXPECT_TRUE(link->errorString().startsWith(QStringLiteral("port closed")))
        << link->errorString().toStdString();
    EXPECT_EQ(link->retries(), 0);
    EXPECT_FALSE(link->Par(kIMaxUnit, 0, DeviceLinkMng::kGetWord));
    EXPECT_EQ(link->errorString(), QStringLiteral("port closed"));
}
