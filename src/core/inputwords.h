#pragma once
// The configuration words that say how the joysticks, digital inputs and float
// commands of a machine reach the unit, packed and unpacked bit by bit. Every
// field of every word has a place here, so a word unpacked and packed again comes
// back bit for bit, including codes that no list has an entry for.

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

namespace hvc {

inline constexpr int kDigitalInputs = 14;
inline constexpr int kDgtConfigWords = 7;
inline constexpr int kJoyChannels = 4;
inline constexpr int kCommandInputs = 6;
inline constexpr int kOptionSections = 4;

// A code that a list has no entry for: "? (3)".
QString unknownCodeCaption(int code);
// Entry `code` of a list, or the unknown-code caption.
QString codeCaption(const QStringList& list, int code);

// "DI_01" .. "DI_14" for inputs 1..14.
QString digitalInputName(int input);

// The lists the settings dialog shows, in code order.
const QStringList& dgtTypeCaptions();  // "OFF", "LEVEL", "EDGE"
const QStringList& dgtPlaceCaptions(); // "0" .. "7": byte and bit numbers
const QStringList& joyTypeCaptions();  // "OFF", "Propotional", ...
const QStringList& joyWordCaptions();  // "X", "Y", " ", " ", "W", "Z", "J", " "
const QStringList& inputCaptions();    // "OFF", "DI_01" .. "DI_14"
const QStringList& commandNames();     // "Dead Man", "Fast/Slow", "Float Sec. 1" .. 4

// One digital-input descriptor byte: type in bits 0-1, byte number in bits 2-4,
// bit number in bits 5-7.
struct DigitalInput {
    enum Type { Off = 0, Level = 1, Edge = 2 };
    int type = Off; // 0..3; 3 has no caption
    int byte = 0;   // 0..7
    int bit = 0;    // 0..7
    bool operator==(const DigitalInput&) const = default;
};
DigitalInput unpackDigitalInput(std::uint8_t descriptor);
std::uint8_t packDigitalInput(const DigitalInput& input);

// HVC_DGT_CONFIG_k carries input 2k-1 in its low byte and input 2k in its high
// byte. Packed words are 16-bit patterns (0..65535).
std::array<std::uint8_t, 2> unpackDgtConfig(std::int32_t word);
std::int32_t packDgtConfig(std::uint8_t first, std::uint8_t second);

// One CAN joystick channel word: type, joystick word, side A and side B input,
// four bits each from the bottom.
struct JoyChannel {
    enum Type {
        Off = 0,
        Proportional = 1,
        DigitalReg = 2,
        DigitalNotReg = 3,
        OnOffIndependent = 4
    };
    static constexpr int kBlankWord = 7;
    int type = Off; // 0..15; above 4 no caption
    int word = 0;   // 0..15; above 7 no caption
    int inputA = 0; // 0 = off, 1..14 = DI_01..DI_14, 15 no caption
    int inputB = 0;
    bool operator==(const JoyChannel&) const = default;
};
JoyChannel unpackJoyChannel(std::int32_t word);
std::int32_t packJoyChannel(const JoyChannel& channel);
// The identifier the unit expects beside a channel word: 8 off, 0/1/2 for a
// proportional channel on word X/Y/other, 5 for the digital types. None for a
// type that has no caption: the identifier already there is to stay.
std::optional<std::int32_t> joyChannelId(const JoyChannel& channel);

// The six command inputs (dead man, fast/slow, float 1..4), each 0 = off or
// 1..14 = DI_01..DI_14, in HVC_FLOAT_CONFIG_1 (four codes) and the low byte of
// HVC_FLOAT_CONFIG_2 (two codes). The high byte of the second word is unused and
// packs as 0.
using CommandInputs = std::array<int, kCommandInputs>;
CommandInputs unpackCommandInputs(std::int32_t config1, std::int32_t config2);
std::array<std::int32_t, 2> packCommandInputs(const CommandInputs& inputs);

// HVC_FLOAT_MAG_SIDE: bit s set when the float of section s+1 acts on side B.
std::array<bool, kOptionSections> unpackFloatSides(std::int32_t bits);
std::int32_t packFloatSides(const std::array<bool, kOptionSections>& sideB);

// HVC_JOY_<s>_INV: 85 not inverted, 170 inverted; other codes are unknown.
inline constexpr std::int32_t kNotInverted = 85;
inline constexpr std::int32_t kInverted = 170;
std::optional<bool> unpackInversion(std::int32_t code);
std::int32_t packInversion(bool inverted);
QString inversionCaption(std::int32_t code); // "NO", "YES" or "? (code)"

// HVC_SP_<s>_MACRO: bit 0 enabled with dead man, bit 1 wait for neutral at run
// time, bit 2 wait for neutral at start-up. Other bits are kept as they are.
enum SectionOption { EnabledWithDeadMan = 0, NeutralAtRunTime = 1, NeutralAtStartUp = 2 };
inline constexpr int kSectionOptions = 3;
bool hasSectionOption(std::int32_t flags, SectionOption option);
std::int32_t withSectionOption(std::int32_t flags, SectionOption option, bool on);
// "Section enabled with Dead-Man", "Wait for joystick NEUTRAL at RUN TIME", ...
QString sectionOptionCaption(SectionOption option);

} // namespace hvc
