// The simulated unit's memory: a running machine whose live words agree with
// each other and with the unit's configuration.

#include "sim/simunit.h"
#include "support/paths.h"

#include <gtest/gtest.h>

using namespace hvc;

namespace {

QString shippedMap() {
    return hvc::test::sourcePath("res/ini/Ramlist.ini");
}

struct Machine {
    SimUnit unit;
    SimUnit::Clock::time_point t0 = SimUnit::Clock::now();

    explicit Machine(bool faults = false) {
        const Status loaded = unit.load(shippedMap());
        EXPECT_TRUE(loaded.ok()) << loaded.text().toStdString();
        unit.setFaultScenario(faults);
        unit.setSeed(3);
        unit.powerCycle(t0);
    }
    std::int32_t address(HvcId id) const { return unit.catalogue().find(id)->address; }
    int ram(std::int32_t at, double seconds) {
        return *unit.read(at, t0 + std::chrono::duration_cast<SimUnit::Clock::duration>(
                                       std::chrono::duration<double>(seconds)));
    }
    int ram(HvcId id, double seconds) { return ram(address(id), seconds); }
    int eeprom(std::int32_t at) { return static_cast<std::int16_t>(*unit.read(at, t0)); }
    int eeprom(HvcId id) { return eeprom(address(id)); }
    void set(std::int32_t at, int value) {
        ASSERT_FALSE(unit.write(at, static_cast<std::uint16_t>(value)));
    }
    void set(HvcId id, int value) { set(address(id), value); }
};

// The address (sub-code 0) of the i-th word of a row of unit words 2 apart from
// `first`: joysticks 2300 and measured currents 2400 by section, ramps 0400 (rise)
// and 0410 (fall) by solenoid (1A, 1B, 2A, ...); minimum 0300 and maximum 0302
// currents alternate, so solenoid k's are at i = 2k.
constexpr std::int32_t word(int first, int i) {
    return (first + 2 * i) << 8;
}

} // namespace

TEST(SimUnit, LiveWordsAgreeWithTheJoysticksAndTheConfiguredCurrents) {
    Machine m;
    // Side B of section 2 gets its own limits, so a current taken from the wrong
    // side shows; without ramps the valves follow the joysticks at once.
    m.set(HvcId::HVC_I3_MIN, 100);
    m.set(HvcId::HVC_I3_MAX, 200);
    for (int k = 0; k < 8; ++k) {
        m.set(word(0x0400, k), 0);
        m.set(word(0x0410, k), 0);
    }
    const int deadMan = m.eeprom(HvcId::HVC_FLOAT_CONFIG_1) & 0xF;
    ASSERT_GE(deadMan, 1);
    bool seenA[4] = {}, seenB[4] = {}, seenFull[4] = {};
    for (double t = 0; t < 30; t += 0.05) {
        const int outputs = m.ram(HvcId::HVC_HSD_MONITOR, t);
        bool anyDeflected = false;
        for (int j = 0; j < 4; ++j) {
            const int joy = m.ram(word(0x2300, j), t);
            const bool a = outputs & (1 << (2 * j)), b = outputs & (1 << (2 * j + 1));
            ASSERT_GE(joy, 0);
            ASSERT_LE(joy, 1000);
            ASSERT_EQ(joy > 0, a || b) << "t=" << t << " section " << j;
            ASSERT_FALSE(a && b);
            const int current = m.ram(word(0x2400, j), t);
            if (!a && !b) {
                ASSERT_EQ(current, 0);
                continue;
            }
            anyDeflected = true;
            const int k = 2 * j + (b ? 1 : 0);
            ASSERT_GE(current, m.eeprom(word(0x0300, 2 * k))) << "t=" << t << " solenoid " << k;
            ASSERT_LE(current, m.eeprom(word(0x0302, 2 * k))) << "t=" << t << " solenoid " << k;
            seenA[j] = seenA[j] || a;
            seenB[j] = seenB[j] || b;
            seenFull[j] = seenFull[j] || joy > 950;
        }
        const int inputs = m.ram(HvcId::HVC_DIGIT_MONITOR, t);
        ASSERT_EQ((inputs >> deadMan) & 1, anyDeflected ? 1 : 0) << "dead-man input at t=" << t;
        ASSERT_NEAR(m.ram(HvcId::HVC_VBB_400, t), 2550, 150);
        ASSERT_EQ(m.ram(HvcId::HVC_ERROR_CODE, t), 0x0040) << "a healthy unit is ready";
    }
    for (int j = 0; j < 4; ++j)
        EXPECT_TRUE(seenA[j] && seenB[j] && seenFull[j]) << "joystick " << j << " did not sweep";
}

TEST(SimUnit, InputsToggleAndUnconfiguredSectionsStayStill) {
    Machine m;
    m.set(HvcId::HVC_FLOAT_CONFIG_1, 0x4321); // dead man 1, second function 2, floats 3 and 4
    m.set(HvcId::HVC_FLOAT_CONFIG_2, 0x0065); // floats 5 and 6
    int seen = 0;
    for (double t = 0; t < 60; t += 0.1)
        seen |= m.ram(HvcId::HVC_DIGIT_MONITOR, t);
    for (const int input : {1, 2, 3, 4, 5, 6})
        EXPECT_TRUE(seen & (1 << input)) << "input " << input << " never active";

    // A two-section unit: sections 3 and 4 stay still.
    Machine two;
    two.set(HvcId::HVC_NUM_PROP_REG, 2);
    for (double t = 0; t < 20; t += 0.1) {
        EXPECT_EQ(two.ram(word(0x2300, 2), t) | two.ram(word(0x2300, 3), t) |
                      two.ram(word(0x2400, 3), t),
                  0)
            << t;
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
