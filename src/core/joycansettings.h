#pragma once
// What the joystick and digital settings dialog edits, without its widgets: the
// CAN joystick node and time-out, the fourteen digital inputs, the four channels,
// the six command inputs, the float currents and sides, and per section the
// inversion and three options. It is loaded from the records' working values and
// composes, in the order the unit expects them, the words to set on OK.
//
// A row the user does not touch packs back to exactly the word it came from, with
// codes no list can show kept as they are, and a channel keeps its identifier. The rules that
// couple the lists (an input switched off zeroes its byte and bit, a channel type resets its word
// and inputs) run only when the user changes that list, never on loading.

#include "core/hvcids.h"
#include "core/inputwords.h"

#include <array>
#include <cstdint>
#include <vector>

namespace hvc {

class Catalogue;

struct VarSetting {
    HvcId id;
    std::int32_t value;
    bool operator==(const VarSetting&) const = default;
};

class JoyCanSettings {
public:
    // The six number fields: node identifier, time-out, float currents 1..4.
    enum Number { JoyNodeId = 0, JoyTimeout = 1, FloatCurrent1 = 2 };
    static constexpr int kNumbers = 6;
    static HvcId numberId(int number);

    // Every record the dialog reads: the working (display) value, 0 for a record
    // the map does not have.
    void load(const Catalogue& catalogue);

    std::int32_t number(int n) const { return m_numbers[idx(n)]; }
    void setNumber(int n, std::int32_t value) { m_numbers[idx(n)] = value; }

    // Digital inputs 1..14.
    DigitalInput digital(int input) const;
    std::uint8_t descriptor(int input) const { return m_descriptors[idx(input - 1)]; }
    void setDigitalType(int input, int type); // "OFF" zeroes byte and bit
    void setDigitalByte(int input, int byte);
    void setDigitalBit(int input, int bit);
    bool digitalPlaceEnabled(int input) const { return digital(input).type != DigitalInput::Off; }

    // Channels 0..3.
    JoyChannel channel(int j) const { return m_channels[idx(j)]; }
    void setChannelType(int j, int type); // resets word and inputs as the lists' rule says
    void setChannelWord(int j, int word);
    void setChannelInputA(int j, int input);
    void setChannelInputB(int j, int input);
    bool channelWordEnabled(int j) const;
    bool channelInputsEnabled(int j) const;
    // The identifier OK writes for channel j: the one the channel's lists give
    // once the user changed one of them, else the one it was loaded with. The same
    // word also names the joystick model the configuration page shows, so a
    // channel nobody touched must not lose it.
    std::int32_t channelId(int j) const;

    // Command inputs 0..5 (dead man, fast/slow, float 1..4).
    int commandInput(int k) const { return m_commands[idx(k)]; }
    void setCommandInput(int k, int code) { m_commands[idx(k)] = code; }
    // The float current and side of float row k (2..5) are in use.
    bool floatRowEnabled(int k) const { return commandInput(k) != 0; }

    // Sections 0..3.
    bool floatSideB(int s) const { return m_floatSides[idx(s)]; }
    void setFloatSideB(int s, bool sideB) { m_floatSides[idx(s)] = sideB; }
    std::int32_t inversion(int s) const { return m_inversions[idx(s)]; }
    void setInverted(int s, bool inverted) { m_inversions[idx(s)] = packInversion(inverted); }
    std::int32_t sectionFlags(int s) const { return m_flags[idx(s)]; }
    bool sectionOption(int s, SectionOption option) const {
        return hasSectionOption(sectionFlags(s), option);
    }
    void setSectionOption(int s, SectionOption option, bool on);

    // What OK sets, in order: node, time-out, float currents 1..4, float side,
    // digital words 1..8, channel words 0..3, channel identifiers 0..3, command
    // words 1..2, inversions 0..3, option flags 0..3.
    std::vector<VarSetting> compose() const;

private:
    static size_t idx(int i) { return static_cast<size_t>(i); }

    std::array<std::int32_t, kNumbers> m_numbers{};
    std::array<bool, kOptionSections> m_floatSides{};
    std::array<std::uint8_t, kDigitalInputs> m_descriptors{};
    std::array<JoyChannel, kJoyChannels> m_channels{};
    // The identifiers as loaded: kept for a channel nobody changed and for one
    // whose type has no caption.
    std::array<std::int32_t, kJoyChannels> m_loadedIds{};
    std::array<bool, kJoyChannels> m_channelChanged{};
    CommandInputs m_commands{};
    std::array<std::int32_t, kOptionSections> m_inversions{};
    std::array<std::int32_t, kOptionSections> m_flags{};
};

// The identifier `offset` places after `first` in the identifier list (the
// numbered families such as HVC_JOY_0_CONFIG..HVC_JOY_3_CONFIG are consecutive).
inline HvcId idAfter(HvcId first, int offset) {
    return static_cast<HvcId>(static_cast<int>(first) + offset);
}

} // namespace hvc
