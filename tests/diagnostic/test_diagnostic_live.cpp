// The diagnostic page in the real main window against hvc-sim holding a chosen
// fault: the fault is listed with its texts while the unit reports it and leaves
// when the unit clears it; the history survives leaving the page; the page and
// the monitor take turns on the link. The tests tick by hand.

#include "diagnostic/diagnosticerror.h"
#include "support/liveshell.h"

#include <QTest>
#include <QTreeWidget>

using namespace hvc;

namespace {

struct LiveRig : test::LiveShell {
    LiveRig() : LiveShell({QStringLiteral("--error"), QStringLiteral("HVC_ERROR_SEC_2=8")}) {}
    void pass() { diagnostic->model().tick(); }
    void monitorPass() { monitor->model().tick(); }
    QStringList listed(int column = 0) const {
        QStringList texts;
        for (int i = 0; i < diagnostic->activeList()->topLevelItemCount(); ++i)
            texts << diagnostic->activeList()->topLevelItem(i)->text(column);
        return texts;
    }
};

} // namespace

class DiagnosticLiveTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void heldFaultComesAndGoes();
    void takesTurnsWithTheMonitor();
};

void DiagnosticLiveTest::heldFaultComesAndGoes() {
    LiveRig rig;
    QVERIFY(rig.started);
    QVERIFY(!rig.show(Page::Diagnostic)); // no unit, no polling
    QVERIFY(rig.connect());
    QVERIFY(rig.show(Page::Diagnostic));
    rig.pass();
    QCOMPARE(rig.state.session.connectState(), ConnectState::DiagnosticPolling);
    // Section 2's open coil A, and the summary word's "section 2" bit that follows it.
    QCOMPARE(rig.listed(), (QStringList{QStringLiteral("UNIT - 8"), QStringLiteral("SEC2 - 8")}));
    QCOMPARE(rig.listed(1), (QStringList{QStringLiteral("E03"), QStringLiteral("E43")}));
    QCOMPARE(rig.listed(2).value(1), QStringLiteral("Section 2 open coil A"));
    QVERIFY(rig.diagnostic->row(4)->bitSet(3));
    QVERIFY(rig.diagnostic->row(0)->bitSet(6)); // ready
    QCOMPARE(rig.connectField(), QStringLiteral("Diagnostic..."));

    // A held fault is listed once however many passes see it.
    rig.pass();
    QCOMPARE(rig.listed().size(), 2);
    // The unit's fault cleared (a write of the word): it leaves the list.
    QVERIFY(rig.state.session.link
                ->writeRam(rig.state.document.catalogue.find(HvcId::HVC_ERROR_SEC_2)->address, 0)
                .ok());
    rig.pass();
    QVERIFY(rig.listed().isEmpty());
    QVERIFY(!rig.diagnostic->row(4)->bitSet(3));
    QTreeWidget* history = rig.diagnostic->historyList();
    QCOMPARE(history->topLevelItemCount(), 2);
    for (int i = 0; i < 2; ++i)
        QVERIFY(history->topLevelItem(i)->text(1) != QLatin1String("active"));

    // Leaving the page gives the link back and keeps the history.
    rig.show(Page::Config);
    QCOMPARE(rig.state.session.connectState(), ConnectState::Connected);
    QCOMPARE(history->topLevelItemCount(), 2);
    QVERIFY(rig.prompter.messages.isEmpty());
}

void DiagnosticLiveTest::takesTurnsWithTheMonitor() {
    LiveRig rig;
    QVERIFY(rig.started && rig.connect());
    rig.show(Page::Monitor);
    rig.monitorPass();
    QCOMPARE(rig.state.session.connectState(), ConnectState::MonitorPolling);

    // To the diagnostic page: while the monitor has not yet ended its run, the
    // diagnostic ticks wait.
    QVERIFY(rig.show(Page::Diagnostic));
    QVERIFY(rig.state.polling.stopRequested(Page::Monitor));
    rig.pass();
    QVERIFY(!rig.diagnostic->isPolling());
    QVERIFY(rig.listed().isEmpty());
    rig.monitorPass(); // the monitor's run ends
    QVERIFY(!rig.state.polling.isPolling(Page::Monitor));
    rig.pass();
    QCOMPARE(rig.state.session.connectState(), ConnectState::DiagnosticPolling);
    QCOMPARE(rig.listed().size(), 2);
}

QTEST_MAIN(DiagnosticLiveTest)
#include "test_diagnostic_live.moc"
