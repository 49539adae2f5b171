#include "core/inputwords.h"

namespace hvc {

namespace {

int nibble(std::int32_t word, int index) {
    return static_cast<int>((static_cast<std::uint32_t>(word) >> (4 * index)) & 0xFu);
}

QStringList makeInputCaptions() {
    QStringList list{QStringLiteral("OFF")};
    for (int i = 1; i <= kDigitalInputs; ++i)
        list << digitalInputName(i);
    return list;
}

} // namespace

QString unknownCodeCaption(int code) {
    return QStringLiteral("? (%1)").arg(code);
}

QString codeCaption(const QStringList& list, int code) {
    return code >= 0 && code < list.size() ? list.at(code) : unknownCodeCaption(code);
}

QString digitalInputName(int input) {
    return QStringLiteral("DI_%1").arg(input, 2, 10, QLatin1Char('0'));
}

const QStringList& dgtTypeCaptions() {
    static const QStringList kList{QStringLiteral("OFF"), QStringLiteral("LEVEL"),
                                   QStringLiteral("EDGE")};
    return kList;
}

const QStringList& dgtPlaceCaptions() {
    static const QStringList kList{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"),
                                   QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5"),
                                   QStringLiteral("6"), QStringLiteral("7")};
    return kList;
}

const QStringList& joyTypeCaptions() {
    static const QStringList kList{QStringLiteral("OFF"), QStringLiteral("Propotional"),
                                   QStringLiteral("Digial Reg."), QStringLiteral("Digial Not Reg."),
                                   QStringLiteral("ON/OFF Indipendent")};
    return kList;
}

const QStringList& joyWordCaptions() {
    static const QStringList kList{QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral(" "),
                                   QStringLiteral(" "), QStringLiteral("W"), QStringLiteral("Z"),
                                   QStringLiteral("J"), QStringLiteral(" ")};
    return kList;
}

const QStringList& inputCaptions() {
    static const QStringList kList = makeInputCaptions();
    return kList;
}

const QStringList& commandNames() {
    static const QStringList kList{QStringLiteral("Dead Man"),     QStringLiteral("Fast/Slow"),
                                   QStringLiteral("Float Sec. 1"), QStringLiteral("Float Sec. 2"),
                                   QStringLiteral("Float Sec. 3"), QStringLiteral("Float Sec. 4")};
    return kList;
}

DigitalInput unpackDigitalInput(std::uint8_t descriptor) {
    return {descriptor & 0x3, (descriptor >> 2) & 0x7, (descriptor >> 5) & 0x7};
}

std::uint8_t packDigitalInput(const DigitalInput& input) {
    return static_cast<std::uint8_t>((input.type & 0x3) | (input.byte & 0x7) << 2 |
                                     (input.bit & 0x7) << 5);
}

std::array<std::uint8_t, 2> unpackDgtConfig(std::int32_t word) {
    const auto w = static_cast<std::uint32_t>(word);
    return {static_cast<std::uint8_t>(w & 0xFFu), static_cast<std::uint8_t>((w >> 8) & 0xFFu)};
}

std::int32_t packDgtConfig(std::uint8_t first, std::uint8_t second) {
    return static_cast<std::int32_t>(second) << 8 | first;
}

JoyChannel unpackJoyChannel(std::int32_t word) {
    return {nibble(word, 0), nibble(word, 1), nibble(word, 2), nibble(word, 3)};
}

std::int32_t packJoyChannel(const JoyChannel& channel) {
    return (channel.type & 0xF) | (channel.word & 0xF) << 4 | (channel.inputA & 0xF) << 8 |
           (channel.inputB & 0xF) << 12;
}

std::optional<std::int32_t> joyChannelId(const JoyChannel& channel) {
    switch (channel.type) {
    case JoyChannel::Off:
        return 8;
    case JoyChannel::Proportional:
        return channel.word == 0 ? 0 : channel.word == 1 ? 1 : 2;
    case JoyChannel::DigitalReg:
    case JoyChannel::DigitalNotReg:
    case JoyChannel::OnOffIndependent:
        return 5;
    default:
        return std::nullopt;
    }
}

CommandInputs unpackCommandInputs(std::int32_t config1, std::int32_t config2) {
    return {nibble(config1, 0), nibble(config1, 1), nibble(config1, 2),
            nibble(config1, 3), nibble(config2, 0), nibble(config2, 1)};
}

std::array<std::int32_t, 2> packCommandInputs(const CommandInputs& inputs) {
    const auto code = [&inputs](size_t k, int shift) { return (inputs[k] & 0xF) << shift; };
    return {code(0, 0) | code(1, 4) | code(2, 8) | code(3, 12), code(4, 0) | code(5, 4)};
}

std::array<bool, kOptionSections> unpackFloatSides(std::int32_t bits) {
    std::array<bool, kOptionSections> sides{};
    for (size_t s = 0; s < sides.size(); ++s)
        sides[s] = (bits >> s & 1) != 0;
    return sides;
}

std::int32_t packFloatSides(const std::array<bool, kOptionSections>& sideB) {
    std::int32_t bits = 0;
    for (size_t s = 0; s < sideB.size(); ++s)
        if (sideB[s])
            bits |= 1 << s;
    return bits;
}

std::optional<bool> unpackInversion(std::int32_t code) {
    if (code == kNotInverted)
        return false;
    if (code == kInverted)
        return true;
    return std::nullopt;
}

std::int32_t packInversion(bool inverted) {
    return inverted ? kInverted : kNotInverted;
}

QString inversionCaption(std::int32_t code) {
    const std::optional<bool> inverted = unpackInversion(code);
    if (!inverted)
        return unknownCodeCaption(code);
    return *inverted ? QStringLiteral("YES") : QStringLiteral("NO");
}

bool hasSectionOption(std::int32_t flags, SectionOption option) {
    return (flags >> option & 1) != 0;
}

std::int32_t withSectionOption(std::int32_t flags, SectionOption option, bool on) {
    const std::int32_t bit = 1 << option;
    return on ? flags | bit : flags & ~bit;
}

QString sectionOptionCaption(SectionOption option) {
    switch (option) {
    case EnabledWithDeadMan:
        return QStringLiteral("Section enabled with Dead-Man");
    case NeutralAtRunTime:
        return QStringLiteral("Wait for joystick NEUTRAL at RUN TIME");
    case NeutralAtStartUp:
        return QStringLiteral("Wait for joystick NEUTRAL at START UP");
    }
    return {};
}

} // namespace hvc
