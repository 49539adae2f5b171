// Packing of the joystick, digital-input and command words, and the settings the
// joystick dialog composes from them.

#include "core/catalogue.h"
#include "core/inputwords.h"
#include "core/joycansettings.h"
#include "core/prompter.h"
#include "support/paths.h"

#include <gtest/gtest.h>
#include <random>

using namespace hvc;

// Every word unpacked and packed again comes back bit for bit.
TEST(InputWords, EveryWordRoundTripsAndTheInversionOptionsAndCaptions) {
    for (int b = 0; b < 256; ++b) {
        const DigitalInput in = unpackDigitalInput(static_cast<std::uint8_t>(b));
        ASSERT_EQ(in.type + in.byte * 4 + in.bit * 32, b) << "type, byte, bit from the bottom";
        ASSERT_EQ(packDigitalInput(in), b);
    }
    for (std::int32_t w = 0; w < 65536; ++w) {
        const auto pair = unpackDgtConfig(w);
        ASSERT_EQ(packDgtConfig(pair[0], pair[1]), w);
        const JoyChannel c = unpackJoyChannel(w);
        ASSERT_EQ(packJoyChannel(c), w);
        // Off is 8, proportional the word (X, Y or 2), the digital types 5, others none.
        const std::optional<std::int32_t> id =
            c.type == JoyChannel::Off                ? 8
            : c.type == JoyChannel::Proportional     ? std::min(c.word, 2)
            : c.type <= JoyChannel::OnOffIndependent ? std::optional<std::int32_t>(5)
                                                     : std::nullopt;
        ASSERT_EQ(joyChannelId(c), id) << w;
        const auto words = packCommandInputs(unpackCommandInputs(w, w & 0xFF));
        ASSERT_EQ((std::pair<int, int>{words[0], words[1]}), (std::pair<int, int>{w, w & 0xFF}));
    }
    for (std::int32_t bits = 0; bits < 16; ++bits)
        EXPECT_EQ(packFloatSides(unpackFloatSides(bits)), bits);
    // 0x2521: DI_01 and DI_02 both level, byte 0 and 1, bit 1; the unit hands
    // words back as signed 16-bit numbers.
    const auto pair = unpackDgtConfig(9505);
    EXPECT_EQ((std::pair{unpackDigitalInput(pair[0]), unpackDigitalInput(pair[1])}),
              (std::pair{DigitalInput{DigitalInput::Level, 0, 1},
                         DigitalInput{DigitalInput::Level, 1, 1}}));
    EXPECT_EQ(unpackDgtConfig(-512), unpackDgtConfig(0xFE00));
    EXPECT_EQ(unpackJoyChannel(58226 - 65536), (JoyChannel{JoyChannel::DigitalReg, 7, 3, 14}));
    CommandInputs floatTwoOnNine{};
    floatTwoOnNine[3] = 9;
    EXPECT_EQ(packCommandInputs(floatTwoOnNine)[0], 0x9000);
    EXPECT_EQ(packCommandInputs(unpackCommandInputs(0, 0x1234))[1], 0x34) << "high byte unused";
    EXPECT_EQ(unpackInversion(85), false);
    EXPECT_EQ(unpackInversion(packInversion(true)), true);
    EXPECT_FALSE(unpackInversion(0).has_value());
    // Clearing one option keeps every other bit, the unknown high ones included.
    for (std::int32_t flags : {0, 7, 0x5A, 0x7FFF})
        for (int o = 0; o < kSectionOptions; ++o) {
            const auto option = static_cast<SectionOption>(o);
            const std::int32_t on = withSectionOption(flags, option, true);
            EXPECT_TRUE(hasSectionOption(on, option) && !hasSectionOption(on & ~(1 << o), option));
            EXPECT_EQ(withSectionOption(flags, option, false), flags & ~(1 << o));
            EXPECT_EQ(on, flags | (1 << o));
        }
    EXPECT_EQ((QStringList{inversionCaption(170), inversionCaption(3),
                           codeCaption(joyWordCaptions(), 7), codeCaption(inputCaptions(), 14)}),
              (QStringList{"YES", "? (3)", " ", "DI_14"}));
}

namespace {

class JoyCanSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(
            m_catalogue.loadCatalogue(hvc::test::sourcePath("res/ini/Ramlist.ini"), m_prompter));
    }
    void set(HvcId id, std::int32_t value) {
        m_catalogue.var(id).workingWord = m_catalogue.var(id).shownValue = value;
    }
    std::int32_t composed(HvcId id) const {
        for (const VarSetting& s : m_settings.compose())
            if (s.id == id)
                return s.value;
        ADD_FAILURE() << "not composed";
        return -1;
    }

    SilentPrompter m_prompter;
    Catalogue m_catalogue;
    JoyCanSettings m_settings;
};

} // namespace

TEST_F(JoyCanSettingsTest, UntouchedSettingsComposeTheirWordsAndListRulesRunOnAChange) {
    std::mt19937 random(7);
    std::uniform_int_distribution<std::int32_t> word(0, 0xFFFF);
    for (int round = 0; round < 200; ++round) {
        std::vector<VarSetting> loaded;
        m_settings = {};
        for (int k = 0; k < kDgtConfigWords; ++k)
            loaded.push_back({idAfter(HvcId::HVC_DGT_CONFIG_1, k), word(random)});
        for (int j = 0; j < kJoyChannels; ++j) {
            loaded.push_back({idAfter(HvcId::HVC_JOY_0_CONFIG, j), word(random)});
            loaded.push_back({idAfter(HvcId::HVC_JOY_0_INV, j), word(random) & 0xFF});
            loaded.push_back({idAfter(HvcId::HVC_SP_0_MACRO, j), word(random)});
        }
        loaded.push_back({HvcId::HVC_FLOAT_CONFIG_1, word(random)});
        loaded.push_back({HvcId::HVC_FLOAT_CONFIG_2, word(random) & 0xFF});
        loaded.push_back({HvcId::HVC_FLOAT_MAG_SIDE, word(random) & 0xF});
        loaded.push_back({HvcId::HVC_JOY_TIMEOUT, word(random)});
        for (const VarSetting& s : loaded)
            set(s.id, s.value);
        m_settings.load(m_catalogue);
        for (const VarSetting& s : loaded)
            ASSERT_EQ(composed(s.id), s.value) << static_cast<int>(s.id);
    }
    // An input that is off but carries a byte and bit keeps them on loading...
    set(HvcId::HVC_DGT_CONFIG_1, packDigitalInput({DigitalInput::Off, 5, 6}));
    // ... and a channel that is off keeps its word and inputs.
    set(HvcId::HVC_JOY_0_CONFIG, 0x3450);
    m_settings.load(m_catalogue);
    EXPECT_EQ(m_settings.digital(1), (DigitalInput{DigitalInput::Off, 5, 6}));
    EXPECT_FALSE(m_settings.digitalPlaceEnabled(1));
    EXPECT_EQ(composed(HvcId::HVC_JOY_0_CONFIG), 0x3450);

    m_settings.setDigitalType(1, DigitalInput::Off);
    EXPECT_EQ(m_settings.digital(1), (DigitalInput{}));
    m_settings.setDigitalType(2, DigitalInput::Edge);
    m_settings.setDigitalByte(2, 7);
    m_settings.setDigitalBit(2, 7);
    EXPECT_EQ(composed(HvcId::HVC_DGT_CONFIG_1), 65024);

    // Joy 2 proportional on Y.
    m_settings.setChannelType(1, JoyChannel::Proportional);
    EXPECT_TRUE(m_settings.channelWordEnabled(1));
    EXPECT_FALSE(m_settings.channelInputsEnabled(1));
    m_settings.setChannelWord(1, 1);
    EXPECT_EQ(composed(HvcId::HVC_JOY_1_CONFIG), 17);
    EXPECT_EQ(composed(HvcId::HVC_JOY_1_ID), 1);

    // Joy 1 digital: the word goes blank, the inputs stay and take new codes.
    m_settings.setChannelType(0, JoyChannel::DigitalReg);
    EXPECT_EQ(m_settings.channel(0).word, JoyChannel::kBlankWord);
    EXPECT_EQ(m_settings.channel(0).inputA, 4);
    m_settings.setChannelInputA(0, 3);
    m_settings.setChannelInputB(0, 14);
    EXPECT_EQ(composed(HvcId::HVC_JOY_0_CONFIG), 58226);
    EXPECT_EQ(composed(HvcId::HVC_JOY_0_ID), 5);

    // Channels nobody changed keep their identifiers: the same word names the
    // joystick model on the configuration page.
    EXPECT_EQ(composed(HvcId::HVC_JOY_2_ID), m_catalogue.find(HvcId::HVC_JOY_2_ID)->shownValue);

    // Off writes 8 for that channel alone.
    m_settings.setChannelType(0, JoyChannel::Off);
    EXPECT_EQ(composed(HvcId::HVC_JOY_0_CONFIG), 0x70);
    EXPECT_EQ(composed(HvcId::HVC_JOY_0_ID), 8);
    EXPECT_EQ(composed(HvcId::HVC_JOY_1_ID), 1);
}

// Unknown codes keep their words and identifiers; the reserved eighth digital word
// is written 0 and the unused high byte of the second command word is dropped.
TEST_F(JoyCanSettingsTest, UnknownCodesReservedWordsFloatRowsAndSections) {
    set(HvcId::HVC_DGT_CONFIG_8, 0x1234);
    set(HvcId::HVC_FLOAT_CONFIG_2, 0x5621);
    set(HvcId::HVC_JOY_2_CONFIG, 0xF9F6); // type 6, word 15, inputs 9 and 15
    set(HvcId::HVC_JOY_2_ID, 129);
    m_settings.load(m_catalogue);
    EXPECT_FALSE(m_settings.channelWordEnabled(2) || m_settings.channelInputsEnabled(2));
    m_settings.setInverted(3, false);
    m_settings.setCommandInput(3, 9);
    m_settings.setCommandInput(4, 0);
    EXPECT_FALSE(m_settings.floatRowEnabled(4));
    m_settings.setNumber(JoyCanSettings::FloatCurrent1 + 2,
                         777); // off, it still writes its current
    m_settings.setFloatSideB(1, true);
    m_settings.setFloatSideB(3, true);
    m_settings.setSectionOption(2, NeutralAtStartUp, true);
    m_settings.setSectionOption(2, EnabledWithDeadMan, false);
    std::vector<std::int32_t> got;
    for (HvcId id : {HvcId::HVC_JOY_2_CONFIG, HvcId::HVC_JOY_2_ID, HvcId::HVC_DGT_CONFIG_8,
                     HvcId::HVC_FLOAT_CONFIG_2, HvcId::HVC_JOY_3_INV, HvcId::HVC_FLOAT_CURRENT_3,
                     HvcId::HVC_FLOAT_MAG_SIDE})
        got.push_back(composed(id));
    got.push_back(composed(HvcId::HVC_FLOAT_CONFIG_1) >> 12 & 0xF);
    EXPECT_EQ(got, (std::vector<std::int32_t>{0xF9F6, 129, 0, 0x20, 85, 777, 10, 9}));
    EXPECT_EQ(composed(HvcId::HVC_SP_2_MACRO),
              4 | (m_catalogue.find(HvcId::HVC_SP_2_MACRO)->shownValue & 2));
}
