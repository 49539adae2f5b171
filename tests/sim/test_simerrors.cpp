// The simulated unit's error words: the faults scenario's story, told the same
// way at any polling speed, and the words held with --error or written over the
// link.

#include "core/diagnosticrows.h"
#include "sim/simerrors.h"
#include "sim/simunit.h"
#include "support/paths.h"

#include <QList>
#include <gtest/gtest.h>

using namespace hvc;

namespace {

constexpr HvcId kSources[] = {HvcId::HVC_VBB_ERROR,     HvcId::HVC_HSD_ERROR,
                              HvcId::HVC_ERROR_SEC_1,   HvcId::HVC_ERROR_SEC_2,
                              HvcId::HVC_ERROR_SEC_3,   HvcId::HVC_ERROR_SEC_4,
                              HvcId::HVC_CAN_ERROR_CODE};

using Pass = QList<std::uint16_t>;

// One pass over the bound rows, as the diagnostic page reads them.
Pass pagePass(SimErrors& errors, int sections = 4) {
    Pass words;
    for (HvcId id : kDiagnosticRowVars)
        words << errors.read(id, sections);
    return words;
}

SimErrors scenario(std::uint32_t seed) {
    SimErrors errors;
    errors.setScenario(true);
    errors.setSeed(seed);
    return errors;
}

} // namespace

TEST(SimErrors, TheStoryDependsOnTheSeedAndPassesNotOnTime) {
    SimErrors a = scenario(11), b = scenario(11), other = scenario(12);
    QList<Pass> storyA, storyB, storyOther;
    for (int pass = 0; pass < 2 * SimErrors::kCycleSteps; ++pass) {
        storyA << pagePass(a);
        storyOther << pagePass(other);
        // Between two passes of b another poller (the monitor) reads the summary
        // word: b moves on two steps a pass and sees every other step of a's story.
        storyB << pagePass(b);
        b.read(HvcId::HVC_ERROR_CODE, 4);
    }
    for (int pass = 0; pass < SimErrors::kCycleSteps; ++pass)
        ASSERT_EQ(storyB[pass], storyA[2 * pass]) << "pass " << pass;
    EXPECT_NE(storyA, storyOther);

    a.powerCycle();
    EXPECT_EQ(a.step(), 0);
    EXPECT_EQ(pagePass(a), storyA.front()) << "a power cycle starts the story over";
}

TEST(SimErrors, EveryCycleRaisesEachSourceOnceOnOneBitOnSchedule) {
    for (std::uint32_t seed : {1u, 2u, 77u}) {
        const SimErrors errors = scenario(seed);
        for (std::int64_t cycle = 0; cycle < 3; ++cycle) {
            const std::int64_t base = cycle * SimErrors::kCycleSteps;
            QList<int> slots;
            for (std::size_t s = 0; s < std::size(kSources); ++s) {
                int first = -1, last = -1;
                std::uint16_t bit = 0;
                for (int at = 0; at < SimErrors::kCycleSteps; ++at) {
                    const std::uint16_t w = errors.scenarioWord(kSources[s], base + at, 4);
                    if (w == 0)
                        continue;
                    ASSERT_EQ(std::popcount(w), 1);
                    ASSERT_TRUE(bit == 0 || bit == w) << "one bit per cycle";
                    ASSERT_EQ(w & ~SimErrors::sourceBits(kSources[s]), 0);
                    bit = w;
                    first = first < 0 ? at : first;
                    last = at;
                }
                ASSERT_GE(first, 0) << "source " << s << " never raised in cycle " << cycle;
                EXPECT_EQ(last - first + 1, SimErrors::kActiveSteps);
                EXPECT_EQ((first - SimErrors::kQuietSteps) % SimErrors::kSlotSteps, 0);
                slots << (first - SimErrors::kQuietSteps) / SimErrors::kSlotSteps;
            }
            std::sort(slots.begin(), slots.end());
            EXPECT_EQ(slots, (QList<int>{0, 1, 2, 3, 4, 5, 6})) << "one source per slot";
        }
    }
}

TEST(SimErrors, WrittenBeatsHeldBeatsTheScenarioThroughTheUnit) {
    SimUnit unit;
    ASSERT_TRUE(unit.load(test::sourcePath("res/ini/Ramlist.ini")).ok());
    unit.setFaultScenario(true);
    unit.setSeed(3);
    const auto now = SimUnit::Clock::now();
    unit.powerCycle(now);
    const auto address = [&unit](HvcId id) { return unit.catalogue().find(id)->address; };

    HvcId id{};
    std::uint16_t word = 0;
    ASSERT_TRUE(parseErrorHold(unit.catalogue(), QStringLiteral("2012.00=0x8"), id, word).ok());
    EXPECT_EQ(id, HvcId::HVC_ERROR_SEC_2);
    unit.errors().hold(id, word);
    EXPECT_EQ(*unit.read(address(HvcId::HVC_ERROR_SEC_2), now), 8);
    EXPECT_EQ(*unit.read(address(HvcId::HVC_ERROR_CODE), now), 0x0048) << "summary follows";
    EXPECT_EQ(*unit.read(address(HvcId::HVC_ERROR_SEC_2), now), 8) << "held at every step";

    ASSERT_FALSE(unit.write(address(HvcId::HVC_ERROR_SEC_2), 0));
    EXPECT_EQ(*unit.read(address(HvcId::HVC_ERROR_SEC_2), now), 0) << "the unit cleared it";
    unit.powerCycle(now);
    EXPECT_EQ(*unit.read(address(HvcId::HVC_ERROR_SEC_2), now), 8) << "the fault is still there";

    for (const char* bad : {"HVC_I0_MAX=1", "HVC_VBB_ERROR=65536", "HVC_VBB_ERROR", "=3",
                            "HVC_VBB_ERROR=-1", "9999.00=1"})
        EXPECT_FALSE(parseErrorHold(unit.catalogue(), QString::fromLatin1(bad), id, word).ok())
            << bad;
}
