// The configuration in words: line keys that do not move with the values, the
// sections the page shows, and the captions that the page and the dialog show as
// nothing or cannot show at all.

#include "core/appstate.h"
#include "core/catalogue.h"
#include "core/explain.h"
#include "core/joycatalogue.h"
#include "core/prompter.h"
#include "support/shippedrecords.h"

#include <QSet>
#include <gtest/gtest.h>
#include <random>

using namespace hvc;

namespace {

// Two models: 68 and the not-used record 0.
const char* const kJoyList = "Code\tName\n"
                             "NOTUSED\tNot used\t\t\t\t\t1\t1\t0\t0\t0\n"
                             "HJ4G\tHJ-4 ergonomic grip\t\t\t\t\t1\t1\t68\t1\t0\n";

class Explain : public ::testing::Test {
protected:
    void SetUp() override {
        test::loadShippedRecordsAsRead(m_state, m_prompter);
        ASSERT_TRUE(m_joysticks.loadJoyListText(QString::fromLatin1(kJoyList), m_prompter));
    }

    void set(HvcId id, std::int32_t value) {
        m_state.document.catalogue.var(id).takeUnitWord(value);
    }

    QStringList lines() const {
        return explainConfiguration(m_state.document.catalogue, m_joysticks);
    }

    static void expectLines(const QStringList& all, std::initializer_list<const char*> expected) {
        for (const char* line : expected)
            EXPECT_TRUE(all.contains(QString::fromUtf8(line))) << line;
    }

    ScriptedPrompter m_prompter;
    AppState m_state;
    JoyCatalogue m_joysticks;
};

} // namespace

TEST_F(Explain, KeysStayCaptionsShowWhatThePageCannotAndTheSectionsShown) {
    const auto keys = [this] {
        QStringList out;
        for (const QString& line : lines()) {
            out << line.section(QStringLiteral(": "), 0, 0);
            EXPECT_FALSE(line.section(QStringLiteral(": "), 1).trimmed().isEmpty())
                << qPrintable(line);
        }
        return out;
    };
    const QStringList expectedKeys = keys();
    EXPECT_EQ(QSet<QString>(expectedKeys.begin(), expectedKeys.end()).size(), expectedKeys.size());

    std::mt19937 random(12);
    std::uniform_int_distribution<int> word(0, 65535);
    for (int round = 0; round < 100; ++round) {
        for (int i = 1; i <= m_state.document.catalogue.varCount(); ++i)
            m_state.document.catalogue[i].takeUnitWord(static_cast<std::int16_t>(word(random)));
        set(HvcId::HVC_NUM_PROP_REG, 4);
        for (int s = 0; s < 4; ++s) // flags beyond the three boxes add a line of their own
            set(static_cast<HvcId>(static_cast<int>(HvcId::HVC_SP_0_MACRO) + s), word(random) & 7);
        ASSERT_EQ(keys(), expectedKeys) << "round " << round;
    }
    test::loadShippedRecordsAsRead(m_state, m_prompter); // back to the defaults
    // Captions the page shows as nothing or cannot show: a blank word, no input, an
    // axis code without text, an unknown model, ramp mode or option bits.
    set(HvcId::HVC_JOY_1_CONFIG, 0x31);
    set(HvcId::HVC_JOY_0_CONFIG, 0);
    set(HvcId::HVC_JOY_2_CONFIG, 0x81);
    set(HvcId::HVC_JOY_0_ID, 7);
    set(HvcId::HVC_RAMP_INV_MODE_1, 0);
    set(HvcId::HVC_SP_1_MACRO, 13);
    expectLines(lines(),
                {"can channel Joy 2: type Propotional, word blank (3), side A OFF, side B OFF",
                 "section 2 joystick input: n.a", "section 1 joystick input: (empty)",
                 "section 3 joystick input: ? (8)", "section 1 joystick model: ? (7)",
                 "section 2 ramp mode: ? (0)", "option section 2 other bits: ? (8)"});
}
