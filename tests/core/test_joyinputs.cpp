// The configuration page's reading of the joystick inputs: pin captions of the
// input configuration words and the joystick model of each input.

#include "core/joyinputs.h"

#include <gtest/gtest.h>
#include <vector>

using namespace hvc;

TEST(PinLabelText, CaptionsOfTheInputKinds) {
    const QString before = QStringLiteral("before");
    struct Case {
        std::uint16_t word;
        const char* caption;
    };
    const Case cases[] = {
        {0x0000, ""},
        {0x00F0, ""},
        {0x0001, "X axis"},
        {0x0011, "Y axis"},
        {0x0021, "n.a."},
        {0x0031, "n.a"},
        {0x0041, "W axis"},
        {0x0051, "Z axis"},
        {0x0061, "J axis"},
        {0x0071, "n.a."},
        {0x0302, "DI_03-OFF"},
        {0x8102, "DI_01-DI_08"},
        {0xA502, "DI_05-DI_10"},
        {0x000F, "OFF-OFF"},
        {0xFF0F, "DI_15-DI_15"},
        // The axis field means nothing to a digital input.
        {0x30F3, "OFF-DI_03"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PinLabelText(c.word, before), QString::fromLatin1(c.caption))
            << std::hex << c.word;
}

TEST(PinLabelText, AxisCodesWithoutTextKeepTheCaption) {
    for (std::uint16_t axis = 8; axis <= 15; ++axis)
        EXPECT_EQ(PinLabelText(static_cast<std::uint16_t>(axis << 4 | 1), QStringLiteral("Y axis")),
                  QStringLiteral("Y axis"));
}

namespace {

std::array<int, 4> find(const std::vector<std::int32_t>& table, std::int32_t notUsed,
                        std::array<std::int32_t, 4> ids) {
    return FindJoyID(
        static_cast<int>(table.size()), [&table](int p) { return table[static_cast<size_t>(p)]; },
        notUsed, ids);
}

} // namespace

TEST(FindJoyID, PositionsByIdentifier) {
    // Positions: 0 -> id 0, 1 -> id 3, 2 -> id 7, 3 -> id 99 (not used).
    const std::vector<std::int32_t> table = {0, 3, 7, 99};
    EXPECT_EQ(find(table, 99, {7, 7, 0, 0}), (std::array<int, 4>{2, 2, 0, 0}));
    EXPECT_EQ(find(table, 99, {3, 99, 7, 0}), (std::array<int, 4>{1, 3, 2, 0}));
}

TEST(FindJoyID, UnknownIdentifiersFallBack) {
    // An unknown identifier shows the not-used record...
    EXPECT_EQ(find({5, 99, 7}, 99, {7, 42, 0, 5}), (std::array<int, 4>{2, 1, 1, 0}));
    // ...or position 0 when the table has none.
    EXPECT_EQ(find({5, 6, 7}, 99, {7, 42, 0, 6}), (std::array<int, 4>{2, 0, 0, 1}));
    // An empty table gives position 0 everywhere, never the search's marker.
    EXPECT_EQ(find({}, 99, {1, 2, 3, 4}), (std::array<int, 4>{0, 0, 0, 0}));
}

TEST(FindJoyID, LaterRecordsWin) {
    // Two records with one identifier: the later one is taken, for inputs and default.
    EXPECT_EQ(find({7, 99, 7, 99}, 99, {7, 1, 99, 7}), (std::array<int, 4>{2, 3, 3, 2}));
    // Only the records loaded are searched: a count of 2 never reaches position 2.
    const std::vector<std::int32_t> table = {7, 99, 8};
    const auto positions =
        FindJoyID(2, [&table](int p) { return table[static_cast<size_t>(p)]; }, 99, {8, 7, 8, 7});
    EXPECT_EQ(positions, (std::array<int, 4>{1, 0, 1, 0}));
}
