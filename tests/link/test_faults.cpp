// A unit that misbehaves: damaged, lost and late replies, a unit that goes mute in
// the middle of a transfer, and a port that disappears. The link must fail and
// never hand back a value the unit did not send.

#include "link/devicelinkmng.h"
#include "support/unitrig.h"

#include <QThread>

using namespace hvc;
using hvc::test::readEeprom;
using hvc::test::UnitRig;
using hvc::test::writeEeprom;

namespace {

constexpr std::int32_t kIMax1A = 0x030200;

struct Tally {
    int ok = 0;
    int failed = 0;
    int wrong = 0;
};

// Reads a word whose true value is `truth` again and again.
Tally hammer(UnitRig& rig, int reads, std::int32_t truth) {
    Tally t;
    for (int i = 0; i < reads; ++i) {
        std::int32_t value = -999;
        if (!rig.link.readE2(kIMax1A, value).ok()) {
            ++t.failed;
            t.wrong += value != -999;
        } else {
            ++t.ok;
            t.wrong += value != truth;
        }
    }
    return t;
}

} // namespace

TEST(Faults, DamagedRepliesFailAndNeverGiveAWrongValue) {
    UnitRig always;
    ASSERT_TRUE(always.start({QStringLiteral("--corrupt"), QStringLiteral("1")},
                             hvc::test::smallMap(), 150));
    const Tally all = hammer(always, 20, 800);
    EXPECT_EQ(all.ok, 0);
    EXPECT_EQ(all.wrong, 0);

    // Half the replies damaged: even three sends leave about one read in eight failed.
    UnitRig sometimes;
    ASSERT_TRUE(sometimes.start({QStringLiteral("--corrupt"), QStringLiteral("0.5"),
                                 QStringLiteral("--seed"), QStringLiteral("7")},
                                hvc::test::smallMap(), 150));
    const Tally some = hammer(sometimes, 150, 800);
    EXPECT_GT(some.ok, 0);
    EXPECT_GT(some.failed, 0);
    EXPECT_EQ(some.wrong, 0);
}

TEST(Faults, DroppedRequestsTimeOutAndTheLinkRecovers) {
    UnitRig rig;
    // Half the requests ignored: about one read in eight is ignored three times.
    ASSERT_TRUE(rig.start({QStringLiteral("--drop"), QStringLiteral("0.5"),
                           QStringLiteral("--seed"), QStringLiteral("11")},
                          hvc::test::smallMap(), 100));
    const Tally t = hammer(rig, 60, 800);
    EXPECT_GT(t.ok, 0);
    EXPECT_GT(t.failed, 0);
    EXPECT_EQ(t.wrong, 0);
}

TEST(Faults, ALateReplyIsNeverTakenForTheAnswerToANewerRequest) {
    UnitRig rig;
    writeEeprom(rig.eeprom(), {{QStringLiteral("0300.00"), 111}, {QStringLiteral("0302.00"), 222}});
    ASSERT_TRUE(
        rig.start({QStringLiteral("--delay"), QStringLiteral("300")}, hvc::test::smallMap(), 200));
    std::int32_t first = 0, second = 0;
    // A late try may still get its own reply in time; then it is the first word.
    const bool firstOk = rig.link.readE2(0x030000, first).ok();
    EXPECT_EQ(first, firstOk ? 111 : 0);
    // A reply to the first read (111) may arrive while the second waits for 222.
    if (rig.link.readE2(kIMax1A, second).ok())
        EXPECT_EQ(second, 222);
    else
        EXPECT_EQ(second, 0);
}

TEST(Faults, AReplyTooLateForOneProgramIsNotTakenByTheNext) {
    // Two programs one after the other on the same unit, as two hvcctl runs: the
    // first mostly gives up on its read just before the unit answers, the second
    // reads another word while that answer (111) is on its way.
    UnitRig rig;
    writeEeprom(rig.eeprom(), {{QStringLiteral("0300.00"), 111}, {QStringLiteral("0302.00"), 222}});
    ASSERT_TRUE(
        rig.start({QStringLiteral("--delay"), QStringLiteral("320")}, hvc::test::smallMap(), 300));
    rig.link.closeLink();
    PortTable ports;
    ports.set(1, rig.devicePath);
    const QString connection = QStringLiteral("GDB:1,300,#COM:1,9600,N,8,1");
    for (int run = 0; run < 3; ++run) {
        {
            DeviceLinkMng first(ports);
            ASSERT_TRUE(first.Open(connection)) << first.errorString().toStdString();
            // Its own tries may meet a reply in time; if so it is its own word.
            if (const auto mine = first.Par(0x0300, 0, DeviceLinkMng::kGetWord)) {
                EXPECT_EQ(*mine, 111) << "run " << run;
            }
        }
        DeviceLinkMng second(ports);
        ASSERT_TRUE(second.Open(connection)) << second.errorString().toStdString();
        const auto value = second.Par(0x0302, 0, DeviceLinkMng::kGetWord);
        if (value) {
            EXPECT_EQ(*value, 222) << "run " << run;
        }
    }
}

TEST(Faults, UnitGoingMuteStopsWriteAllWithWrittenValuesKept) {
    UnitRig rig;
    // Four writes are answered, the fifth is not.
    ASSERT_TRUE(rig.start({QStringLiteral("--mute-after"), QStringLiteral("4")},
                          hvc::test::smallMap(), 200));
    const auto before = readEeprom(rig.eeprom());
    QList<int> order; // positions in the order WriteAll sends them
    for (int i = 1; i <= rig.state.catalogue.VarCount(); ++i) {
        CVarData& r = rig.state.catalogue[i];
        if (r.PageMask != 11)
            continue;
        order << i;
        if (i != rig.state.catalogue.IdIndex(HvcId::HVC_NUM_PROP_REG))
            r.E2Value = r.DefaultValue + 5;
    }
    ASSERT_GT(order.size(), 5);
    EXPECT_FALSE(writeImage(rig.state, rig.writeMask()).ok());

    const auto after = readEeprom(rig.eeprom());
    for (int k = 0; k < order.size(); ++k) {
        const CVarData& r = rig.state.catalogue[order[k]];
        const QString at = r.AddressText();
        if (k < 4) {
            EXPECT_EQ(after.value(at), r.E2Value) << r.Name.toStdString();
            EXPECT_EQ(r.E2InECU, r.E2Value);
        } else {
            EXPECT_EQ(after.value(at), before.value(at)) << r.Name.toStdString();
            EXPECT_EQ(r.E2InECU, r.DefaultValue) << "marked written although it was not";
        }
    }
    EXPECT_EQ(after.size(), before.size());
}

TEST(Faults, UnitGoingMuteStopsReadAllWithReadValuesKept) {
    UnitRig rig;
    const QMap<QString, int> words = {{QStringLiteral("0100.00"), 201},
                                      {QStringLiteral("0200.00"), 4},
                                      {QStringLiteral("0300.00"), 301},
                                      {QStringLiteral("0302.00"), 801},
                                      {QStringLiteral("0308.00"), 302}};
    writeEeprom(rig.eeprom(), words);
    ASSERT_TRUE(rig.start({QStringLiteral("--mute-after"), QStringLiteral("3")},
                          hvc::test::smallMap(), 200));
    int refreshed = 0;
    rig.state.refreshShownPage = [&] { ++refreshed; };
    EXPECT_FALSE(readImage(rig.state, readKeyAll(rig.state)).ok());
    EXPECT_EQ(rig.var(HvcId::HVC_PROG_VERS).E2InECU, 201);
    EXPECT_EQ(rig.var(HvcId::HVC_NUM_PROP_REG).E2InECU, 4);
    EXPECT_EQ(rig.var(HvcId::HVC_I0_MIN).E2InECU, 301);
    EXPECT_EQ(rig.var(HvcId::HVC_I0_MAX).E2InECU, 800) << "the unit never sent this one";
    EXPECT_EQ(rig.var(HvcId::HVC_I2_MIN).E2InECU, 300);
    EXPECT_EQ(refreshed, 0);
    EXPECT_TRUE(rig.prompter.messages.isEmpty());
}

TEST(Faults, APortThatDisappearsFailsEveryLaterCall) {
    UnitRig rig;
    ASSERT_TRUE(rig.start({}, hvc::test::smallMap(), 300));
    std::int32_t value = 0;
    ASSERT_TRUE(rig.link.readE2(kIMax1A, value).ok());
    rig.sim.stop(); // the pseudo-terminal goes away, as a pulled USB adapter does
    value = -5;
    EXPECT_FALSE(rig.link.readE2(kIMax1A, value).ok());
    EXPECT_FALSE(rig.link.writeE2(kIMax1A, 1).ok());
    EXPECT_FALSE(rig.link.sendCommand(1024, QStringLiteral("1145130828")).ok());
    EXPECT_EQ(value, -5);
    EXPECT_EQ(rig.link.isLinkOpen(), true) << "closing is the caller's decision";
    rig.link.closeLink();
    EXPECT_FALSE(rig.link.openLink());
}
