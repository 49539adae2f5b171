#pragma once
// The error words of the simulated unit: what each reads, from what was written
// to it, a word held from the command line (--error), or the faults scenario.
//
// The faults scenario runs in steps, not in seconds, so that whoever polls sees
// the same story at any polling speed: the unit moves on one step whenever an
// error word that was already read in the current step is read again (a poller's
// next pass). Power-on is step 0. The story repeats every kCycleSteps steps:
//
//   steps  0-4    no error
//   steps  5-19   the first source word has one bit set
//   steps 15-29   the second source word has one bit set
//   ...           source j (0-6) from step 5 + 10 j to step 19 + 10 j
//   steps 80-89   no error
//
// The seven sources are HVC_VBB_ERROR, HVC_HSD_ERROR, HVC_ERROR_SEC_1..4 and
// HVC_CAN_ERROR_CODE; each cycle takes them in an order, and each source one of
// its bits, drawn from the seed and the cycle number. A section beyond the unit's
// number of sections raises nothing (its slot stays quiet), nor do its outputs.
// The other words follow the sources: HVC_ERROR_CODE has the ready bit 6 and
// bit 0 supply, 1 outputs, 2-5 sections 1-4, 7 CAN for each of those words that
// is not 0; HVC_SPn_ERROR is 1 while section n+1 has its set-point bit 7, and
// HVC_SETPOINT_ERROR has bit n for each HVC_SPn_ERROR that is not 0.
//
// Precedence of a word's value: the last value written over the link since
// power-on, else the value held with hold(), else what the scenario (or the
// rule above) gives; without the scenario the sources read 0.

#include "core/catalogue.h"
#include "core/status.h"

#include <QHash>
#include <QString>
#include <cstdint>
#include <optional>

namespace hvc {

class SimErrors {
public:
    static constexpr int kCycleSteps = 90;
    static constexpr int kQuietSteps = 5;
    static constexpr int kSlotSteps = 10;
    static constexpr int kActiveSteps = 15;
    static constexpr std::uint16_t kReadyBit = 0x0040;

    // The words this class serves.
    static bool isErrorWord(HvcId id);
    // The scenario's bits of a source word (0 for any other word).
    static std::uint16_t sourceBits(HvcId id);

    void setScenario(bool on) { m_scenario = on; }
    bool scenario() const { return m_scenario; }
    void setSeed(std::uint32_t seed) { m_seed = seed; }
    void hold(HvcId id, std::uint16_t word) { m_held.insert(static_cast<int>(id), word); }
    void written(HvcId id, std::uint16_t word) { m_written.insert(static_cast<int>(id), word); }
    // Back to step 0; written values are forgotten, held ones stay.
    void powerCycle();

    // The word as a poller reads it now (moving on a step as described above);
    // `sections` is the unit's number of sections.
    std::uint16_t read(HvcId id, int sections);
    std::int64_t step() const { return m_step; }

    // What the word reads at `step` apart from written and held values, and
    // without moving on: the scenario itself.
    std::uint16_t scenarioWord(HvcId id, std::int64_t step, int sections) const;

private:
    std::uint16_t value(HvcId id, std::int64_t step, int sections) const;

    bool m_scenario = false;
    std::uint32_t m_seed = 1;
    std::int64_t m_step = 0;
    std::uint32_t m_readThisStep = 0; // one bit per error word
    QHash<int, std::uint16_t> m_held;
    QHash<int, std::uint16_t> m_written;
};

// Parses "NAME=WORD" of --error: NAME an identifier, variable name or address of
// an error word of `catalogue`, WORD a number 0..65535 (0x.. for hex); a failure
// with the reason as its text.
Status parseErrorHold(const Catalogue& catalogue, const QString& text, HvcId& id,
                      std::uint16_t& word);

} // namespace hvc
