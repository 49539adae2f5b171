// The diagnostic page in the real main window against hvc-sim holding a chosen
// fault: the fault is listed with its texts while the unit reports it and leaves
// when the unit clears it; the history survives leaving the page; the page and
// the monitor take turns on the link.
// The timers are stopped and the tests tick by hand.

#include "config/programpages.h"
#include "core/catalogue.h"
#include "core/prompter.h"
#include "core/unitlink.h"
#include "diagnostic/diagnosticerror.h"
#include "diagnostic/frmdiagnostic.h"
#include "monitor/frmmonitor.h"
#include "shell/mainwindow.h"
#include "shell/startup.h"
#include "shell/unitsession.h"
#include "support/liveshell.h"

#include <QApplication>
#include <QLineEdit>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

using namespace hvc;

namespace {

constexpr int kConfigTab = 0;
constexpr int kMonitorTab = 1;
constexpr int kDiagnosticTab = 2;

struct LiveRig : test::LiveShell {
    LiveRig() : LiveShell({QStringLiteral("--error"), QStringLiteral("HVC_ERROR_SEC_2=8")}) {
        page = form<FrmDiagnostic>(Page::Diagnostic);
        monitor = form<FrmMonitor>(Page::Monitor);
    }
    // Shows a page and stops the timers its showing started.
    void show(int tab) {
        window->tabs()->setCurrentIndex(tab);
        diagnosticTimerStarted = page->model().timerEnabled();
        page->model().TimerDiagnostic().stop();
        monitor->model().TmrMonitor().stop();
    }
    void pass() { page->model().tick(); }
    // What the unit does when its fault is cleared: a write of the word.
    bool clearFault() {
        const CVarData* word = state.catalogue.Find(HvcId::HVC_ERROR_SEC_2);
        return word && state.link->writeRam(word->Address, 0).ok();
    }
    QStringList listed(int column = 0) const {
        QStringList texts;
        for (int i = 0; i < page->activeList()->topLevelItemCount(); ++i)
            texts << page->activeList()->topLevelItem(i)->text(column);
        return texts;
    }
    QString connectField() const {
        return window->findChild<QLineEdit*>(QStringLiteral("TxtConnect"))->text();
    }

    FrmDiagnostic* page = nullptr;
    FrmMonitor* monitor = nullptr;
    bool diagnosticTimerStarted = false;
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
    QVERIFY(rig.started && rig.page);
    QCOMPARE(rig.window->tabs()->tabText(kDiagnosticTab), QStringLiteral("Diagnostic"));

    // Shown without a unit, the page does not poll.
    rig.show(kDiagnosticTab);
    QVERIFY(!rig.diagnosticTimerStarted);
    rig.show(kConfigTab);

    QVERIFY(rig.connect());
    rig.show(kDiagnosticTab);
    QVERIFY(rig.diagnosticTimerStarted);
    rig.pass();
    QCOMPARE(rig.state.connectState(), ConnectState::DiagnosticPolling);
    QCOMPARE(rig.state.ProgressPercent, 100);
    // Section 2's open coil A, and the summary word's "section 2" bit that follows it.
    QCOMPARE(rig.listed(), (QStringList{QStringLiteral("UNIT - 8"), QStringLiteral("SEC2 - 8")}));
    QCOMPARE(rig.listed(1), (QStringList{QStringLiteral("E03"), QStringLiteral("E43")}));
    QCOMPARE(rig.listed(2).value(1), QStringLiteral("Section 2 open coil A"));
    QVERIFY(rig.page->row(4)->bitSet(3));
    QVERIFY(rig.page->row(0)->bitSet(6)); // ready

    rig.window->drawStatus();
    QCOMPARE(rig.connectField(), QStringLiteral("Diagnostic..."));
    QVERIFY(!rig.window->bar().command(QStringLiteral("Read"))->isEnabled());

    // A held fault is listed once however many passes see it.
    rig.pass();
    QCOMPARE(rig.listed().size(), 2);

    QVERIFY(rig.clearFault());
    rig.pass();
    QVERIFY(rig.listed().isEmpty());
    QVERIFY(!rig.page->row(4)->bitSet(3));
    QTreeWidget* history = rig.page->historyList();
    QCOMPARE(history->topLevelItemCount(), 2);
    for (int i = 0; i < 2; ++i)
        QVERIFY(history->topLevelItem(i)->text(1) != QLatin1String("active"));

    // Leaving the page gives the link back and keeps the history.
    rig.show(kConfigTab);
    QCOMPARE(rig.state.connectState(), ConnectState::Connected);
    rig.pass();
    QVERIFY(!rig.page->StatusTimerForm());
    rig.show(kDiagnosticTab);
    QCOMPARE(history->topLevelItemCount(), 2);
    QVERIFY(rig.prompter.messages.isEmpty());
}

void DiagnosticLiveTest::takesTurnsWithTheMonitor() {
    LiveRig rig;
    QVERIFY(rig.started && rig.connect());
    rig.show(kMonitorTab);
    rig.monitor->model().tick();
    QCOMPARE(rig.state.connectState(), ConnectState::MonitorPolling);

    // To the diagnostic page: while the monitor has not yet ended its run, the
    // diagnostic ticks wait.
    rig.show(kDiagnosticTab);
    QVERIFY(rig.diagnosticTimerStarted);
    QVERIFY(rig.state.polling.MonitorStopRequest);
    rig.pass();
    QVERIFY(!rig.page->StatusTimerForm());
    QVERIFY(rig.listed().isEmpty());
    rig.monitor->model().tick(); // the monitor's run ends
    QVERIFY(!rig.state.polling.MonitorPolling);
    rig.pass();
    QCOMPARE(rig.state.connectState(), ConnectState::DiagnosticPolling);
    QCOMPARE(rig.listed().size(), 2);

    // And back: the monitor waits for the diagnostic run to end.
    rig.show(kMonitorTab);
    QVERIFY(rig.state.polling.DiagnosticStopRequest);
    rig.monitor->model().tick();
    QVERIFY(!rig.state.polling.MonitorPolling);
    rig.pass();
    rig.monitor->model().tick();
    QCOMPARE(rig.state.connectState(), ConnectState::MonitorPolling);
}

QTEST_MAIN(DiagnosticLiveTest)
#include "test_diagnostic_live.moc"
