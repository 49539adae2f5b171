#include "link/devicelinkmng.h"
#include "support/unitrig.h"

#include <QThread>

using namespace hvc;
using hvc::test::UnitRig;

namespace {
constexpr std::int32_t kJoyConfig = 0x061000; // -32768..65535: any word goes
constexpr std::int32_t kIMin1A = 0x030000;
} // namespace

TEST(PortTable, MappingsAndDefaultDevicePaths) {
    int n = 0;
    QString path;
    EXPECT_TRUE(PortTable::parseMapping(QStringLiteral("COM3=/dev/ttyUSB0"), n, path));
    EXPECT_EQ(n, 3);
    EXPECT_EQ(path, QStringLiteral("/dev/ttyUSB0"));
    EXPECT_TRUE(PortTable::parseMapping(QStringLiteral("com12=/tmp/a=b"), n, path));
    EXPECT_EQ(n, 12);
    EXPECT_EQ(path, QStringLiteral("/tmp/a=b"));
    for (const char* bad : {"COM0=/dev/x", "COM=/dev/x", "COM3=", "COM-1=/dev/x", "COM 3=/dev/x",
                            "LPT1=/dev/x", "COM3/dev/x", "COM3x=/dev/x"})
        EXPECT_FALSE(PortTable::parseMapping(QString::fromLatin1(bad), n, path)) << bad;

    PortTable table;
    table.set(2, QStringLiteral("/tmp/sim"));
    EXPECT_EQ(table.devicePath(2), QStringLiteral("/tmp/sim"));
    EXPECT_EQ(table.devicePath(1), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(table.devicePath(4), QStringLiteral("/dev/ttyS3"));
    EXPECT_TRUE(table.devicePath(0).isEmpty());
}

TEST(DeviceLinkMng, ConnectionStringIsCheckedBeforeAnyPortIsTouched) {
    EXPECT_EQ(ConnectionString(3), QStringLiteral("GDB:1,1000,#COM:3,9600,N,8,1"));
    const auto s = ConnectionSettings::parse(ConnectionString(3));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->comPort, 3);
    EXPECT_EQ(s->timeoutMs, 1000);
    EXPECT_EQ(s->baud, 9600);

    UnitRig rig;
    ASSERT_TRUE(rig.start());
    rig.link.closeLink(); // one program at a time holds the port
    PortTable table;
    table.set(1, rig.devicePath);
    for (const char* bad : {"GDB:1,1000,#COM:x,9600,N,8,1", "GDB:1,1000,COM:1,9600,N,8,1",
                            "GDB:1,1000,#COM:1,9600,N,8", "GDB:1,1000,#COM:1,9600,X,8,1",
                            "gdb:1,1000,#COM:1,9600,N,8,1", "GDB:1,1000,#COM:1,9600,N,8,1,", ""}) {
        DeviceLinkMng link(table);
        EXPECT_FALSE(link.Open(QString::fromLatin1(bad))) << bad;
    }
    DeviceLinkMng good(table);
    EXPECT_TRUE(good.Open(ConnectionString(1))) << good.errorString().toStdString();
}

TEST(LinkProcedures, WordsCrossTheLinkAsSignedSixteenBits) {
    static_assert(ReduceToWord(0x1FFFF) == -1 && ReduceToWord(0x8000) == -32768 &&
                  ReduceToWord(40000) == -25536 && ReduceToWord(65535) == -1 &&
                  ReduceToWord(-1) == -1 && ReduceToWord(300) == 300);
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
    // What the unit stores is the same 16-bit word, whatever the form it was given in.
    EXPECT_EQ(hvc::test::readEeprom(rig.eeprom()).value(QStringLiteral("0610.00")), 300);
}

TEST(LinkProcedures, ErrorRepliesFailLeaveTheValueAndKeepTheLinkUsable) {
    UnitRig rig;
    ASSERT_TRUE(rig.start());
    std::int32_t value = 0;
    ASSERT_TRUE(rig.link.readRam(0x070003, value).ok()); // unit address 0700, sub-code 03
    EXPECT_EQ(value, 33);
    ASSERT_TRUE(rig.link.writeRam(0x070003, 44).ok());
    ASSERT_TRUE(rig.link.readRam(0x070003, value).ok());
    EXPECT_EQ(value, 44);
    EXPECT_FALSE(rig.link.readRam(0x070000, value).ok());
    EXPECT_FALSE(rig.link.readRam(0x000703, value).ok());
    EXPECT_FALSE(rig.link.writeE2(0xFDEA00, 1).ok()) << "identity is read-only";
    EXPECT_EQ(value, 44);
    ASSERT_TRUE(rig.link.readE2(kIMin1A, value).ok());
    EXPECT_EQ(value, 300);
}

TEST(LinkProcedures, ClosedLinkCallsDoNothingAndReportSuccess) {
    UnitRig rig;
    ASSERT_TRUE(rig.start());
    rig.link.closeLink();
    EXPECT_EQ(rig.link.isLinkOpen(), false);
    std::int32_t value = 4321;
    EXPECT_TRUE(rig.link.readE2(kIMin1A, value).ok());
    EXPECT_TRUE(rig.link.readRam(kIMin1A, value).ok());
    EXPECT_EQ(value, 4321);
    EXPECT_TRUE(rig.link.writeE2(kIMin1A, 999).ok());
    EXPECT_TRUE(rig.link.writeRam(kIMin1A, 999).ok());
    // The unguarded procedures fail instead.
    EXPECT_FALSE(rig.link.devRead(kIMin1A, value).ok());
    EXPECT_FALSE(rig.link.sendCommand(1024, QStringLiteral("1145130828")).ok());

    ASSERT_TRUE(rig.link.openLink());
    ASSERT_TRUE(rig.link.readE2(kIMin1A, value).ok());
    EXPECT_EQ(value, 300) << "the write on the closed link reached the unit";
}

TEST(LinkProcedures, OpenFailureIsReportedForASelectedPortOnly) {
    ScriptedPrompter prompter;
    PortTable table;
    table.set(3, QStringLiteral("/nonexistent/hvc-port"));
    LinkProcedures link(table, prompter);
    link.setPort(3);
    EXPECT_FALSE(link.openLink().ok());
    EXPECT_EQ(link.isLinkOpen(), false);
    EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("Can't Open COM 3")});

    link.setPort(0);
    EXPECT_FALSE(link.openLink().ok());
    EXPECT_EQ(prompter.messages.size(), 1);
    EXPECT_FALSE(link.devOpen().ok());
}

TEST(LinkProcedures, CommandGetsFiveSecondsThenTheTimeOutReturns) {
    // Every reply comes 1.5 s late: within the command's 5000 ms, beyond the 1000 ms
    // the reads get before and after it.
    UnitRig rig;
    ASSERT_TRUE(rig.start({QStringLiteral("--delay"), QStringLiteral("1500")}));
    rig.link.setTimeout(1000);
    EXPECT_TRUE(rig.link.sendCommand(1024, QStringLiteral("1145130828")).ok());
    std::int32_t value = 0;
    EXPECT_FALSE(rig.link.readE2(kIMin1A, value).ok());
    QThread::msleep(800); // the late reply arrives and is thrown away by the next exchange
    // A refused command fails, and the time-out is back at 1000 ms, not 5000.
    EXPECT_FALSE(rig.link.sendCommand(1024, QStringLiteral("0")).ok());
    EXPECT_FALSE(rig.link.readE2(kIMin1A, value).ok());
}
