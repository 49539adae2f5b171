// The configuration in words: line keys that do not move with the values, the
// sections the page shows, records the map lacks, and the captions that the page
// and the dialog show as nothing or cannot show at all.

#include "core/appstate.h"
#include "core/catalogue.h"
#include "core/explain.h"
#include "core/joycatalogue.h"
#include "core/prompter.h"
#include "support/paths.h"
#include "support/shippedrecords.h"

#include <QFile>
#include <QRegularExpression>
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
        test::loadShippedRecordsAsRead(state, prompter);
        ASSERT_TRUE(joysticks.LoadJoyListText(QString::fromLatin1(kJoyList), prompter));
    }

    void set(HvcId id, std::int32_t value) {
        ASSERT_NE(state.catalogue.Find(id), nullptr) << Catalogue::IdName(id);
        state.catalogue.Find(id)->ReadE2FromECU(value);
    }

    QStringList lines() const { return ExplainConfiguration(state.catalogue, joysticks); }

    // The value of the line with `key`; a failure when there is no such line.
    QString value(const QString& key) const {
        for (const QString& line : lines())
            if (line.startsWith(key + QStringLiteral(": ")))
                return line.mid(key.size() + 2);
        ADD_FAILURE() << "no line '" << key.toStdString() << "'";
        return {};
    }

    static QStringList keys(const QStringList& lines) {
        QStringList out;
        for (const QString& line : lines)
            out << line.section(QStringLiteral(": "), 0, 0);
        return out;
    }

    ScriptedPrompter prompter;
    AppState state;
    JoyCatalogue joysticks;
};

} // namespace

TEST_F(Explain, KeysStayThePlaceWhateverTheWordsHold) {
    const QStringList atDefaults = lines();
    const QStringList expectedKeys = keys(atDefaults);
    EXPECT_EQ(QSet<QString>(expectedKeys.begin(), expectedKeys.end()).size(), expectedKeys.size());

    std::mt19937 random(12);
    std::uniform_int_distribution<int> word(0, 65535);
    for (int round = 0; round < 200; ++round) {
        for (int i = 1; i <= state.catalogue.VarCount(); ++i)
            state.catalogue[i].ReadE2FromECU(static_cast<std::int16_t>(word(random)));
        set(HvcId::HVC_NUM_PROP_REG, 4);
        for (int s = 0; s < 4; ++s) // flags beyond the three boxes add a line of their own
            set(static_cast<HvcId>(static_cast<int>(HvcId::HVC_SP_0_MACRO) + s), word(random) & 7);
        const QStringList now = lines();
        ASSERT_EQ(keys(now), expectedKeys) << "round " << round;
        for (const QString& line : now)
            ASSERT_FALSE(line.section(QStringLiteral(": "), 1).trimmed().isEmpty())
                << qPrintable(line);
    }
}

TEST_F(Explain, SectionsAreThoseThePageShows) {
    set(HvcId::HVC_NUM_PROP_REG, 2);
    QStringList all = lines();
    EXPECT_TRUE(all.contains(QStringLiteral("sections: 2")));
    EXPECT_TRUE(all.contains(QStringLiteral("section 2 ramp mode: BREAK")));
    EXPECT_TRUE(all.filter(QRegularExpression(QStringLiteral("^section 3 "))).isEmpty());
    // The dialog's rows for every section stay.
    EXPECT_TRUE(all.contains(QStringLiteral("inversion section 4: NO")));

    // Outside 1..4 the page shows the nearest count.
    set(HvcId::HVC_NUM_PROP_REG, 0);
    all = lines();
    EXPECT_TRUE(all.contains(QStringLiteral("sections: 0, shown 1")));
    EXPECT_EQ(all.filter(QStringLiteral(" ramp mode: ")).size(), 1);
    set(HvcId::HVC_NUM_PROP_REG, 9);
    all = lines();
    EXPECT_TRUE(all.contains(QStringLiteral("sections: 9, shown 4")));
    EXPECT_EQ(all.filter(QStringLiteral(" ramp mode: ")).size(), 4);
}

TEST_F(Explain, ItemsTheMapLacksShowADash) {
    // A map without some records.
    QFile file(test::sourcePath("res/ini/Ramlist.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList mapLines = QString::fromLatin1(file.readAll()).split(u'\n');
    for (const char* dropped : {"\tHVC_I1_MAX\t", "\tHVC_RAMP_TFALL_0\t", "\tHVC_DGT_CONFIG_2\t",
                                "\tHVC_FLOAT_CONFIG_2\t", "\tHVC_NUM_PROP_REG\t"})
        mapLines.erase(std::remove_if(mapLines.begin(), mapLines.end(),
                                      [dropped](const QString& l) {
                                          return l.contains(QLatin1String(dropped));
                                      }),
                       mapLines.end());
    Catalogue partial;
    ASSERT_TRUE(partial.LoadCatalogueText(mapLines.join(u'\n'), prompter));
    for (int i = 1; i <= partial.VarCount(); ++i)
        partial[i].ReadE2FromECU(partial[i].DefaultValue);
    const QStringList all = ExplainConfiguration(partial, joysticks);
    EXPECT_TRUE(all.contains(QStringLiteral("sections: -")));
    EXPECT_TRUE(all.contains(QStringLiteral("section 1 solenoid A ramp: -")));
    EXPECT_TRUE(
        all.contains(QStringLiteral("section 1 solenoid B ramp: rise 300 ms, fall 600 ms")));
    EXPECT_TRUE(all.contains(QStringLiteral("section 1 solenoid B current: -")));
    EXPECT_TRUE(all.contains(QStringLiteral("section 1 solenoid B slow current: 350..500 mA")));
    EXPECT_TRUE(all.contains(QStringLiteral("digital DI_03: -")));
    EXPECT_TRUE(all.contains(QStringLiteral("digital DI_04: -")));
    EXPECT_TRUE(all.contains(QStringLiteral("digital DI_02: LEVEL, byte 0, bit 1")));
    EXPECT_TRUE(all.contains(QStringLiteral("command Float Sec. 2: OFF")));
    EXPECT_TRUE(all.contains(QStringLiteral("command Float Sec. 3: -")));
    EXPECT_TRUE(all.contains(QStringLiteral("command Float Sec. 4: -")));
    // Without a count the page shows one section, so solenoid 2B is not listed.
    EXPECT_TRUE(all.filter(QRegularExpression(QStringLiteral("^section 2 "))).isEmpty());
}

TEST_F(Explain, CaptionsShownAsNothingOrNotAtAllAreVisible) {
    // The blank joystick words keep their codes apart: each packs differently.
    for (int blank : {2, 3, 7}) {
        set(HvcId::HVC_JOY_1_CONFIG, 1 | blank << 4);
        EXPECT_EQ(
            value(QStringLiteral("can channel Joy 2")),
            QStringLiteral("type Propotional, word blank (%1), side A OFF, side B OFF").arg(blank));
        // On the page the same word reads as an axis without a name.
        EXPECT_EQ(value(QStringLiteral("section 2 joystick input")),
                  QLatin1String(blank == 3 ? "n.a" : "n.a."));
    }
    // No input: the page's caption is empty. An axis code with no text: the page
    // keeps what it showed before, which a listing cannot know.
    set(HvcId::HVC_JOY_0_CONFIG, 0);
    set(HvcId::HVC_JOY_2_CONFIG, 0x81);
    EXPECT_EQ(value(QStringLiteral("section 1 joystick input")), QStringLiteral("(empty)"));
    EXPECT_EQ(value(QStringLiteral("can channel Joy 1")),
              QStringLiteral("type OFF, word X, side A OFF, side B OFF"));
    EXPECT_EQ(value(QStringLiteral("section 3 joystick input")), QStringLiteral("? (8)"));

    // A model the catalogue lacks, and a catalogue that did not load.
    set(HvcId::HVC_JOY_0_ID, 7);
    EXPECT_EQ(value(QStringLiteral("section 1 joystick model")), QStringLiteral("? (7)"));
    EXPECT_EQ(value(QStringLiteral("section 4 joystick model")), QStringLiteral("Not used (0)"));
    joysticks = JoyCatalogue();
    EXPECT_EQ(value(QStringLiteral("section 4 joystick model")), QStringLiteral("? (0)"));

    // Ramp modes other than 85 and 170; flags beyond the three boxes.
    set(HvcId::HVC_RAMP_INV_MODE_1, 0);
    EXPECT_EQ(value(QStringLiteral("section 2 ramp mode")), QStringLiteral("? (0)"));
    set(HvcId::HVC_RAMP_INV_MODE_1, 170);
    EXPECT_EQ(value(QStringLiteral("section 2 ramp mode")), QStringLiteral("BREAK"));
    set(HvcId::HVC_SP_1_MACRO, 13);
    EXPECT_EQ(value(QStringLiteral("option section 2 Section enabled with Dead-Man")),
              QStringLiteral("on"));
    EXPECT_EQ(value(QStringLiteral("option section 2 Wait for joystick NEUTRAL at RUN TIME")),
              QStringLiteral("off"));
    EXPECT_EQ(value(QStringLiteral("option section 2 Wait for joystick NEUTRAL at START UP")),
              QStringLiteral("on"));
    EXPECT_EQ(value(QStringLiteral("option section 2 other bits")), QStringLiteral("? (8)"));
}
