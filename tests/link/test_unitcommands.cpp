// The unit commands without a window: UnitCommands on a view that records what it
// is asked to do, against hvc-sim on a pseudo-terminal.

#include "core/unitcommands.h"
#include "support/unitrig.h"

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

    // Started and already connected, as after a Connect.
    bool startConnected(const QStringList& simArgs = {}, int timeoutMs = 1000) {
        if (!start(simArgs, hvc::test::smallMap(), timeoutMs))
            return false;
        state.setConnectState(ConnectState::Connected);
        return true;
    }
    // An edit the drawing tick has turned into "file to save".
    void makeUnsaved() {
        state.document.markDataChanged();
        state.document.tick();
    }
    // The records Read All reads, in the order it reads them.
    QList<CVarData*> readRecords() {
        QList<CVarData*> out;
        for (int i = 1; i <= state.catalogue.VarCount(); ++i)
            if ((state.catalogue[i].PageMask & readKeyAll(state)) != 0)
                out << &state.catalogue[i];
        return out;
    }
    // The records a whole-image write sends, in the order it sends them.
    QList<CVarData*> writtenRecords() {
        QList<CVarData*> out;
        for (int i = 1; i <= state.catalogue.VarCount(); ++i)
            if (isWrittenBy(state.catalogue[i], writeKeyAll(state)))
                out << &state.catalogue[i];
        return out;
    }
    // Every written record but the section count takes a new value.
    void changeWrittenValues(int by) {
        for (CVarData* r : writtenRecords())
            if (r != &var(HvcId::HVC_NUM_PROP_REG))
                r->E2Value = r->DefaultValue + by;
    }
    const ScriptedPrompter::Message* lastMessage() const {
        return prompter.messages.isEmpty() ? nullptr : &prompter.messages.last();
    }
};

} // namespace

TEST(UnitCommands, ConnectReadsTheUnitAndShowsTheFirstPage) {
    CommandRig rig;
    writeEeprom(rig.eeprom(), kUnitWords);
    ASSERT_TRUE(rig.start());
    rig.makeUnsaved();
    rig.prompter.answers = {true}; // leave the unsaved changes

    rig.commands.connectToUnit();
    EXPECT_EQ(rig.state.connectState(), ConnectState::Connected);
    EXPECT_EQ(rig.prompter.texts(), QStringList{UnsavedQuestionText()});
    EXPECT_EQ(rig.var(HvcId::HVC_PROG_VERS).E2InECU, 205);
    EXPECT_EQ(rig.var(HvcId::HVC_I0_MAX).E2InECU, 820);
    EXPECT_EQ(rig.var(HvcId::HVC_I0_MAX).E2Value, 820);
    EXPECT_FALSE(rig.view.busy);
    EXPECT_TRUE(rig.view.called("first page"));
    EXPECT_TRUE(rig.view.called("refresh"));
    // The window is locked for the whole exchange and the wait box closed at its end.
    EXPECT_EQ(rig.view.calls.last(), QStringLiteral("close wait box"));
    EXPECT_LT(rig.view.calls.indexOf(QStringLiteral("busy")),
              rig.view.calls.indexOf(QStringLiteral("idle")));
    // The working values are the unit's now.
    EXPECT_EQ(rig.state.document.fileState(), FileState::None);
    EXPECT_TRUE(rig.state.document.dataUnchanged());
    EXPECT_FALSE(rig.state.document.paramsDiffer());
}

TEST(UnitCommands, ConnectWhileConnectedDisconnectsWithoutTalkingToTheUnit) {
    CommandRig rig;
    ASSERT_TRUE(rig.start());
    rig.commands.connectToUnit();
    ASSERT_EQ(rig.state.connectState(), ConnectState::Connected);
    rig.view.calls.clear();
    rig.makeUnsaved();

    rig.commands.connectToUnit();
    EXPECT_EQ(rig.state.connectState(), ConnectState::NotConnected);
    EXPECT_FALSE(rig.link.isLinkOpen());
    EXPECT_TRUE(rig.view.called("stop polling"));
    EXPECT_FALSE(rig.view.called("busy"));
    EXPECT_TRUE(rig.prompter.messages.isEmpty()) << "a disconnect asks nothing";
    EXPECT_EQ(rig.state.document.fileState(), FileState::None);
    EXPECT_TRUE(rig.state.document.dataUnchanged());
}

TEST(UnitCommands, ConnectRefusedAtTheUnsavedQuestionReadsNothing) {
    CommandRig rig;
    writeEeprom(rig.eeprom(), kUnitWords);
    ASSERT_TRUE(rig.start());
    rig.makeUnsaved();
    rig.prompter.answers = {false};

    rig.commands.connectToUnit();
    EXPECT_EQ(rig.prompter.texts(), QStringList{UnsavedQuestionText()});
    EXPECT_EQ(rig.state.connectState(), ConnectState::NotConnected);
    EXPECT_FALSE(rig.view.called("busy"));
    EXPECT_EQ(rig.var(HvcId::HVC_I0_MAX).E2InECU, 800) << "read although refused";
    EXPECT_TRUE(rig.state.document.unsaved()) << "the changes are kept";
    EXPECT_FALSE(rig.link.isLinkOpen()) << "the port is not held behind 'Not Connected'";
}

TEST(UnitCommands, ResetThenConnectAsksForThePowerCycle) {
    CommandRig rig;
    writeEeprom(rig.eeprom(), kUnitWords);
    ASSERT_TRUE(rig.startConnected());

    rig.commands.reset();
    EXPECT_EQ(rig.prompter.texts(),
              QStringList{QStringLiteral("Switch OFF and then switch ON power supply!")});
    EXPECT_EQ(rig.state.connectState(), ConnectState::NotConnected);
    EXPECT_FALSE(rig.link.isLinkOpen());
    EXPECT_FALSE(rig.view.busy);
    EXPECT_EQ(readEeprom(rig.eeprom()).value(QStringLiteral("0302.00")), 800)
        << "the unit took its defaults";

    const QString question =
        QStringLiteral("Missing POWER RESET After A 'RESET' Command : Continue Anyway? ");
    // No: the link is given up and nothing is read.
    rig.prompter.messages.clear();
    rig.prompter.answers = {false};
    rig.var(HvcId::HVC_I0_MIN).E2InECU = 1;
    rig.commands.connectToUnit();
    EXPECT_EQ(rig.prompter.texts(), QStringList{question});
    EXPECT_EQ(rig.state.connectState(), ConnectState::NotConnected);
    EXPECT_FALSE(rig.link.isLinkOpen());
    EXPECT_FALSE(rig.view.busy);
    EXPECT_FALSE(rig.view.called("first page"));
    EXPECT_EQ(rig.var(HvcId::HVC_I0_MIN).E2InECU, 1);

    // Yes: connected on the defaults.
    rig.prompter.messages.clear();
    rig.prompter.answers = {true};
    rig.commands.connectToUnit();
    EXPECT_EQ(rig.prompter.texts(), QStringList{question});
    EXPECT_EQ(rig.state.connectState(), ConnectState::Connected);
    EXPECT_TRUE(rig.link.isLinkOpen());
    EXPECT_FALSE(rig.view.busy);
    EXPECT_TRUE(rig.view.called("first page"));
    EXPECT_EQ(rig.var(HvcId::HVC_I0_MIN).E2InECU, 300);
}

TEST(UnitCommands, ResetOnAMuteUnitFailsWithTheReason) {
    CommandRig rig;
    ASSERT_TRUE(rig.startConnected({QStringLiteral("--mute-after"), QStringLiteral("0")}));

    rig.commands.reset();
    ASSERT_EQ(rig.prompter.messages.size(), 1) << "no power-cycle request after a failure";
    const ScriptedPrompter::Message& m = rig.prompter.messages[0];
    EXPECT_EQ(m.text, kFailedText);
    EXPECT_TRUE(m.detail.contains(QStringLiteral("load-defaults"))) << m.detail.toStdString();
    EXPECT_TRUE(m.detail.contains(QStringLiteral("time-out"))) << m.detail.toStdString();
    EXPECT_EQ(rig.state.connectState(), ConnectState::NotConnected);
    EXPECT_FALSE(rig.view.busy);
}

TEST(UnitCommands, ReadAllReadsEveryPageAndStaysConnected) {
    CommandRig rig;
    writeEeprom(rig.eeprom(), kUnitWords);
    ASSERT_TRUE(rig.startConnected());
    // Read All covers every page's keys, not only the configuration page's.
    rig.state.page(Page::Config).ReadKey = 0;
    rig.state.page(Page::Diagnostic).ReadKey = 10;
    rig.makeUnsaved();

    rig.commands.readAll();
    EXPECT_EQ(rig.state.connectState(), ConnectState::Connected);
    EXPECT_TRUE(rig.prompter.messages.isEmpty());
    for (int i = 1; i <= rig.state.catalogue.VarCount(); ++i) {
        const CVarData& r = rig.state.catalogue[i];
        if (r.PageMask != 0) {
            EXPECT_EQ(r.E2InECU, kUnitWords.value(r.AddressText())) << r.Name.toStdString();
        }
    }
    EXPECT_FALSE(rig.view.busy);
    EXPECT_TRUE(rig.state.document.unsaved()) << "Read All leaves the file state";
}

TEST(UnitCommands, ReadAllOnAUnitGoingMuteNamesTheVariableAndDisconnects) {
    CommandRig rig;
    writeEeprom(rig.eeprom(), kUnitWords);
    // Three reads are answered, the fourth is not.
    ASSERT_TRUE(rig.startConnected({QStringLiteral("--mute-after"), QStringLiteral("3")}, 200));
    rig.makeUnsaved();

    rig.commands.readAll();
    const ScriptedPrompter::Message* m = rig.lastMessage();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->text, kFailedText);
    const CVarData& fourth = *rig.readRecords().value(3);
    EXPECT_TRUE(m->detail.startsWith(QStringLiteral("reading ") + fourth.Name))
        << m->detail.toStdString();
    EXPECT_TRUE(m->detail.contains(fourth.AddressText())) << m->detail.toStdString();
    EXPECT_EQ(rig.state.connectState(), ConnectState::NotConnected);
    EXPECT_FALSE(rig.view.busy);
    EXPECT_TRUE(rig.state.document.unsaved());
    EXPECT_FALSE(rig.state.document.dataUnchanged());
}

TEST(UnitCommands, WriteAllWritesEveryPageAndStaysConnected) {
    CommandRig rig;
    ASSERT_TRUE(rig.startConnected());
    // Write All covers every page's keys, not only the configuration page's.
    rig.state.page(Page::Config).WriteKey = 0;
    rig.state.page(Page::Monitor).WriteKey = 11;
    rig.changeWrittenValues(7);
    const QList<CVarData*> written = rig.writtenRecords();
    ASSERT_GT(written.size(), 5);

    rig.commands.writeAll();
    EXPECT_EQ(rig.state.connectState(), ConnectState::Connected);
    EXPECT_TRUE(rig.prompter.messages.isEmpty());
    const auto unit = readEeprom(rig.eeprom());
    for (const CVarData* r : written) {
        EXPECT_EQ(unit.value(r->AddressText()), r->E2Value) << r->Name.toStdString();
        EXPECT_EQ(r->E2InECU, r->E2Value) << r->Name.toStdString();
    }
    EXPECT_FALSE(rig.view.busy);
}

TEST(UnitCommands, WriteAllOnAUnitGoingMuteNamesTheVariableAndKeepsTheFlags) {
    CommandRig rig;
    ASSERT_TRUE(rig.startConnected({QStringLiteral("--mute-after"), QStringLiteral("2")}, 200));
    rig.changeWrittenValues(3);
    rig.makeUnsaved();
    const QList<CVarData*> written = rig.writtenRecords();

    rig.commands.writeAll();
    const ScriptedPrompter::Message* m = rig.lastMessage();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->text, kFailedText);
    EXPECT_TRUE(m->detail.startsWith(QStringLiteral("writing ") + written[2]->Name))
        << m->detail.toStdString();
    EXPECT_EQ(rig.state.connectState(), ConnectState::NotConnected);
    EXPECT_FALSE(rig.view.busy);
    EXPECT_TRUE(rig.state.document.unsaved());
    EXPECT_FALSE(rig.state.document.dataUnchanged());
    EXPECT_TRUE(rig.state.document.paramsDiffer());
}

TEST(UnitCommands, WriteFailingPartwayKeepsTheWrittenValuesRecorded) {
    CommandRig rig;
    // Four writes are answered, the fifth is not.
    ASSERT_TRUE(rig.startConnected({QStringLiteral("--mute-after"), QStringLiteral("4")}, 200));
    const auto before = readEeprom(rig.eeprom());
    rig.changeWrittenValues(5);
    rig.state.document.markDataChanged();
    const QList<CVarData*> written = rig.writtenRecords();
    ASSERT_GT(written.size(), 5);

    rig.commands.writePage(rig.state.page(Page::Config).WriteKey, QString());
    const ScriptedPrompter::Message* m = rig.lastMessage();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->text, kFailedText);
    EXPECT_TRUE(m->detail.startsWith(QStringLiteral("writing ") + written[4]->Name))
        << m->detail.toStdString();
    EXPECT_TRUE(m->detail.contains(QStringLiteral("time-out"))) << m->detail.toStdString();

    const auto after = readEeprom(rig.eeprom());
    for (int k = 0; k < written.size(); ++k) {
        const CVarData& r = *written[k];
        if (k < 4) {
            EXPECT_EQ(after.value(r.AddressText()), r.E2Value) << r.Name.toStdString();
            EXPECT_EQ(r.E2InECU, r.E2Value) << "written but not recorded as such";
        } else {
            EXPECT_EQ(after.value(r.AddressText()), before.value(r.AddressText()));
            EXPECT_EQ(r.E2InECU, r.DefaultValue) << "recorded as written although it was not";
        }
    }
    EXPECT_EQ(rig.state.connectState(), ConnectState::NotConnected);
    EXPECT_FALSE(rig.view.busy);
    EXPECT_TRUE(rig.view.called("close wait box"));
    EXPECT_FALSE(rig.state.document.dataUnchanged()) << "the edit still waits to be written";
}

TEST(UnitCommands, ATimeOutOnConnectReachesThePrompterWithItsDetail) {
    CommandRig rig;
    // Every reply comes later than the link waits.
    ASSERT_TRUE(
        rig.start({QStringLiteral("--delay"), QStringLiteral("400")}, hvc::test::smallMap(), 150));

    rig.commands.connectToUnit();
    const ScriptedPrompter::Message* m = rig.lastMessage();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->text, kFailedText);
    EXPECT_TRUE(m->detail.contains(QStringLiteral("time-out"))) << m->detail.toStdString();
    EXPECT_TRUE(m->detail.contains(QStringLiteral("identity"))) << m->detail.toStdString();
    EXPECT_EQ(rig.state.connectState(), ConnectState::NotConnected);
    EXPECT_FALSE(rig.view.busy);
    EXPECT_FALSE(rig.view.called("first page"));
    EXPECT_EQ(rig.view.calls.last(), QStringLiteral("idle"));
}
