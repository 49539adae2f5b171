// The simulated unit's memory: a running machine whose live words agree with
// each other and with the unit's configuration.

#include "sim/simunit.h"
#include "support/paths.h"

#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace hvc;
using namespace std::chrono_literals;

namespace {

QString shippedMap() {
    return hvc::test::sourcePath("res/ini/Ramlist.ini");
}

struct Machine {
    SimUnit unit;
    SimUnit::Clock::time_point t0 = SimUnit::Clock::now();

    explicit Machine(bool faults = false) {
        QString error;
        EXPECT_TRUE(unit.load(shippedMap(), error)) << error.toStdString();
        unit.setFaultScenario(faults);
        unit.setSeed(3);
        unit.powerCycle(t0);
    }
    std::int32_t address(HvcId id) const { return unit.catalogue().Find(id)->Address; }
    int ram(HvcId id, double seconds) {
        const auto at = t0 + std::chrono::duration_cast<SimUnit::Clock::duration>(
                                 std::chrono::duration<double>(seconds));
        return *unit.read(address(id), at);
    }
    int eeprom(HvcId id) { return static_cast<std::int16_t>(*unit.read(address(id), t0)); }
    void set(HvcId id, int value) {
        ASSERT_FALSE(unit.write(address(id), static_cast<std::uint16_t>(value)));
    }
};

constexpr HvcId kJoy[4] = {HvcId::HVC_JOY0_VALUE, HvcId::HVC_JOY1_VALUE, HvcId::HVC_JOY2_VALUE,
                           HvcId::HVC_JOY3_VALUE};
constexpr HvcId kMeasure[4] = {HvcId::HVC_I0_MEASURE_400, HvcId::HVC_I1_MEASURE_400,
                               HvcId::HVC_I2_MEASURE_400, HvcId::HVC_I3_MEASURE_400};
constexpr HvcId kMin[8] = {HvcId::HVC_I0_MIN, HvcId::HVC_I1_MIN, HvcId::HVC_I2_MIN,
                           HvcId::HVC_I3_MIN, HvcId::HVC_I4_MIN, HvcId::HVC_I5_MIN,
                           HvcId::HVC_I6_MIN, HvcId::HVC_I7_MIN};
constexpr HvcId kMax[8] = {HvcId::HVC_I0_MAX, HvcId::HVC_I1_MAX, HvcId::HVC_I2_MAX,
                           HvcId::HVC_I3_MAX, HvcId::HVC_I4_MAX, HvcId::HVC_I5_MAX,
                           HvcId::HVC_I6_MAX, HvcId::HVC_I7_MAX};

constexpr HvcId kRise[8] = {HvcId::HVC_RAMP_TRISE_0, HvcId::HVC_RAMP_TRISE_1,
                            HvcId::HVC_RAMP_TRISE_2, HvcId::HVC_RAMP_TRISE_3,
                            HvcId::HVC_RAMP_TRISE_4, HvcId::HVC_RAMP_TRISE_5,
                            HvcId::HVC_RAMP_TRISE_6, HvcId::HVC_RAMP_TRISE_7};
constexpr HvcId kFall[8] = {HvcId::HVC_RAMP_TFALL_0, HvcId::HVC_RAMP_TFALL_1,
                            HvcId::HVC_RAMP_TFALL_2, HvcId::HVC_RAMP_TFALL_3,
                            HvcId::HVC_RAMP_TFALL_4, HvcId::HVC_RAMP_TFALL_5,
                            HvcId::HVC_RAMP_TFALL_6, HvcId::HVC_RAMP_TFALL_7};

} // namespace

TEST(SimUnit, LiveWordsAgreeWithTheJoysticksAndTheConfiguredCurrents) {
    Machine m;
    // Side B of section 2 gets its own limits, so a current taken from the wrong
    // side shows; without ramps the valves follow the joysticks at once.
    m.set(HvcId::HVC_I3_MIN, 100);
    m.set(HvcId::HVC_I3_MAX, 200);
    for (int k = 0; k < 8; ++k) {
        m.set(kRise[k], 0);
        m.set(kFall[k], 0);
    }
    const int deadMan = m.eeprom(HvcId::HVC_FLOAT_CONFIG_1) & 0xF;
    ASSERT_GE(deadMan, 1);
    bool seenA[4] = {}, seenB[4] = {}, seenFull[4] = {};
    for (double t = 0; t < 30; t += 0.05) {
        const int outputs = m.ram(HvcId::HVC_HSD_MONITOR, t);
        bool anyDeflected = false;
        for (int j = 0; j < 4; ++j) {
            const int joy = m.ram(kJoy[j], t);
            const bool a = outputs & (1 << (2 * j)), b = outputs & (1 << (2 * j + 1));
            ASSERT_GE(joy, 0);
            ASSERT_LE(joy, 1000);
            ASSERT_EQ(joy > 0, a || b) << "t=" << t << " section " << j;
            ASSERT_FALSE(a && b);
            const int current = m.ram(kMeasure[j], t);
            if (!a && !b) {
                ASSERT_EQ(current, 0);
                continue;
            }
            anyDeflected = true;
            const int k = 2 * j + (b ? 1 : 0);
            ASSERT_GE(current, m.eeprom(kMin[k])) << "t=" << t << " solenoid " << k;
            ASSERT_LE(current, m.eeprom(kMax[k])) << "t=" << t << " solenoid " << k;
            seenA[j] = seenA[j] || a;
            seenB[j] = seenB[j] || b;
            seenFull[j] = seenFull[j] || joy > 950;
        }
        const int inputs = m.ram(HvcId::HVC_DIGIT_MONITOR, t);
        ASSERT_EQ((inputs >> deadMan) & 1, anyDeflected ? 1 : 0) << "dead-man input at t=" << t;
        const int vbb = m.ram(HvcId::HVC_VBB_400, t);
        ASSERT_GE(vbb, 2400);
        ASSERT_LE(vbb, 2700);
        ASSERT_EQ(m.ram(HvcId::HVC_ERROR_CODE, t), 0x0040) << "a healthy unit is ready";
    }
    for (int j = 0; j < 4; ++j)
        EXPECT_TRUE(seenA[j] && seenB[j] && seenFull[j]) << "joystick " << j << " did not sweep";
}

TEST(SimUnit, CurrentsFollowTheJoysticksWithinTheRamps) {
    Machine m;
    m.set(kRise[0], 1000); // 1A rises over 1 s, falls over 3 s
    m.set(kFall[0], 3000);
    const double lo = m.eeprom(kMin[0]), hi = m.eeprom(kMax[0]);
    const double rise = (hi - lo) / 1.0 * 0.05, fall = (hi - lo) / 3.0 * 0.05;
    int last = 0, lastOutputs = 0;
    bool lagged = false, reachedFull = false;
    for (double t = 0; t < 40; t += 0.05) {
        const int outputs = m.ram(HvcId::HVC_HSD_MONITOR, t);
        const int current = m.ram(kMeasure[0], t);
        const int joy = m.ram(kJoy[0], t);
        const bool wasA = lastOutputs & 1, isA = outputs & 1;
        if (wasA && isA) {
            // Noise of a few mA on top of the ramp.
            ASSERT_LE(current - last, rise + 8) << "rose faster than its ramp at t=" << t;
            ASSERT_GE(current - last, -fall - 8) << "fell faster than its ramp at t=" << t;
        }
        // Still on while the joystick is back in neutral: the valve is ramping down.
        lagged = lagged || (isA && joy == 0);
        reachedFull = reachedFull || current >= lo + 0.95 * (hi - lo);
        last = current;
        lastOutputs = outputs;
    }
    EXPECT_TRUE(lagged);
    EXPECT_TRUE(reachedFull);
}

TEST(SimUnit, InputsToggleTheSameSeedMovesTheSameMachineAndUnconfiguredSectionsStayStill) {
    Machine m;
    m.set(HvcId::HVC_FLOAT_CONFIG_1, 0x4321); // dead man 1, second function 2, floats 3 and 4
    m.set(HvcId::HVC_FLOAT_CONFIG_2, 0x0065); // floats 5 and 6
    int seen = 0;
    for (double t = 0; t < 60; t += 0.1)
        seen |= m.ram(HvcId::HVC_DIGIT_MONITOR, t);
    for (const int input : {1, 2, 3, 4, 5, 6})
        EXPECT_TRUE(seen & (1 << input)) << "input " << input << " never active";

    Machine one, same, other;
    other.unit.setSeed(4);
    other.unit.powerCycle(other.t0);
    int differ = 0;
    for (double t = 0; t < 10; t += 0.25)
        for (const HvcId id : {kJoy[1], kMeasure[1], HvcId::HVC_VBB_400}) {
            const int value = one.ram(id, t);
            EXPECT_EQ(same.ram(id, t), value) << "t=" << t;
            differ += other.ram(id, t) != value;
        }
    EXPECT_GT(differ, 0) << "another seed, another machine";

    // A two-section unit: sections 3 and 4 stay still.
    Machine two;
    two.set(HvcId::HVC_NUM_PROP_REG, 2);
    for (double t = 0; t < 20; t += 0.1) {
        EXPECT_EQ(two.ram(kJoy[2], t) | two.ram(kJoy[3], t) | two.ram(kMeasure[3], t), 0) << t;
        EXPECT_EQ(two.ram(HvcId::HVC_HSD_MONITOR, t) & 0xF0, 0) << t;
    }
}

TEST(SimUnit, IdentityWordsAndAddressesItDoesNotHave) {
    Machine m;
    const auto now = m.t0;
    EXPECT_EQ(*m.unit.read(0xFDEA00, now), 0x48);
    EXPECT_FALSE(m.unit.read(0xFDEB00, now)) << "identity words sit at even addresses";
    EXPECT_FALSE(m.unit.read(0xFDF400, now));
    EXPECT_FALSE(m.unit.read(0x030001, now)) << "sub-code 1 of a word the map has at sub-code 0";
    EXPECT_EQ(m.unit.write(0x999900, 1), wire::ErrorCode::UnknownAddress);
    EXPECT_EQ(m.unit.command(1024, 4, "1145130829"), wire::ErrorCode::Refused);
    EXPECT_EQ(m.unit.command(1025, 4, "1145130828"), wire::ErrorCode::Refused);
    EXPECT_FALSE(m.unit.resetPending());
}

TEST(SimUnit, AnUnreadableEepromImageIsRefused) {
    SimUnit unit;
    QString error;
    ASSERT_TRUE(unit.load(shippedMap(), error));
    const QString path = QStringLiteral("/tmp/hvc-sim-test-%1.txt").arg(::getpid());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("0300.00 310\nnot a word\n");
    f.close();
    EXPECT_FALSE(unit.attachEeprom(path, error));
    EXPECT_TRUE(error.contains(QStringLiteral("line 2"))) << error.toStdString();
    QFile::remove(path);
}
