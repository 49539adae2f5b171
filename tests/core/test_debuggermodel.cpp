// The debugger model against a scripted link: what is sent, exchange by exchange.

#include "core/debuggermodel.h"
#include "core/prompter.h"
#include "support/scriptedlink.h"
#include "support/shippedrecords.h"

#include <gtest/gtest.h>

using namespace hvc;

namespace {

struct Rig {
    Rig() {
        test::loadShippedRecordsAsRead(state, prompter);
        state.observers.setPrompter(&prompter);
        state.session.link = &link;
        state.session.loggedIn = true;
        link.open = false;
        model = std::make_unique<DebuggerModel>(state);
    }
    int position(HvcId id) const { return state.document.catalogue.idIndex(id); }
    UnitVariable& var(HvcId id) { return *state.document.catalogue.find(id); }
    void choose(HvcId id) { model->choose(position(id)); }

    AppState state;
    ScriptedPrompter prompter;
    test::ScriptedLink link;
    std::unique_ptr<DebuggerModel> model;
};

} // namespace

TEST(DebuggerInput, AddressesAndNumbersTheCommandsTakeAndOnlyEnterChooses) {
    std::int32_t v = 0;
    for (const auto& [text, address] :
         {std::pair{"01a2.03", 0x01A203}, {"1A203", 0x01A203}, {" 0500.00 ", 0x050000}}) {
        EXPECT_TRUE(DebuggerModel::readAddressText(QLatin1String(text), v)) << text;
        EXPECT_EQ(v, address) << text;
    }
    for (const char* bad : {"", ".", "01A2.03.5X", "1234567", "-12", "0x12", "12 34"})
        EXPECT_FALSE(DebuggerModel::readAddressText(QLatin1String(bad), v)) << bad;
    for (const auto& [text, word] : {std::pair{" -32768 ", -32768}, {"+32767", 32767}}) {
        EXPECT_TRUE(DebuggerModel::parseWord(QLatin1String(text), v)) << text;
        EXPECT_EQ(v, word) << text;
    }
    for (const char* bad : {"", "32768", "-32769", "12.5", "1,5", "1e3", "0x10", "abc", "--1"})
        EXPECT_FALSE(DebuggerModel::parseWord(QLatin1String(bad), v)) << bad;
    EXPECT_TRUE(DebuggerModel::textStringIsInteger(QStringLiteral("-120")));
    // An address typed and Enter chooses its record, or record 1 when none has it
    // (test_debugger_live); here the corners.
    Rig rig;
    const int amp = rig.position(HvcId::HVC_DITHER_AMP);
    rig.model->setLastKey(DebuggerModel::kEnterKey);
    EXPECT_EQ(rig.model->cmbUpdate(QStringLiteral("050000")), amp);
    EXPECT_EQ(rig.model->cmbUpdate(QStringLiteral("0500")), 1) << "no record there";
    rig.model->setLastKey('5');
    EXPECT_EQ(rig.model->cmbUpdate(QStringLiteral("0500")), -1) << "only Enter chooses";
}

// Without a word chosen, or with a value that is no 16-bit number, a command says
// so and sends nothing; logged out, the commands do nothing at all.
TEST(DebuggerCommands, RefusedCasesSendNothingAndARefusedResetSaysSo) {
    Rig rig;
    rig.model->read();
    rig.model->write(QStringLiteral("5"));
    rig.model->toggleMonitor();
    EXPECT_EQ(rig.prompter.messages.size(), 3);
    EXPECT_TRUE(rig.prompter.texts()[0].startsWith(QStringLiteral("No variable chosen")));
    EXPECT_FALSE(rig.model->timerEnabled());

    rig.choose(HvcId::HVC_DITHER_AMP);
    rig.prompter.messages.clear();
    for (const char* bad : {"70000", "12.5", ""})
        rig.model->write(QLatin1String(bad)), rig.model->set(QLatin1String(bad));
    EXPECT_EQ(rig.prompter.messages.size(), 6);
    EXPECT_TRUE(rig.prompter.texts()[0].contains(QStringLiteral("nothing was sent")));
    rig.model->toggleWatch(); // an empty list
    EXPECT_EQ(rig.prompter.messages.size(), 7);

    rig.state.session.loggedIn = false;
    rig.prompter.messages.clear();
    rig.model->read();
    rig.model->write(QStringLiteral("5"));
    rig.model->reset();
    rig.model->ditherUpdate();
    EXPECT_TRUE(rig.prompter.messages.isEmpty());
    EXPECT_TRUE(rig.link.log.isEmpty());
    EXPECT_EQ(rig.link.opens, 0);

    rig.state.session.loggedIn = true; // a reset the unit refuses says so
    rig.link.failCommand = true;
    rig.model->reset();
    EXPECT_EQ(rig.link.log, QStringList{QStringLiteral("cmd 1024 1145130828")});
    EXPECT_EQ(rig.prompter.texts(), QStringList{QStringLiteral("Operation Failed!")});
}

// READ and WRITE go to the EEPROM word, DISPLAY and SET to the RAM word, each
// over a link opened anew; WRITE fills both columns.
TEST(DebuggerCommands, WhichMemoryEachCommandUses) {
    Rig rig;
    rig.choose(HvcId::HVC_VBB_400); // X/100, unit V
    UnitVariable& r = rig.var(HvcId::HVC_VBB_400);
    rig.link.words[r.address] = 1230;
    rig.model->read();
    rig.model->write(QStringLiteral(" -7 "));
    const DebugWordView& v = rig.model->view();
    EXPECT_EQ(v.ramRaw, QStringLiteral("-7"));
    EXPECT_EQ(r.unitRamWord, -7);
    rig.model->set(QStringLiteral("2450"));
    rig.model->display();
    EXPECT_EQ(v.ramDisplay, DebuggerModel::valueText(24.5));
    EXPECT_EQ(rig.link.log,
              QStringList({"rE2 2200.00", "wE2 2200.00 -7", "wRAM 2200.00 2450", "rRAM 2200.00"}));
    EXPECT_EQ(rig.link.opens, 4);
    EXPECT_EQ(rig.state.session.connectState(), ConnectState::Connected);
}

TEST(DebuggerMonitor, TicksProgressAndStopping) {
    Rig rig;
    rig.choose(HvcId::HVC_VBB_400);
    rig.model->toggleMonitor();
    EXPECT_TRUE(rig.model->locked());
    EXPECT_EQ(rig.state.session.connectState(), ConnectState::DebuggerWorking);
    QList<int> percents;
    for (int n = 0; n < 11; ++n) {
        rig.link.words[0x220000] = 2400 + n;
        rig.model->tick();
        percents << rig.state.observers.progress.percent();
    }
    EXPECT_EQ(percents, QList<int>({10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 10}));
    EXPECT_TRUE(rig.model->isPolling());

    EXPECT_EQ(rig.model->view().ramRaw, QStringLiteral("2410"));

    // Disabled (Disconnect, Exit): over at once, no flag left behind.
    rig.model->disableTimer();
    EXPECT_FALSE(rig.model->isPolling() || rig.model->monitoring() || rig.model->locked());

    // A link closed under the run is a failed read, never a value of 0.
    rig.model->toggleMonitor();
    rig.link.closeLink();
    rig.link.log.clear();
    rig.model->tick();
    EXPECT_TRUE(rig.link.log.isEmpty());
    EXPECT_EQ(rig.prompter.texts(), QStringList{QStringLiteral("Operation Failed :FAILED!")});
    EXPECT_TRUE(rig.prompter.messages[0].detail.startsWith(QStringLiteral("port closed")));
    EXPECT_EQ(rig.model->view().ramRaw, QString::fromLatin1(kNoValueText));
    EXPECT_FALSE(rig.model->timerEnabled() || rig.model->isPolling() || rig.model->locked());
    EXPECT_EQ(rig.state.session.connectState(), ConnectState::NotConnected);
}

TEST(DebuggerDither, FieldsDisplayAndUpdate) {
    Rig rig;
    UnitVariable& amp = rig.var(HvcId::HVC_DITHER_AMP); // 0..300
    const UnitVariable& freq = rig.var(HvcId::HVC_DITHER_FREQ);
    // Typing, Enter and the scroll bar are in test_debugger_live; here what Enter
    // makes of a text out of range or no number.
    for (const auto& [typed, kept] :
         {std::pair{"999", 300}, {"-5", 0}, {"abc", 0}, {"1.5", 0}, {"123456", 0}, {"77", 77}}) {
        rig.model->ditherEnter(0, QLatin1String(typed));
        EXPECT_EQ(amp.unitWord, kept) << typed;
        EXPECT_EQ(rig.model->ditherRow(0).text, QString::number(kept)) << typed;
    }

    rig.link.words = {{amp.address, 120},
                      {rig.var(HvcId::HVC_DITHER_AMP_PERC).address, 15},
                      {freq.address, 10}}; // below the minimum of 30
    rig.model->ditherDisplay();
    EXPECT_EQ(rig.model->ditherRow(2).text, QStringLiteral("10"));
    EXPECT_EQ(rig.model->ditherRow(2).scroll, 30);

    // A value typed without Enter is sent as the field shows it.
    rig.model->ditherEnter(0, QStringLiteral("200"));
    rig.model->ditherTyped(1, QStringLiteral("20"));
    rig.link.log.clear();
    rig.model->ditherUpdate();
    EXPECT_EQ(rig.link.log, QStringList({"wRAM 0500.00 200", "wRAM 0506.00 20", "wRAM 0502.00 10",
                                         "wRAM 2F00.00 1"}));
}

TEST(DebuggerWatch, ListReadInTurn) {
    Rig rig;
    EXPECT_TRUE(rig.model->addWatch(rig.position(HvcId::HVC_VBB_400)));
    EXPECT_FALSE(rig.model->addWatch(rig.position(HvcId::HVC_VBB_400)));
    EXPECT_TRUE(rig.model->addWatchAddress(QStringLiteral("2300.00"))); // Joy 1 Value
    EXPECT_TRUE(rig.model->addWatchAddress(QStringLiteral("7F0001")));  // no record
    EXPECT_FALSE(rig.model->addWatchAddress(QStringLiteral("zz")));
    EXPECT_FALSE(rig.model->addWatch(0));
    EXPECT_EQ(rig.prompter.messages.size(), 2);
    ASSERT_EQ(rig.model->watchList().size(), 3);

    rig.link.words = {{0x220000, 2456}, {0x230000, 505}, {0x7F0001, -3}};
    rig.model->toggleWatch();
    EXPECT_FALSE(rig.model->locked()); // the word's own commands stay free
    for (int n = 0; n < 4; ++n)
        rig.model->tick();
    EXPECT_EQ(rig.link.log,
              QStringList({"rRAM 2200.00", "rRAM 2300.00", "rRAM 7F00.01", "rRAM 2200.00"}));
    EXPECT_EQ(rig.model->watchTableText().split(u'\n').value(3),
              QStringLiteral("(address)\t7F00.01\t-3\t\t"));

    rig.model->removeWatch(0); // the turn stays on the next row
    rig.link.log.clear();
    rig.model->tick();
    EXPECT_EQ(rig.link.log, QStringList{QStringLiteral("rRAM 2300.00")});
    // With MONITOR on, a tick reads the word and then the list's next one;
    // MONITOR off, the list goes on alone; an empty list stops watching.
    rig.choose(HvcId::HVC_VBB_400);
    rig.model->toggleMonitor();
    rig.link.log.clear();
    rig.model->tick();
    EXPECT_EQ(rig.link.log.size(), 2);
    rig.model->toggleMonitor();
    EXPECT_EQ(rig.state.session.connectState(), ConnectState::DebuggerWorking);
    rig.model->clearWatch();
    rig.model->tick();
    EXPECT_FALSE(rig.model->timerEnabled());
    EXPECT_EQ(rig.state.session.connectState(), ConnectState::Connected);
}
