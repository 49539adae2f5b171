// The unit commands without a window: UnitCommands on a view that records what it
// is asked to do, against hvc-sim on a pseudo-terminal.

#include "core/unitcommands.h"
#include "support/unitrig.h"

#include <QThread>
#include <csignal>

using namespace hvc;
using hvc::test::kUnitWords;
using hvc::test::readEeprom;
using hvc::test::UnitRig;
using hvc::test::writeEeprom;

namespace {

const QString kFailedText = QStringLiteral("Operation Failed :FAILED!");

// The window's side, reduced to a log of calls.
class RecordingView : public CommandView {
public:
    void setBusy(bool on) override {
        busy = on;
        calls << (on ? QStringLiteral("busy") : QStringLiteral("idle"));
    }
    void closeWaitBox() override { calls << QStringLiteral("close wait box"); }
    void stopPagePolling() override { calls << QStringLiteral("stop polling"); }
    void showFirstPage() override { calls << QStringLiteral("first page"); }
    void refreshActivePage() override { calls << QStringLiteral("refresh"); }
    bool called(const char* what) const { return calls.contains(QLatin1String(what)); }

    bool busy = false;
    QStringList calls;
};

struct CommandRig : UnitRig {
    RecordingView view;
    UnitCommands commands{state, view};

    // An edit the drawing tick has turned into "file to save".
    void makeUnsaved() {
        state.document.flags.markDataChanged();
        state.document.flags.tick();
    }
    // The records Read All reads, or a whole-image write sends, in their order.
    QList<UnitVariable*> records(bool written) {
        QList<UnitVariable*> out;
        for (int i = 1; i <= state.document.catalogue.varCount(); ++i)
            if (written ? isWrittenBy(state.document.catalogue[i], writeKeyAll(state))
                        : (state.document.catalogue[i].pageMask & readKeyAll(state)) != 0)
                out << &state.document.catalogue[i];
        return out;
    }
    // Every written record but the section count takes a new value.
    void changeWrittenValues(int by) {
        for (UnitVariable* r : records(true))
            if (r != &var(HvcId::HVC_NUM_PROP_REG))
                r->workingWord = r->defaultValue + by;
    }
};

} // namespace

TEST(UnitCommands, ConnectAsksAboutUnsavedChangesThenReadsTheUnitOrDisconnects) {
    CommandRig rig;
    writeEeprom(rig.eeprom(), kUnitWords);
    ASSERT_TRUE(rig.start());
    rig.makeUnsaved();
    rig.prompter.answers = {false, true};
    // Refused at the question: nothing read, the changes kept, the port given back.
    rig.commands.connectToUnit();
    EXPECT_EQ(rig.prompter.texts(), QStringList{unsavedQuestionText()});
    EXPECT_EQ(rig.state.session.connectState(), ConnectState::NotConnected);
    EXPECT_FALSE(rig.view.called("busy"));
    EXPECT_EQ(rig.var(HvcId::HVC_I0_MAX).unitWord, 800) << "read although refused";
    EXPECT_TRUE(rig.state.document.flags.unsaved());
    EXPECT_FALSE(rig.link.isLinkOpen());

    rig.commands.connectToUnit();
    EXPECT_EQ(rig.prompter.messages.size(), 2);
    EXPECT_EQ(rig.state.session.connectState(), ConnectState::Connected);
    EXPECT_EQ(rig.var(HvcId::HVC_I0_MAX).unitWord, 820);
    EXPECT_TRUE(rig.view.called("first page"));
    // The window is locked for the whole exchange and the wait box closed at its end.
    EXPECT_EQ(rig.view.calls.last(), QStringLiteral("close wait box"));
    EXPECT_LT(rig.view.calls.indexOf(QStringLiteral("busy")),
              rig.view.calls.indexOf(QStringLiteral("idle")));
    EXPECT_FALSE(rig.view.busy);
    // The working values are the unit's now.
    EXPECT_EQ(rig.state.document.flags.fileState(), FileState::None);
    EXPECT_TRUE(rig.state.document.flags.dataUnchanged());

    // Connect while connected disconnects without a word to the unit or the user.
    rig.view.calls.clear();
    rig.makeUnsaved();
    rig.commands.connectToUnit();
    EXPECT_EQ(rig.state.session.connectState(), ConnectState::NotConnected);
    EXPECT_FALSE(rig.link.isLinkOpen());
    EXPECT_TRUE(rig.view.called("stop polling"));
    EXPECT_EQ(rig.prompter.messages.size(), 2);
    EXPECT_TRUE(rig.state.document.flags.dataUnchanged());
}

TEST(UnitCommands, ResetLoadsTheDefaultsAndConnectAsksForThePowerCycleUntilItCame) {
    CommandRig rig;
    writeEeprom(rig.eeprom(), kUnitWords);
    ASSERT_TRUE(rig.start());
    rig.state.session.setConnectState(ConnectState::Connected);
    rig.commands.reset();
    EXPECT_EQ(rig.prompter.texts(),
              QStringList{QStringLiteral("Switch OFF and then switch ON power supply!")});
    EXPECT_EQ(rig.state.session.connectState(), ConnectState::NotConnected);
    EXPECT_FALSE(rig.link.isLinkOpen());
    EXPECT_FALSE(rig.view.busy);
    EXPECT_EQ(readEeprom(rig.eeprom()).value(QStringLiteral("0302.00")), 800)
        << "the unit took its defaults";

    const QString question =
        QStringLiteral("Missing POWER RESET After A 'RESET' Command : Continue Anyway? ");
    rig.var(HvcId::HVC_I0_MIN).unitWord = 1;
    for (const bool yes : {false, true}) {
        rig.prompter.messages.clear();
        rig.prompter.answers = {yes};
        rig.commands.connectToUnit();
        EXPECT_EQ(rig.prompter.texts(), QStringList{question});
        EXPECT_EQ(rig.state.session.connectState(),
                  yes ? ConnectState::Connected : ConnectState::NotConnected);
        EXPECT_EQ(rig.link.isLinkOpen(), yes);
        EXPECT_FALSE(rig.view.busy);
        EXPECT_EQ(rig.var(HvcId::HVC_I0_MIN).unitWord, yes ? 300 : 1)
            << "connected on the defaults";
    }

    // After the power cycle (SIGHUP) Connect asks nothing.
    rig.commands.connectToUnit();
    ASSERT_TRUE(rig.sim.sendSignal(SIGHUP));
    bool pending = true;
    ASSERT_TRUE(rig.link.openLink());
    for (int tries = 0; tries < 50 && pending; ++tries) {
        QThread::msleep(20);
        ASSERT_TRUE(checkUnitIdentity(rig.state, pending).ok());
    }
    rig.prompter.messages.clear();
    rig.commands.connectToUnit();
    EXPECT_TRUE(rig.prompter.messages.isEmpty()) << rig.prompter.texts().join(u'\n').toStdString();
    EXPECT_EQ(rig.state.session.connectState(), ConnectState::Connected);
}

TEST(UnitCommands, AUnitThatStopsAnsweringEndsTheCommandWithTheReasonAndKeepsWhatWasDone) {
    const auto mute = [](const char* n) { return QStringList{"--mute-after", n}; };
    using Run = void (*)(CommandRig&);
    const Run connect = [](CommandRig& r) { r.commands.connectToUnit(); };
    const Run readAll = [](CommandRig& r) { r.commands.readAll(); };
    const struct {
        Run run;
        QStringList sim;
        int timeoutMs;
        int failsAt; // the record the unit did not answer for; -1: none named
        const char* detail;
        bool closesWaitBox; // a whole-image transfer leaves it to the next drawing tick
    } cases[] = {
        {connect, {"--delay", "400"}, 150, -1, "identity", true}, // every reply too late
        {[](CommandRig& r) { r.commands.reset(); }, mute("0"), 1000, -1, "load-defaults", false},
        {readAll, mute("3"), 200, 3, "reading ", false},
        {[](CommandRig& r) { r.commands.writeAll(); }, mute("2"), 200, 2, "writing ", false},
        {[](CommandRig& r) {
             r.commands.writePage(r.state.document.page(Page::Config).writeKey, {});
         },
         mute("4"), 200, 4, "writing ", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.detail);
        CommandRig rig;
        rig.link.setBlockFrames(false); // --mute-after counts frames; here one per word
        writeEeprom(rig.eeprom(), kUnitWords);
        ASSERT_TRUE(rig.start(c.sim, hvc::test::smallMap(), c.timeoutMs));
        const auto before = readEeprom(rig.eeprom());
        const bool reads = c.run == readAll, writes = c.failsAt >= 0 && !reads;
        const QList<UnitVariable*> records = rig.records(!reads);
        if (c.run != connect) {
            rig.state.session.setConnectState(ConnectState::Connected);
            rig.changeWrittenValues(3);
            rig.makeUnsaved();
        }
        c.run(rig);
        ASSERT_EQ(rig.prompter.messages.size(), 1)
            << rig.prompter.texts().join(u'\n').toStdString();
        const ScriptedPrompter::Message& m = rig.prompter.messages[0];
        EXPECT_EQ(m.text, kFailedText);
        const QString detail =
            c.failsAt < 0 ? QString::fromLatin1(c.detail) : c.detail + records[c.failsAt]->name;
        EXPECT_TRUE(m.detail.startsWith(detail) || (c.failsAt < 0 && m.detail.contains(detail)))
            << m.detail.toStdString();
        EXPECT_TRUE(m.detail.contains(QStringLiteral("time-out"))) << m.detail.toStdString();
        EXPECT_EQ(rig.state.session.connectState(), ConnectState::NotConnected);
        EXPECT_FALSE(rig.view.busy);
        EXPECT_EQ(rig.view.called("close wait box"), c.closesWaitBox);
        if (c.failsAt < 0)
            continue;
        EXPECT_TRUE(rig.state.document.flags.unsaved());
        EXPECT_FALSE(rig.state.document.flags.dataUnchanged()) << "the edits still wait";
        // What was read or written before the unit fell silent is recorded; the rest
        // is neither sent nor recorded.
        const auto after = readEeprom(rig.eeprom());
        for (int k = 0; k < records.size(); ++k) {
            const UnitVariable& r = *records[k];
            const QString at = r.addressText();
            const bool done = k < c.failsAt;
            EXPECT_EQ(r.unitWord, !done   ? r.defaultValue
                                  : reads ? before.value(at)
                                          : r.workingWord)
                << r.name.toStdString();
            EXPECT_EQ(after.value(at), done && writes ? r.workingWord : before.value(at))
                << r.name.toStdString();
        }
    }
}

TEST(UnitCommands, ReadAllAndWriteAllCoverEveryPageAndStayConnected) {
    CommandRig rig;
    writeEeprom(rig.eeprom(), kUnitWords);
    ASSERT_TRUE(rig.start());
    rig.state.session.setConnectState(ConnectState::Connected);
    // Not only the configuration page's keys.
    rig.state.document.page(Page::Config).readKey = 0;
    rig.state.document.page(Page::Diagnostic).readKey = 10;
    rig.makeUnsaved();
    rig.commands.readAll();
    EXPECT_EQ(rig.state.session.connectState(), ConnectState::Connected);
    for (const UnitVariable* r : rig.records(false))
        EXPECT_EQ(r->unitWord, kUnitWords.value(r->addressText())) << r->name.toStdString();
    EXPECT_TRUE(rig.state.document.flags.unsaved()) << "Read All leaves the file state";

    rig.state.document.page(Page::Config).writeKey = 0;
    rig.state.document.page(Page::Monitor).writeKey = 11;
    rig.changeWrittenValues(7);
    const QList<UnitVariable*> written = rig.records(true);
    ASSERT_GT(written.size(), 5);
    rig.commands.writeAll();
    EXPECT_EQ(rig.state.session.connectState(), ConnectState::Connected);
    const auto unit = readEeprom(rig.eeprom());
    for (const UnitVariable* r : written) {
        EXPECT_EQ(unit.value(r->addressText()), r->workingWord) << r->name.toStdString();
        EXPECT_EQ(r->unitWord, r->workingWord) << r->name.toStdString();
    }
    EXPECT_TRUE(rig.prompter.messages.isEmpty());
    EXPECT_FALSE(rig.view.busy);
}
