// The debugger model without a unit: a recording link stands in for the unit, so
// that what is sent (and what is not) can be checked exchange by exchange. The
// same commands against hvc-sim are in test_debugger_live.

#include "core/catalogue.h"
#include "core/debuggermodel.h"
#include "core/prompter.h"
#include "core/unitlink.h"
#include "support/shippedrecords.h"

#include <QMap>
#include <QStringList>
#include <gtest/gtest.h>

using namespace hvc;

namespace {

// A unit of plain words behind a link that logs every exchange and fails on demand.
class RecordingLink : public UnitLink {
public:
    Status openLink() override {
        ++opens;
        open = !refuseOpen;
        return open ? Status() : Status::linkFailure(QStringLiteral("no port"));
    }
    void closeLink() override { open = false; }
    bool isLinkOpen() const override { return open; }
    Status readE2(std::int32_t a, std::int32_t& v) override { return get("rE2", a, v); }
    Status readRam(std::int32_t a, std::int32_t& v) override { return get("rRAM", a, v); }
    Status writeE2(std::int32_t a, std::int32_t v) override { return put("wE2", a, v); }
    Status writeRam(std::int32_t a, std::int32_t v) override { return put("wRAM", a, v); }
    Status sendCommand(std::int32_t code, const QString& text) override {
        log << QStringLiteral("cmd %1 %2").arg(code).arg(text);
        return failCommand ? Status::linkFailure(QStringLiteral("refused")) : Status();
    }

    QMap<std::int32_t, std::int32_t> words;
    QStringList log;
    bool open = false;
    bool refuseOpen = false;
    bool failCommand = false;
    int failAfter = -1; // exchanges that still succeed; -1 for all
    int opens = 0;

private:
    Status fail() {
        if (failAfter == 0)
            return Status::linkFailure(QStringLiteral("time-out"));
        if (failAfter > 0)
            --failAfter;
        return {};
    }
    Status get(const char* what, std::int32_t a, std::int32_t& v) {
        log << QStringLiteral("%1 %2").arg(QLatin1String(what), FormatAddressText(a));
        if (Status s = fail(); !s)
            return s;
        v = words.value(a, 0);
        return {};
    }
    Status put(const char* what, std::int32_t a, std::int32_t v) {
        log << QStringLiteral("%1 %2 %3").arg(QLatin1String(what), FormatAddressText(a)).arg(v);
        if (Status s = fail(); !s)
            return s;
        words[a] = v;
        return {};
    }
};

struct Rig {
    Rig() {
        test::loadShippedRecordsAsRead(state, prompter);
        state.setPrompter(&prompter);
        state.link = &link;
        state.LoggedIn = true;
        model = std::make_unique<DebuggerModel>(state);
    }
    int position(HvcId id) const { return state.catalogue.IdIndex(id); }
    CVarData& var(HvcId id) { return *state.catalogue.Find(id); }
    void choose(HvcId id) { model->choose(position(id)); }

    AppState state;
    ScriptedPrompter prompter;
    RecordingLink link;
    std::unique_ptr<DebuggerModel> model;
};

} // namespace

TEST(DebuggerAddress, TypedWithOrWithoutThePoint) {
    std::int32_t a = 0;
    EXPECT_TRUE(DebuggerModel::ReadAddressText(QStringLiteral("01a2.03"), a));
    EXPECT_EQ(a, 0x01A203);
    EXPECT_TRUE(DebuggerModel::ReadAddressText(QStringLiteral("1A203"), a));
    EXPECT_EQ(a, 0x01A203);
    EXPECT_TRUE(DebuggerModel::ReadAddressText(QStringLiteral(" 0500.00 "), a));
    EXPECT_EQ(a, 0x050000);
    for (const char* bad : {"", ".", "01A2.03.5X", "1234567", "-12", "0x12", "12 34"})
        EXPECT_FALSE(DebuggerModel::ReadAddressText(QString::fromLatin1(bad), a)) << bad;
}

TEST(DebuggerAddress, EnterChoosesTheRecordOrTheFirst) {
    Rig rig;
    const int amp = rig.position(HvcId::HVC_DITHER_AMP);
    rig.model->setLastKey(DebuggerModel::kEnterKey);
    EXPECT_EQ(rig.model->CmbUpdate(QStringLiteral("0500.00")), amp);
    EXPECT_EQ(rig.model->CmbUpdate(QStringLiteral("050000")), amp);
    const DebugWordView& v = rig.model->view();
    EXPECT_EQ(v.address, QStringLiteral("0500.00"));
    EXPECT_EQ(v.addressText, QStringLiteral("0500.00"));
    EXPECT_EQ(v.name, rig.var(HvcId::HVC_DITHER_AMP).Name);
    EXPECT_EQ(v.tooltip, rig.var(HvcId::HVC_DITHER_AMP).SaveName);
    EXPECT_EQ(v.monitorName, rig.var(HvcId::HVC_DITHER_AMP).ExtraText);
    EXPECT_EQ(v.unit, QStringLiteral("mA"));
    EXPECT_EQ(v.unitE2, QStringLiteral("mA"));
    EXPECT_EQ(v.e2Display, QStringLiteral("0"));

    // No record at the address (or no address at all): record 1 after Enter.
    for (const char* none : {"0500", "ABCDEF", "not hex"}) {
        rig.model->choose(amp);
        EXPECT_EQ(rig.model->CmbUpdate(QString::fromLatin1(none)), 1) << none;
        EXPECT_EQ(rig.model->view().address, rig.state.catalogue[1].AddressText());
    }
    // Without Enter as the last key nothing changes.
    rig.model->choose(amp);
    rig.model->setLastKey('5');
    EXPECT_EQ(rig.model->CmbUpdate(QStringLiteral("0500")), -1);
    EXPECT_EQ(rig.model->position(), amp);
}

TEST(DebuggerAddress, ChoosingNothingAndAWordWithoutUnit) {
    Rig rig;
    rig.choose(HvcId::HVC_NUM_PROP_REG); // no unit text
    const DebugWordView& v = rig.model->view();
    EXPECT_EQ(v.unit, QString());
    EXPECT_EQ(v.e2Display, QString());
    EXPECT_EQ(v.ramDisplay, QString());
    EXPECT_EQ(v.e2Raw, QStringLiteral("0"));

    rig.model->choose(0);
    EXPECT_EQ(v.address, QStringLiteral("0"));
    EXPECT_EQ(v.name, QString());
    EXPECT_EQ(v.addressText, QString::fromLatin1(kNoVariableText));
    EXPECT_EQ(v.tooltip, QString::fromLatin1(kNoVariableText));
    EXPECT_EQ(v.monitorName, QString::fromLatin1(kNoVariableText));
    EXPECT_EQ(v.unit, QStringLiteral("---"));

    const QStringList list = rig.model->variableList();
    ASSERT_EQ(list.size(), rig.state.catalogue.VarCount() + 1);
    EXPECT_EQ(list[rig.position(HvcId::HVC_DITHER_FREQ)], rig.var(HvcId::HVC_DITHER_FREQ).Name);
}

TEST(DebuggerInput, NumbersTheCommandsTake) {
    std::int32_t v = 0;
    EXPECT_TRUE(DebuggerModel::ParseWord(QStringLiteral(" -32768 "), v));
    EXPECT_EQ(v, -32768);
    EXPECT_TRUE(DebuggerModel::ParseWord(QStringLiteral("+32767"), v));
    EXPECT_EQ(v, 32767);
    for (const char* bad : {"", "32768", "-32769", "12.5", "1,5", "1e3", "0x10", "abc", "--1"})
        EXPECT_FALSE(DebuggerModel::ParseWord(QString::fromLatin1(bad), v)) << bad;

    EXPECT_TRUE(DebuggerModel::TextStringIsInteger(QStringLiteral("12345")));
    EXPECT_TRUE(DebuggerModel::TextStringIsInteger(QStringLiteral("-120")));
    for (const char* bad : {"", "123456", "1.5", "1,5", "abc", "12a"})
        EXPECT_FALSE(DebuggerModel::TextStringIsInteger(QString::fromLatin1(bad))) << bad;
}

// Where the description leaves a case open the command says so and sends nothing;
// logged out, the commands do nothing at all.
TEST(DebuggerCommands, RefusedCasesSendNothing) {
    Rig rig;
    rig.model->read();
    rig.model->display();
    rig.model->write(QStringLiteral("5"));
    rig.model->toggleMonitor();
    EXPECT_EQ(rig.prompter.messages.size(), 4);
    EXPECT_TRUE(rig.prompter.texts()[0].startsWith(QStringLiteral("No variable chosen")));
    EXPECT_FALSE(rig.model->timerEnabled());

    rig.choose(HvcId::HVC_DITHER_AMP);
    rig.prompter.messages.clear();
    for (const char* bad : {"70000", "12.5", ""}) {
        rig.model->write(QString::fromLatin1(bad));
        rig.model->set(QString::fromLatin1(bad));
    }
    EXPECT_EQ(rig.prompter.messages.size(), 6);
    EXPECT_TRUE(rig.prompter.texts()[0].contains(QStringLiteral("nothing was sent")));
    rig.model->toggleWatch(); // an empty list
    EXPECT_EQ(rig.prompter.messages.size(), 7);

    rig.state.LoggedIn = false;
    rig.prompter.messages.clear();
    rig.model->read();
    rig.model->write(QStringLiteral("5"));
    rig.model->reset();
    rig.model->ditherUpdate();
    EXPECT_TRUE(rig.prompter.messages.isEmpty());
    EXPECT_TRUE(rig.link.log.isEmpty());
    EXPECT_EQ(rig.link.opens, 0);
}

// READ and WRITE go to the EEPROM word, DISPLAY and SET to the RAM word, each
// over a link opened anew; WRITE fills both columns.
TEST(DebuggerCommands, WhichMemoryEachCommandUses) {
    Rig rig;
    rig.choose(HvcId::HVC_VBB_400); // X/100, unit V
    CVarData& r = rig.var(HvcId::HVC_VBB_400);
    rig.link.words[r.Address] = 1230;
    rig.model->read();
    rig.model->write(QStringLiteral(" -7 "));
    const DebugWordView& v = rig.model->view();
    EXPECT_EQ(v.ramRaw, QStringLiteral("-7"));
    EXPECT_EQ(r.RAMInECU, -7);
    rig.model->set(QStringLiteral("2450"));
    rig.model->display();
    EXPECT_EQ(v.ramDisplay, DebuggerModel::ValueText(24.5));
    const QString a = r.AddressText();
    EXPECT_EQ(rig.link.log,
              QStringList({QStringLiteral("rE2 ") + a, QStringLiteral("wE2 ") + a + " -7",
                           QStringLiteral("wRAM ") + a + " 2450", QStringLiteral("rRAM ") + a}));
    EXPECT_EQ(rig.link.opens, 4);
    EXPECT_EQ(rig.state.connectState(), ConnectState::Connected);
}

TEST(DebuggerCommands, ResetBothWays) {
    Rig rig;
    rig.state.setConnectState(ConnectState::Connected);
    int busy = 0;
    QObject::connect(rig.model.get(), &DebuggerModel::busyChanged,
                     [&busy](bool on) { busy += on ? 1 : -1; });
    rig.model->reset();
    EXPECT_EQ(rig.link.log, QStringList{QStringLiteral("cmd 1024 1145130828")});
    EXPECT_EQ(rig.prompter.texts(),
              QStringList{QStringLiteral(
                  "POWER RESET Needed For Default Parameters Configuration To Be Effective !!!")});
    EXPECT_EQ(rig.prompter.messages[0].icon, PromptIcon::Information);
    EXPECT_EQ(rig.state.connectState(), ConnectState::NotConnected);
    EXPECT_FALSE(rig.link.open);
    EXPECT_EQ(busy, 0);

    rig.prompter.messages.clear();
    rig.link.failCommand = true;
    rig.model->reset();
    EXPECT_EQ(rig.prompter.texts(), QStringList{QStringLiteral("Operation Failed!")});
    EXPECT_EQ(rig.state.connectState(), ConnectState::NotConnected);
    EXPECT_EQ(busy, 0);
}

TEST(DebuggerMonitor, TicksProgressAndStopping) {
    Rig rig;
    rig.choose(HvcId::HVC_VBB_400);
    const std::int32_t address = rig.var(HvcId::HVC_VBB_400).Address;
    rig.model->toggleMonitor();
    EXPECT_TRUE(rig.model->timerEnabled());
    EXPECT_TRUE(rig.model->locked());
    EXPECT_EQ(rig.state.connectState(), ConnectState::DebuggerWorking);
    QList<int> percents;
    for (int n = 0; n < 11; ++n) {
        rig.link.words[address] = 2400 + n;
        rig.model->tick();
        percents << rig.state.ProgressPercent;
        EXPECT_EQ(rig.model->view().ramRaw, QString::number(2400 + n));
    }
    EXPECT_EQ(percents, QList<int>({10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 10}));
    EXPECT_EQ(rig.state.StatusText, QStringLiteral("Debug: Monitoring..."));
    EXPECT_TRUE(rig.model->StatusTimerForm());

    // Pressed again: the link goes back at once, the run ends at the next tick.
    rig.model->toggleMonitor();
    EXPECT_FALSE(rig.model->locked());
    EXPECT_EQ(rig.state.connectState(), ConnectState::Connected);
    EXPECT_TRUE(rig.state.polling.DebugStopRequest);
    const int reads = static_cast<int>(rig.link.log.size());
    rig.model->tick();
    EXPECT_FALSE(rig.model->timerEnabled());
    EXPECT_FALSE(rig.model->StatusTimerForm());
    EXPECT_EQ(rig.link.log.size(), reads);
    EXPECT_EQ(rig.state.StatusText, QStringLiteral("Debug..."));

    // Leaving the page: the same, the indicator back to 1 at once.
    rig.model->toggleMonitor();
    rig.model->tick();
    rig.model->deactivate();
    EXPECT_EQ(rig.state.connectState(), ConnectState::Connected);
    rig.model->tick();
    EXPECT_FALSE(rig.model->StatusTimerForm());
    EXPECT_FALSE(rig.model->locked());

    // Disabled between ticks (Disconnect, Exit): over at once, no flag left behind.
    rig.model->activate();
    rig.model->toggleMonitor();
    rig.model->tick();
    rig.model->DisableTimer();
    EXPECT_FALSE(rig.model->StatusTimerForm());
    EXPECT_FALSE(rig.model->monitoring());
    EXPECT_FALSE(rig.model->locked());
}

// A link closed under the run is a failed read, never a value of 0. (A unit that
// stops answering: test_debugger_live.)
TEST(DebuggerMonitor, AClosedLinkIsAFailedRead) {
    Rig rig;
    rig.choose(HvcId::HVC_VBB_400);
    rig.model->toggleMonitor();
    rig.link.closeLink();
    rig.model->tick();
    EXPECT_TRUE(rig.link.log.isEmpty());
    EXPECT_EQ(rig.prompter.texts(), QStringList{QStringLiteral("Operation Failed :FAILED!")});
    EXPECT_TRUE(rig.prompter.messages[0].detail.startsWith(QStringLiteral("port closed")));
    EXPECT_EQ(rig.model->view().ramRaw, QString::fromLatin1(kNoValueText));
    EXPECT_FALSE(rig.model->timerEnabled());
    EXPECT_FALSE(rig.model->StatusTimerForm());
    EXPECT_FALSE(rig.model->locked());
    EXPECT_EQ(rig.state.connectState(), ConnectState::NotConnected);
}

TEST(DebuggerDither, FieldRules) {
    Rig rig;
    CVarData& amp = rig.var(HvcId::HVC_DITHER_AMP); // 0..300
    amp.E2InECU = 50;
    rig.model->ditherTyped(0, QStringLiteral("12"));
    EXPECT_TRUE(rig.model->ditherRow(0).editing);
    EXPECT_EQ(amp.E2InECU, 50); // nothing taken before Enter
    rig.model->ditherEnter(0, QStringLiteral("12"));
    EXPECT_FALSE(rig.model->ditherRow(0).editing);
    EXPECT_EQ(amp.E2InECU, 12);
    EXPECT_EQ(rig.model->ditherRow(0).scroll, 12);

    const struct {
        const char* typed;
        int kept;
    } cases[] = {{"999", 300}, {"-5", 0}, {"abc", 0}, {"1.5", 0}, {"123456", 0}, {"77", 77}};
    for (const auto& c : cases) {
        rig.model->ditherEnter(0, QString::fromLatin1(c.typed));
        EXPECT_EQ(amp.E2InECU, c.kept) << c.typed;
        EXPECT_EQ(rig.model->ditherRow(0).text, QString::number(c.kept)) << c.typed;
    }
    rig.model->ditherScrolled(2, rig.model->ditherRow(2).maximum);
    EXPECT_EQ(rig.var(HvcId::HVC_DITHER_FREQ).E2InECU, rig.var(HvcId::HVC_DITHER_FREQ).MaxValue);
    EXPECT_EQ(rig.model->ditherRow(2).text,
              QString::number(rig.var(HvcId::HVC_DITHER_FREQ).MaxValue));
}

TEST(DebuggerDither, DisplayAndUpdate) {
    Rig rig;
    const auto addr = [&rig](HvcId id) { return rig.var(id).Address; };
    rig.link.words[addr(HvcId::HVC_DITHER_AMP)] = 120;
    rig.link.words[addr(HvcId::HVC_DITHER_AMP_PERC)] = 15;
    rig.link.words[addr(HvcId::HVC_DITHER_FREQ)] = 10; // below the minimum of 30
    rig.model->ditherDisplay();
    EXPECT_EQ(rig.model->ditherRow(0).text, QStringLiteral("120"));
    EXPECT_EQ(rig.model->ditherRow(1).text, QStringLiteral("15"));
    EXPECT_EQ(rig.model->ditherRow(2).text, QStringLiteral("10"));
    EXPECT_EQ(rig.model->ditherRow(2).scroll, 30);
    EXPECT_EQ(rig.var(HvcId::HVC_DITHER_FREQ).E2InECU, 10);

    // A value typed without Enter is sent as the field shows it.
    rig.model->ditherEnter(0, QStringLiteral("200"));
    rig.model->ditherTyped(1, QStringLiteral("20"));
    rig.link.log.clear();
    rig.model->ditherUpdate();
    EXPECT_EQ(rig.link.log,
              QStringList({QStringLiteral("wRAM 0500.00 200"), QStringLiteral("wRAM 0506.00 20"),
                           QStringLiteral("wRAM 0502.00 10"), QStringLiteral("wRAM 2F00.00 1")}));
    EXPECT_FALSE(rig.model->ditherRow(1).editing);
    EXPECT_EQ(rig.state.connectState(), ConnectState::Connected);
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
    EXPECT_EQ(rig.model->watchName(1), rig.var(HvcId::HVC_JOY0_VALUE).Name);
    EXPECT_EQ(rig.model->watchName(2), QStringLiteral("(address)"));
    EXPECT_EQ(rig.model->watchRaw(0), QString::fromLatin1(kNoValueText));

    rig.link.words[rig.var(HvcId::HVC_VBB_400).Address] = 2456;
    rig.link.words[rig.var(HvcId::HVC_JOY0_VALUE).Address] = 505;
    rig.link.words[0x7F0001] = -3;
    rig.model->toggleWatch();
    EXPECT_FALSE(rig.model->locked()); // the word's own commands stay free
    for (int n = 0; n < 4; ++n)
        rig.model->tick();
    EXPECT_EQ(rig.link.log,
              QStringList({QStringLiteral("rRAM 2200.00"), QStringLiteral("rRAM 2300.00"),
                           QStringLiteral("rRAM 7F00.01"), QStringLiteral("rRAM 2200.00")}));
    EXPECT_EQ(rig.model->watchValue(0), DebuggerModel::ValueText(24.56));
    EXPECT_EQ(rig.model->watchValue(1), DebuggerModel::ValueText(50.5));
    EXPECT_EQ(rig.model->watchRaw(2), QStringLiteral("-3"));
    EXPECT_EQ(rig.model->watchValue(2), QString());
    const QStringList lines = rig.model->watchTableText().split(u'\n');
    EXPECT_EQ(lines[0], QStringLiteral("Name\tAddress\tRaw\tValue\tUnit"));
    EXPECT_EQ(lines[1], QStringLiteral("Battery Voltage\t2200.00\t2456\t%1\tV")
                            .arg(DebuggerModel::ValueText(24.56)));
    EXPECT_EQ(lines[3], QStringLiteral("(address)\t7F00.01\t-3\t\t"));

    // Removing rows keeps the turn; an empty list stops watching.
    rig.model->removeWatch(0);
    rig.link.log.clear();
    rig.model->tick();
    EXPECT_EQ(rig.link.log, QStringList{QStringLiteral("rRAM 2300.00")});

    // With MONITOR on, a tick reads the word and then the list's next one;
    // MONITOR off, the list goes on alone.
    rig.choose(HvcId::HVC_VBB_400);
    rig.model->toggleMonitor();
    rig.link.log.clear();
    rig.model->tick();
    EXPECT_EQ(rig.link.log.size(), 2);
    rig.model->toggleMonitor();
    EXPECT_TRUE(rig.model->timerEnabled());
    EXPECT_EQ(rig.state.connectState(), ConnectState::DebuggerWorking);

    rig.model->clearWatch();
    EXPECT_FALSE(rig.model->watching());
    rig.model->tick();
    EXPECT_FALSE(rig.model->timerEnabled());
    EXPECT_EQ(rig.state.connectState(), ConnectState::Connected);
}
