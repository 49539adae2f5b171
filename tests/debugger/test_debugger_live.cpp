// The debugger page in the real main window against hvc-sim on a pseudo-terminal:
// every command through its button, what the unit holds afterwards (read back
// with hvcctl once the window has let the port go), MONITOR and the watch list
// ticked by hand, a unit that stops answering, and the page while logged out.

#include "support/liveshell.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>

using namespace hvc;

namespace {

const QString kFailedBox = QStringLiteral("Operation Failed :FAILED!");

struct LiveRig : test::LiveShell {
    // Connected, with the debugger shown to a logged-in user as the login dialog
    // leaves it.
    bool showDebugger() {
        if (!started || !connect())
            return false;
        state.session.loggedIn = true;
        debugger->refreshObject();
        show(Page::Debugger);
        return true;
    }
    void tick() { debugger->model().tick(); }
    template <typename T = QWidget> T* child(const char* name) const {
        T* w = debugger->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QString text(const char* label) const { return child<QLabel>(label)->text(); }
    void click(const char* button) const { child<QPushButton>(button)->click(); }
    // Clicks a button that starts a run; the run's timer is left to the test.
    void start(const char* button) {
        click(button);
        debugger->model().tmrDebug().stop();
    }
    // Types an address into txtAddress and presses Enter.
    void typeAddress(const QString& address) const {
        auto* field = child<QLineEdit>("txtAddress");
        field->clear();
        QTest::keyClicks(field, address);
        QTest::keyClick(field, Qt::Key_Return);
    }
    void typeData(const QString& value) const { child<QLineEdit>("TxtData")->setText(value); }
    UnitVariable& var(HvcId id) { return state.document.catalogue.var(id); }
    std::int32_t ram(HvcId id) {
        std::int32_t word = 0;
        if (!state.session.link->readRam(var(id).address, word).ok())
            qWarning("no RAM word");
        return word;
    }
};

} // namespace

class DebuggerLiveTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void refusedWhileLoggedOut();
    void readWriteDisplayAndSet();
    void monitorFollowsTheWord();
    void ditherRoundTrip();
    void watchList();
};

void DebuggerLiveTest::refusedWhileLoggedOut() {
    LiveRig rig;
    QVERIFY(rig.showDebugger());
    const char* const controls[] = {"txtAddress", "cmdRead",  "cmdWrite", "cmdSet",
                                    "CmdUpdate",  "tblWatch", "cmdWatch"};
    for (const char* name : controls)
        QVERIFY2(rig.child(name)->isEnabled(), name);
    rig.window->logout();
    for (const char* name : controls)
        QVERIFY2(!rig.child(name)->isEnabled(), name);
}

void DebuggerLiveTest::readWriteDisplayAndSet() {
    LiveRig rig;
    QVERIFY(rig.showDebugger());
    UnitVariable& tRise = rig.var(HvcId::HVC_RAMP_TRISE_0);
    // The address typed without the point, in lower case, chooses the record.
    rig.typeAddress(tRise.addressText().remove(u'.').toLower());
    QCOMPARE(rig.child<QComboBox>("cmbVariablesList")->currentText(), tRise.name);
    QCOMPARE(rig.text("LblAddress"), tRise.addressText());
    rig.click("cmdRead");
    QCOMPARE(rig.text("lblE2Data"), QString::number(tRise.unitWord));
    QCOMPARE(rig.state.session.connectState(), ConnectState::Connected);

    rig.typeData(QStringLiteral("1234"));
    rig.click("cmdWrite");
    QCOMPARE(rig.text("lblE2Data"), QStringLiteral("1234"));
    QCOMPARE(tRise.unitWord, 1234);
    rig.typeData(QStringLiteral("12.5")); // refused, nothing sent
    rig.click("cmdWrite");
    QCOMPARE(rig.prompter.messages.size(), 1);
    QCOMPARE(rig.text("lblE2Data"), QStringLiteral("1234"));

    // An address no record has: record 1.
    rig.typeAddress(QStringLiteral("ABCD.EF"));
    QCOMPARE(rig.child<QComboBox>("cmbVariablesList")->currentIndex(), 1);

    rig.typeAddress(rig.var(HvcId::HVC_VBB_400).addressText());
    rig.click("cmdDisplay");
    const int word = rig.text("lblRAMData").toInt();
    QCOMPARE(rig.var(HvcId::HVC_VBB_400).unitRamWord, word);
    QVERIFY2(word >= 2400 && word <= 2700, qPrintable(rig.text("lblRAMData")));
    QCOMPARE(rig.text("LblDisplayRAM"), DebuggerModel::valueText(word / 100.0));

    // A RAM word without unit text shows no converted value.
    rig.typeAddress(rig.var(HvcId::HVC_DITHER_UPDATE).addressText());
    rig.typeData(QStringLiteral("-1"));
    rig.click("cmdSet");
    QCOMPARE(rig.text("lblRAMData"), QStringLiteral("-1"));
    QCOMPARE(rig.text("LblDisplayRAM"), QString());
    QCOMPARE(rig.ram(HvcId::HVC_DITHER_UPDATE), -1);
    QCOMPARE(rig.prompter.messages.size(), 1);
    QCOMPARE(rig.unitWord(QStringLiteral("HVC_RAMP_TRISE_0")), QStringLiteral("1234"));
}

void DebuggerLiveTest::monitorFollowsTheWord() {
    LiveRig rig;
    QVERIFY(rig.showDebugger());
    const UnitVariable& spare = rig.var(HvcId::HVC_DITHER_UPDATE);
    rig.typeAddress(spare.addressText());
    rig.start("cmdMonitor");
    QVERIFY(!rig.child("cmdRead")->isEnabled() && !rig.child("txtAddress")->isEnabled());
    for (int value : {3, -20, 7}) {
        QVERIFY(rig.state.session.link->writeRam(spare.address, value).ok());
        rig.tick();
        QCOMPARE(rig.text("lblRAMData"), QString::number(value));
    }
    QCOMPARE(rig.connectField(), QStringLiteral("Debug: Monitoring..."));

    // MONITOR again: unlocked at once, the timer stops at its next tick.
    rig.click("cmdMonitor");
    QVERIFY(rig.child("cmdRead")->isEnabled());
    rig.tick();
    QVERIFY(!rig.debugger->isPolling());
    QCOMPARE(rig.state.session.connectState(), ConnectState::Connected);
}

void DebuggerLiveTest::ditherRoundTrip() {
    LiveRig rig;
    QVERIFY(rig.showDebugger());
    rig.click("CmdDitherRead");
    auto* amp = rig.child<QLineEdit>("TxtDataD_0");
    QCOMPARE(amp->text(), QString::number(rig.var(HvcId::HVC_DITHER_AMP).unitWord));

    // Typed and moved: nothing reaches the unit before UPDATE.
    amp->clear();
    QTest::keyClicks(amp, QStringLiteral("180"));
    QTest::keyClick(amp, Qt::Key_Return);
    QCOMPARE(rig.child<QScrollBar>("hscData_0")->value(), 180);
    auto* freq = rig.child<QScrollBar>("hscData_2");
    freq->setValue(freq->maximum());
    QVERIFY(rig.ram(HvcId::HVC_DITHER_AMP) != 180);

    rig.click("CmdUpdate");
    QVERIFY(rig.prompter.messages.isEmpty());
    QCOMPARE(rig.ram(HvcId::HVC_DITHER_AMP), 180);
    QCOMPARE(rig.ram(HvcId::HVC_DITHER_UPDATE), 1);
    QCOMPARE(rig.unitWord(QStringLiteral("HVC_DITHER_FREQ")), QString::number(freq->maximum()));
}

void DebuggerLiveTest::watchList() {
    LiveRig rig;
    QVERIFY(rig.showDebugger());
    UnitVariable& battery = rig.var(HvcId::HVC_VBB_400);
    rig.typeAddress(battery.addressText());
    rig.click("cmdWatchAdd");
    auto* address = rig.child<QLineEdit>("txtWatchAddress");
    address->setText(rig.var(HvcId::HVC_DITHER_UPDATE).addressText().remove(u'.'));
    rig.click("cmdWatchAddAddress");
    QVERIFY(address->text().isEmpty());
    auto* table = rig.child<QTableWidget>("tblWatch");
    QCOMPARE(table->rowCount(), 2);

    QVERIFY(rig.state.session.link->writeRam(rig.var(HvcId::HVC_DITHER_UPDATE).address, 5).ok());
    rig.start("cmdWatch");
    rig.tick();
    rig.tick();
    QCOMPARE(rig.state.session.connectState(), ConnectState::DebuggerWorking);
    QCOMPARE(table->item(0, 0)->text(), battery.name);
    QCOMPARE(table->item(0, 2)->text(), QString::number(battery.unitRamWord));
    QCOMPARE(table->item(1, 2)->text(), QStringLiteral("5"));
    // The word's own commands stay free while the list is read.
    QVERIFY(rig.child("cmdRead")->isEnabled());

    // A unit that stops answering ends the list's run.
    rig.session->link()->setTimeout(100);
    QVERIFY(rig.simulator()->sendSignal(SIGSTOP));
    rig.tick();
    QVERIFY(!rig.debugger->model().watching());
    QCOMPARE(rig.state.session.connectState(), ConnectState::NotConnected);
    QCOMPARE(rig.prompter.texts(), QStringList(kFailedBox));
}

QTEST_MAIN(DebuggerLiveTest)
#include "test_debugger_live.moc"
