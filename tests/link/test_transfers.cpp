// Whole-image transfers end to end: the transfer code, the link procedures and
// hvc-sim over a real pseudo-terminal.

#include "support/unitrig.h"

using namespace hvc;
using hvc::test::kUnitWords;
using hvc::test::readEeprom;
using hvc::test::UnitRig;
using hvc::test::writeEeprom;

namespace {

class ProgressLog : public ProgressObserver {
public:
    void onProgress(const QString& text, int percent) override {
        texts << text;
        percents << percent;
    }
    QStringList texts;
    QList<int> percents;
};

} // namespace

TEST(Transfers, ReadAllTakesEveryParameterFromTheUnitWithItsProgress) {
    UnitRig rig;
    writeEeprom(rig.eeprom(), kUnitWords);
    ASSERT_TRUE(rig.start());
    ProgressLog progress;
    rig.state.observers.progress.setObserver(&progress);
    int refreshed = 0;
    rig.state.observers.refreshShownPage = [&] { ++refreshed; };

    ASSERT_TRUE(readImage(rig.state, readKeyAll(rig.state)).ok());
    const Catalogue& cat = rig.state.document.catalogue;
    for (int i = 1; i <= cat.varCount(); ++i) {
        const UnitVariable& r = cat[i];
        if (r.pageMask == 0)
            continue;
        EXPECT_EQ(r.unitWord, kUnitWords.value(r.addressText())) << r.name.toStdString();
        EXPECT_EQ(r.workingWord, r.unitWord);
    }
    EXPECT_EQ(rig.var(HvcId::HVC_RAMP_TRISE_0).shownValue, 12); // X/10 of 125, half to even
    EXPECT_EQ(rig.var(HvcId::HVC_VBB_400).unitWord, 2400) << "RAM words are not part of the image";
    EXPECT_TRUE(rig.prompter.messages.isEmpty());
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(rig.state.session.connectState(), ConnectState::Transfer);
    ASSERT_FALSE(progress.percents.isEmpty());
    EXPECT_EQ(progress.texts.last(), QStringLiteral("Reading..."));

    // Ten variables are read; a page count of 8 makes every other step an exact half.
    // Without a total: 100 rather than a division by 0.
    const QList<int> halves{12, 25, 38, 50, 62, 75, 88, 100, 100, 100};
    for (const int total : {8, 0}) {
        progress.percents.clear();
        rig.state.document.page(Page::Config).pageVarNum = total;
        ASSERT_TRUE(readImage(rig.state, readKeyAll(rig.state)).ok());
        EXPECT_EQ(progress.percents, total ? halves : QList<int>(10, 100));
    }
}

TEST(Transfers, SectionsBeyondTheConfiguredOnesAreNeitherReadNorWritten) {
    // In block frames, and one word per exchange with a unit that has none.
    for (const QStringList& sim : {QStringList(), QStringList{"--single-word-only"}}) {
        UnitRig rig;
        QMap<QString, int> words = kUnitWords;
        words[QStringLiteral("0200.00")] = 2; // two proportional sections
        writeEeprom(rig.eeprom(), words);
        ASSERT_TRUE(rig.start(sim));
        ProgressLog progress;
        rig.state.observers.progress.setObserver(&progress);

        ASSERT_TRUE(readImage(rig.state, readKeyAll(rig.state)).ok());
        UnitVariable& third = rig.var(HvcId::HVC_I4_MIN); // section 2
        EXPECT_EQ(third.unitWord, 300) << "read although its section is not configured";
        EXPECT_EQ(rig.var(HvcId::HVC_I2_MIN).unitWord, 330); // section 1 is
        // It still counts in the progress.
        EXPECT_EQ(progress.percents.size(), countPageVars(rig.state, readKeyAll(rig.state)));

        third.workingWord = 999;
        rig.var(HvcId::HVC_I2_MIN).workingWord = 444;
        ASSERT_TRUE(writeImage(rig.state, rig.writeMask()).ok());
        const auto unit = readEeprom(rig.eeprom());
        EXPECT_EQ(unit.value(QStringLiteral("0310.00")), 340) << "written although not configured";
        EXPECT_EQ(third.unitWord, 300);
        EXPECT_EQ(unit.value(QStringLiteral("0308.00")), 444);
        EXPECT_EQ(rig.link.blockExchanges() > 1, sim.isEmpty());
    }
}

TEST(Transfers, OutOfRangeWordsFallBackToDefaultsWithOneReport) {
    UnitRig rig;
    QMap<QString, int> words = kUnitWords;
    words[QStringLiteral("0302.00")] = 2000; // I Max 1A, limit 1500
    words[QStringLiteral("0502.00")] = 5;    // Dither Frequency, 30..300
    words[QStringLiteral("0602.00")] = 3;    // Joystick Timeout, 20..65535: restored silently
    words[QStringLiteral("0200.00")] = 7;    // Prop. Sections, 1..4: checked before it is used
    writeEeprom(rig.eeprom(), words);
    ASSERT_TRUE(rig.start());

    ASSERT_TRUE(readImage(rig.state, readKeyAll(rig.state)).ok());
    ASSERT_EQ(rig.prompter.messages.size(), 1);
    EXPECT_EQ(rig.prompter.messages[0].text,
              QStringLiteral("READ FAULT:\r - I Max 1A\r - Dither Frequency\r - Prop. Sections\r"));
    // The detail names every word replaced, the silent one too, with its limits.
    const QStringList detail = rig.prompter.messages[0].detail.split(u'\n');
    EXPECT_EQ(detail.size(), 4);
    EXPECT_TRUE(detail.contains("I Max 1A: the unit holds 2000, outside 0..1500; the default 800 "
                                "is shown in its place"));
    EXPECT_TRUE(detail.contains("Joystick Timeout: the unit holds 3, outside 20..65535; the "
                                "default 200 is shown in its place"));
    EXPECT_EQ(rig.var(HvcId::HVC_I0_MAX).unitWord, 800);
    EXPECT_EQ(rig.var(HvcId::HVC_DITHER_FREQ).workingWord, 100);
    EXPECT_EQ(rig.var(HvcId::HVC_JOY_TIMEOUT).unitWord, 200);
    EXPECT_EQ(rig.var(HvcId::HVC_NUM_PROP_REG).unitWord, 4);
    EXPECT_EQ(rig.var(HvcId::HVC_I4_MIN).unitWord, 340) << "section 2 read with the checked limit";
}

TEST(Transfers, TransfersOnAClosedLinkFailInsteadOfInventingValues) {
    UnitRig rig;
    writeEeprom(rig.eeprom(), kUnitWords);
    ASSERT_TRUE(rig.start());
    rig.link.closeLink();
    rig.var(HvcId::HVC_I0_MIN).workingWord = 555;
    EXPECT_FALSE(readImage(rig.state, readKeyAll(rig.state)).ok());
    EXPECT_FALSE(writeImage(rig.state, rig.writeMask()).ok());
    bool pending = true;
    EXPECT_FALSE(checkUnitIdentity(rig.state, pending).ok());
    EXPECT_FALSE(loadDefaults(rig.state).ok());
    EXPECT_EQ(rig.var(HvcId::HVC_I0_MIN).unitWord, 300);
    EXPECT_EQ(rig.var(HvcId::HVC_I0_MIN).workingWord, 555);
    EXPECT_EQ(readEeprom(rig.eeprom()).value(QStringLiteral("0300.00")), 310);
}
