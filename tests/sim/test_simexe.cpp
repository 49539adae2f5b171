// hvc-sim as a program: its device path, the --link symlink, signals, options,
// and an EEPROM image that holds every acknowledged write.

#include "support/unitrig.h"

#include <QFileInfo>
#include <QProcess>
#include <csignal>
#include <sys/stat.h>

using namespace hvc;
using hvc::test::readEeprom;
using hvc::test::UnitRig;

TEST(SimExecutable, LinkIsMadeAndRemovedOnEveryCleanEnd) {
    QTemporaryDir dir;
    for (int sig : {SIGTERM, SIGINT}) {
        const QString link = dir.filePath(QStringLiteral("unit"));
        SimProcess sim;
        const QString path = sim.start({QStringLiteral("--link"), link});
        ASSERT_FALSE(path.isEmpty()) << sim.errorString().toStdString();
        EXPECT_TRUE(path.startsWith(QStringLiteral("/dev/pts/")));
        EXPECT_EQ(QFileInfo(link).symLinkTarget(), path);
        ASSERT_TRUE(sim.sendSignal(sig));
        EXPECT_EQ(sim.stop(), 0) << "signal " << sig;
        EXPECT_FALSE(QFileInfo::exists(link) || QFileInfo(link).isSymLink());
    }
}

TEST(SimExecutable, BadOptionsEndWithUsageErrors) {
    for (const char* bad :
         {"--drop 2", "--scenario storm", "--delay -3", "--ramlist /nonexistent/Ramlist.ini"}) {
        const QStringList args = QString::fromLatin1(bad).split(u' ');
        QProcess p;
        p.start(SimProcess::executablePath(), args);
        ASSERT_TRUE(p.waitForFinished(5000));
        EXPECT_EQ(p.exitCode(), 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
    }
}

TEST(SimExecutable, TheEepromImageIsARegularFileAndALinkToItStays) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QProcess p;
    p.start(SimProcess::executablePath(), {QStringLiteral("--eeprom"), fifo});
    ASSERT_TRUE(p.waitForFinished(5000)) << "a FIFO must not hold the simulator";
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_TRUE(p.readAllStandardError().contains("is not a regular file"));
    // A link to an image still to be made: the image is made, the link stays.
    const QString link = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("image")), link));
    SimProcess sim;
    ASSERT_FALSE(sim.start({QStringLiteral("--eeprom"), link}).isEmpty());
    EXPECT_EQ(sim.stop(), 0);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_FALSE(readEeprom(dir.filePath(QStringLiteral("image"))).isEmpty());
}

TEST(SimExecutable, EveryAcknowledgedWriteSurvivesAKill) {
    UnitRig rig;
    ASSERT_TRUE(rig.start());
    for (int v = 400; v < 420; ++v)
        ASSERT_TRUE(rig.link.writeE2(0x030000, v).ok());
    ::kill(static_cast<pid_t>(rig.sim.processId()), SIGKILL);
    rig.sim.stop();
    const auto words = readEeprom(rig.eeprom());
    EXPECT_EQ(words.value(QStringLiteral("0300.00")), 419);
    EXPECT_EQ(words.size(), 10) << "every EEPROM word of the map is in the image";
    EXPECT_FALSE(QFileInfo::exists(rig.eeprom() + QStringLiteral(".tmp")));
}
