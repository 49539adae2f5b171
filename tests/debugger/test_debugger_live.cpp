// The debugger page in the real main window against hvc-sim on a pseudo-terminal:
// every command through its button, what the unit holds afterwards (read back
// with hvcctl once the window has let the port go), MONITOR and the watch list
// ticked by hand, RESET, a unit that stops answering, and the page while logged
// out. Message boxes are answered by a ScriptedPrompter.

#include "config/programpages.h"
#include "core/catalogue.h"
#include "core/prompter.h"
#include "debugger/frmdebug.h"
#include "link/linkprocedures.h"
#include "shell/mainwindow.h"
#include "shell/startup.h"
#include "shell/unitsession.h"
#include "sim/simprocess.h"
#include "support/hvcctlrun.h"
#include "support/liveshell.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <memory>

using namespace hvc;

namespace {

constexpr int kDebuggerTab = 3;

struct LiveRig : test::LiveShell {
    LiveRig() { page = form<FrmDebug>(Page::Debugger); }
    // The debugger shown to a logged-in user, as the login dialog leaves it.
    void showDebugger() {
        state.LoggedIn = true;
        page->RefreshObject();
        window->tabs()->setCurrentIndex(kDebuggerTab);
        page->model().tmrDebug().stop();
    }
    void tick() { page->model().tick(); }
    // Clicks a button that starts a run; the run's timer is left to the test.
    void start(const char* button) const {
        click(button);
        page->model().tmrDebug().stop();
    }
    template <typename T = QWidget> T* child(const char* name) const {
        T* w = page->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            qWarning("no control %s", name);
        return w;
    }
    QString text(const char* label) const { return child<QLabel>(label)->text(); }
    void click(const char* button) const { child<QPushButton>(button)->click(); }
    // Types an address into txtAddress and presses Enter.
    void typeAddress(const QString& address) const {
        auto* field = child<QLineEdit>("txtAddress");
        field->clear();
        QTest::keyClicks(field, address);
        QTest::keyClick(field, Qt::Key_Return);
    }
    void typeData(const QString& value) const { child<QLineEdit>("TxtData")->setText(value); }
    CVarData& var(HvcId id) { return state.catalogue.Var(id); }
    // The window gives the port back; hvcctl then reads the unit.
    QStringList hvcctlGet(const QString& name, bool ram = false) {
        if (state.connectState() != ConnectState::NotConnected)
            window->connectToUnit();
        state.link->closeLink();
        QStringList args{QStringLiteral("get"), QStringLiteral("--port"),
                         session->simulator()->devicePath(), name};
        if (ram)
            args << QStringLiteral("--ram");
        const testutil::Outcome r = testutil::hvcctl(args);
        if (r.code != 0)
            qWarning("hvcctl: %s", qPrintable(r.err));
        return r.out.trimmed().split(u'\t');
    }

    FrmDebug* page = nullptr;
};

} // namespace

class DebuggerLiveTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void refusedWhileLoggedOut();
    void readAndWriteTheEeprom();
    void displayAndSetTheRam();
    void monitorFollowsTheWord();
    void resetLoadsTheDefaults();
    void failedReadsWithTheUnitMuted();
    void ditherRoundTrip();
    void watchList();
};

void DebuggerLiveTest::refusedWhileLoggedOut() {
    LiveRig rig;
    QVERIFY(rig.started && rig.page);
    QCOMPARE(rig.window->tabs()->tabText(kDebuggerTab), QStringLiteral("Debugger"));
    QVERIFY(rig.connect());
    rig.window->tabs()->setCurrentIndex(kDebuggerTab);
    const char* const controls[] = {
        "cmbVariablesList", "txtAddress", "TxtData",  "cmdRead",     "cmdWrite",      "cmdDisplay",
        "cmdSet",           "cmdMonitor", "cmdReset", "CmdCANProbe", "CmdDitherRead", "CmdUpdate",
        "TxtDataD_0",       "hscData_2",  "tblWatch", "cmdWatch",    "cmdWatchAdd"};
    for (const char* name : controls)
        QVERIFY2(!rig.child(name)->isEnabled(), name);

    // Logged in, everything answers; logged out again, nothing does.
    rig.showDebugger();
    for (const char* name : controls)
        QVERIFY2(rig.child(name)->isEnabled(), name);
    rig.window->logout();
    for (const char* name : controls)
        QVERIFY2(!rig.child(name)->isEnabled(), name);
    // Even a command given from code while logged out sends nothing.
    rig.page->model().choose(1);
    rig.page->model().read();
    QCOMPARE(rig.text("lblE2Data"), QStringLiteral("0"));
    QCOMPARE(rig.state.connectState(), ConnectState::Connected);
    QVERIFY(rig.prompter.messages.isEmpty());
}

void DebuggerLiveTest::readAndWriteTheEeprom() {
    LiveRig rig;
    QVERIFY(rig.started && rig.connect());
    rig.showDebugger();
    CVarData& tRise = rig.var(HvcId::HVC_RAMP_TRISE_0);
    const QString address = tRise.AddressText();

    // The address typed without the point, in lower case, chooses the record.
    QString typed = address;
    rig.typeAddress(typed.remove(u'.').toLower());
    QCOMPARE(rig.child<QComboBox>("cmbVariablesList")->currentText(), tRise.Name);
    QCOMPARE(rig.text("LblAddress"), address);
    QCOMPARE(rig.text("LblUnit"), tRise.ConvText);
    rig.click("cmdRead");
    QCOMPARE(rig.text("lblE2Data"), QString::number(tRise.E2InECU));
    QCOMPARE(rig.state.connectState(), ConnectState::Connected);

    rig.typeData(QStringLiteral("1234"));
    rig.click("cmdWrite");
    QCOMPARE(rig.text("lblE2Data"), QStringLiteral("1234"));
    QCOMPARE(tRise.E2InECU, 1234);
    rig.typeData(QStringLiteral("12.5")); // refused, nothing sent
    rig.click("cmdWrite");
    QCOMPARE(rig.prompter.messages.size(), 1);
    QCOMPARE(rig.text("lblE2Data"), QStringLiteral("1234"));

    // An address no record has: record 1.
    rig.typeAddress(QStringLiteral("ABCD.EF"));
    QCOMPARE(rig.child<QComboBox>("cmbVariablesList")->currentIndex(), 1);
    QCOMPARE(rig.text("LblAddress"), rig.state.catalogue[1].AddressText());

    const QStringList unit = rig.hvcctlGet(QStringLiteral("HVC_RAMP_TRISE_0"));
    QCOMPARE(unit.value(2), QStringLiteral("1234"));
}

void DebuggerLiveTest::displayAndSetTheRam() {
    LiveRig rig;
    QVERIFY(rig.started && rig.connect());
    rig.showDebugger();
    CVarData& battery = rig.var(HvcId::HVC_VBB_400);
    rig.typeAddress(battery.AddressText());
    rig.click("cmdDisplay");
    const int word = rig.text("lblRAMData").toInt();
    QCOMPARE(battery.RAMInECU, word);
    QVERIFY2(word >= 2400 && word <= 2700, qPrintable(rig.text("lblRAMData")));
    QCOMPARE(rig.text("LblDisplayRAM"), DebuggerModel::ValueText(word / 100.0));
    QCOMPARE(rig.text("LblUnitRam"), QStringLiteral("V"));

    // A RAM word without unit text shows no converted value.
    CVarData& spare = rig.var(HvcId::HVC_DITHER_UPDATE);
    rig.typeAddress(spare.AddressText());
    rig.typeData(QStringLiteral("-1"));
    rig.click("cmdSet");
    QCOMPARE(rig.text("lblRAMData"), QStringLiteral("-1"));
    QCOMPARE(rig.text("LblDisplayRAM"), QString());
    std::int32_t back = 0;
    QVERIFY(rig.state.link->readRam(spare.Address, back).ok());
    QCOMPARE(back, -1);
    QVERIFY(rig.prompter.messages.isEmpty());
}

void DebuggerLiveTest::monitorFollowsTheWord() {
    LiveRig rig;
    QVERIFY(rig.started && rig.connect());
    rig.showDebugger();
    CVarData& spare = rig.var(HvcId::HVC_DITHER_UPDATE);
    rig.typeAddress(spare.AddressText());
    rig.start("cmdMonitor");
    QVERIFY(rig.page->model().timerEnabled());
    QVERIFY(!rig.child("cmdRead")->isEnabled());
    QVERIFY(!rig.child("txtAddress")->isEnabled());
    QVERIFY(rig.child<QPushButton>("cmdMonitor")->isChecked());
    for (int value : {3, -20, 7}) {
        QVERIFY(rig.state.link->writeRam(spare.Address, value).ok());
        rig.tick();
        QCOMPARE(rig.text("lblRAMData"), QString::number(value));
    }
    QCOMPARE(rig.state.connectState(), ConnectState::DebuggerWorking);
    rig.window->drawStatus();
    QCOMPARE(rig.window->findChild<QLineEdit*>(QStringLiteral("TxtConnect"))->text(),
             QStringLiteral("Debug: Monitoring..."));

    // MONITOR again: unlocked at once, the timer stops at its next tick.
    rig.click("cmdMonitor");
    QVERIFY(rig.child("cmdRead")->isEnabled());
    QVERIFY(!rig.child<QPushButton>("cmdMonitor")->isChecked());
    rig.tick();
    QVERIFY(!rig.page->StatusTimerForm());
    QCOMPARE(rig.state.connectState(), ConnectState::Connected);

    // Leaving the page stops a running monitor and gives the link to the next page.
    rig.start("cmdMonitor");
    rig.tick();
    rig.window->tabs()->setCurrentIndex(0);
    QCOMPARE(rig.state.connectState(), ConnectState::Connected);
    rig.tick();
    QVERIFY(!rig.page->StatusTimerForm());
    QVERIFY(!rig.page->model().timerEnabled());
    QVERIFY(rig.prompter.messages.isEmpty());
}

void DebuggerLiveTest::resetLoadsTheDefaults() {
    LiveRig rig;
    QVERIFY(rig.started && rig.connect());
    rig.showDebugger();
    CVarData& iMin = rig.var(HvcId::HVC_I0_MIN);
    rig.typeAddress(iMin.AddressText());
    rig.typeData(QString::number(iMin.DefaultValue + 11));
    rig.click("cmdWrite");
    rig.click("cmdReset");
    QCOMPARE(rig.prompter.texts(),
             QStringList{QStringLiteral(
                 "POWER RESET Needed For Default Parameters Configuration To Be Effective !!!")});
    QCOMPARE(rig.state.connectState(), ConnectState::NotConnected);
    QVERIFY(!rig.state.link->isLinkOpen());
    QVERIFY(rig.window->isEnabled());
    QCOMPARE(rig.hvcctlGet(QStringLiteral("HVC_I0_MIN")).value(2),
             QString::number(iMin.DefaultValue));
    // The unit now waits for a power cycle: Connect asks about it.
    rig.prompter.answers = {false};
    rig.window->connectToUnit();
    QVERIFY(rig.prompter.texts().last().startsWith(QStringLiteral("Missing POWER RESET")));
}

void DebuggerLiveTest::failedReadsWithTheUnitMuted() {
    LiveRig rig;
    QVERIFY(rig.started && rig.connect());
    rig.session->link()->setTimeout(100);
    rig.showDebugger();
    CVarData& battery = rig.var(HvcId::HVC_VBB_400);
    rig.typeAddress(battery.AddressText());
    rig.click("cmdRead");
    const std::int32_t before = battery.E2InECU;
    QVERIFY(rig.session->simulator()->sendSignal(SIGSTOP));

    rig.click("cmdRead");
    QCOMPARE(rig.prompter.texts(), QStringList{QStringLiteral("Operation Failed :FAILED!")});
    QVERIFY(rig.prompter.messages[0].detail.contains(QStringLiteral("time-out")));
    QCOMPARE(rig.text("lblE2Data"), QString::fromLatin1(kNoValueText));
    QCOMPARE(rig.state.connectState(), ConnectState::NotConnected);
    QCOMPARE(battery.E2InECU, before);

    // The monitor's first read fails: the message, the run over, the controls free.
    rig.prompter.messages.clear();
    rig.start("cmdMonitor");
    rig.tick();
    QCOMPARE(rig.prompter.texts(), QStringList{QStringLiteral("Operation Failed :FAILED!")});
    QVERIFY(!rig.page->StatusTimerForm());
    QVERIFY(!rig.page->model().timerEnabled());
    QVERIFY(rig.child("cmdRead")->isEnabled());
    QCOMPARE(rig.text("lblRAMData"), QString::fromLatin1(kNoValueText));
    QCOMPARE(rig.state.connectState(), ConnectState::NotConnected);
    QVERIFY(!rig.state.link->isLinkOpen());
    rig.window->drawStatus();
    QCOMPARE(rig.window->findChild<QLineEdit*>(QStringLiteral("TxtConnect"))->text(),
             QStringLiteral("Not Connected"));
}

void DebuggerLiveTest::ditherRoundTrip() {
    LiveRig rig;
    QVERIFY(rig.started && rig.connect());
    rig.showDebugger();
    rig.click("CmdDitherRead");
    auto* amp = rig.child<QLineEdit>("TxtDataD_0");
    QCOMPARE(amp->text(), QString::number(rig.var(HvcId::HVC_DITHER_AMP).E2InECU));
    QCOMPARE(amp->accessibleName(), QStringLiteral("Dither amplitude [mA]"));

    // Typed (coloured until Enter) and moved: nothing reaches the unit before UPDATE.
    amp->clear();
    QTest::keyClicks(amp, QStringLiteral("180"));
    QCOMPARE(amp->palette().color(QPalette::Base), QColor(192, 192, 0));
    QTest::keyClick(amp, Qt::Key_Return);
    QCOMPARE(amp->palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(rig.child<QScrollBar>("hscData_0")->value(), 180);
    auto* freq = rig.child<QScrollBar>("hscData_2");
    freq->setValue(freq->maximum());
    QCOMPARE(rig.child<QLineEdit>("TxtDataD_2")->text(), QString::number(freq->maximum()));
    std::int32_t word = 0;
    QVERIFY(rig.state.link->readRam(rig.var(HvcId::HVC_DITHER_AMP).Address, word).ok());
    QVERIFY(word != 180);

    rig.click("CmdUpdate");
    QVERIFY(rig.prompter.messages.isEmpty());
    QCOMPARE(rig.state.connectState(), ConnectState::Connected);
    // DISPLAY again shows what the unit now holds.
    amp->setText(QStringLiteral("1"));
    rig.click("CmdDitherRead");
    QCOMPARE(amp->text(), QStringLiteral("180"));
    QVERIFY(rig.state.link->readRam(rig.var(HvcId::HVC_DITHER_UPDATE).Address, word).ok());
    QCOMPARE(word, 1);
    QCOMPARE(rig.hvcctlGet(QStringLiteral("HVC_DITHER_FREQ")).value(2),
             QString::number(freq->maximum()));
}

void DebuggerLiveTest::watchList() {
    LiveRig rig;
    QVERIFY(rig.started && rig.connect());
    rig.showDebugger();
    CVarData& battery = rig.var(HvcId::HVC_VBB_400);
    rig.typeAddress(battery.AddressText());
    rig.click("cmdWatchAdd");
    auto* address = rig.child<QLineEdit>("txtWatchAddress");
    address->setText(rig.var(HvcId::HVC_DITHER_UPDATE).AddressText().remove(u'.'));
    rig.click("cmdWatchAddAddress");
    QVERIFY(address->text().isEmpty());
    auto* table = rig.child<QTableWidget>("tblWatch");
    QCOMPARE(table->accessibleName(), QStringLiteral("Watch list"));
    QCOMPARE(table->rowCount(), 2);

    QVERIFY(rig.state.link->writeRam(rig.var(HvcId::HVC_DITHER_UPDATE).Address, 5).ok());
    rig.start("cmdWatch");
    rig.tick();
    rig.tick();
    QCOMPARE(rig.state.connectState(), ConnectState::DebuggerWorking);
    QCOMPARE(table->item(0, 0)->text(), battery.Name);
    QCOMPARE(table->item(0, 2)->text(), QString::number(battery.RAMInECU));
    QCOMPARE(table->item(0, 3)->text(), DebuggerModel::ValueText(battery.RAMDisplay));
    QCOMPARE(table->item(0, 4)->text(), QStringLiteral("V"));
    QCOMPARE(table->item(1, 2)->text(), QStringLiteral("5"));
    // The word's own commands stay free while the list is read.
    QVERIFY(rig.child("cmdRead")->isEnabled());

    rig.page->copyWatchList();
    const QStringList lines = QApplication::clipboard()->text().split(u'\n');
    QCOMPARE(lines.value(1).split(u'\t').value(0), battery.Name);

    // Leaving the page ends the list's run; so does a unit that stops answering.
    rig.window->tabs()->setCurrentIndex(0);
    rig.tick();
    QVERIFY(!rig.page->model().watching());
    rig.window->tabs()->setCurrentIndex(kDebuggerTab);
    rig.session->link()->setTimeout(100);
    rig.start("cmdWatch");
    QVERIFY(rig.session->simulator()->sendSignal(SIGSTOP));
    rig.tick();
    QVERIFY(!rig.page->model().watching());
    QVERIFY(!rig.page->StatusTimerForm());
    QCOMPARE(rig.state.connectState(), ConnectState::NotConnected);
    QCOMPARE(rig.prompter.texts(), QStringList{QStringLiteral("Operation Failed :FAILED!")});
}

QTEST_MAIN(DebuggerLiveTest)
#include "test_debugger_live.moc"
