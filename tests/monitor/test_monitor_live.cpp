// The monitor page in the real main window against hvc-sim on a pseudo-terminal:
// polling while the page is shown, stopping when it is left, the recording, and
// the two ways a run ends early (Disconnect in the middle of a pass, a unit that
// stops answering). The model's timer is stopped and the tests tick by hand.

#include "config/programpages.h"
#include "core/prompter.h"
#include "link/linkprocedures.h"
#include "monitor/frmmonitor.h"
#include "monitor/joymonitor.h"
#include "monitor/trendplot.h"
#include "shell/mainwindow.h"
#include "shell/startup.h"
#include "shell/unitsession.h"
#include "sim/simprocess.h"
#include "support/liveshell.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <memory>

using namespace hvc;

namespace {

constexpr int kMonitorTab = 1;

struct LiveRig : test::LiveShell {
    LiveRig() {
        monitor = form<FrmMonitor>(Page::Monitor);
        monitor->chooseRecordFile = [this] { return csvPath(); };
    }
    // Shows the monitor; the model's timer is left to the test.
    void showMonitor() {
        window->tabs()->setCurrentIndex(kMonitorTab);
        timerWasStarted = monitor->model().timerEnabled();
        monitor->model().TmrMonitor().stop();
    }
    void pass() { monitor->model().tick(); }
    QString csvPath() const { return dir.filePath(QStringLiteral("run.csv")); }
    QPushButton* record() const {
        return monitor->findChild<QPushButton*>(QStringLiteral("CmdRecord"));
    }
    // The recording's lines, each checked to be whole.
    QStringList csvLines() const {
        QFile f(csvPath());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        const QString text = QString::fromUtf8(f.readAll());
        if (!text.endsWith(QStringLiteral("\r\n")))
            return {QStringLiteral("incomplete last line")};
        QStringList lines = text.split(QStringLiteral("\r\n"));
        lines.removeLast();
        return lines;
    }
    int display(const char* name) const {
        return monitor->model().displayIndex(QString::fromLatin1(name));
    }

    FrmMonitor* monitor = nullptr;
    bool timerWasStarted = false;
};

} // namespace

class MonitorLiveTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pollsWhileShown();
    void recordsEveryPass();
    void disconnectDuringAPass();
    void unitStopsAnswering();
};

void MonitorLiveTest::pollsWhileShown() {
    LiveRig rig;
    QVERIFY(rig.started && rig.monitor);
    QCOMPARE(rig.window->tabs()->tabText(kMonitorTab), QStringLiteral("Monitor"));

    // Shown without a unit, the monitor does not poll.
    rig.showMonitor();
    QVERIFY(!rig.timerWasStarted);
    rig.window->tabs()->setCurrentIndex(0);

    QVERIFY(rig.connect());
    rig.showMonitor();
    QVERIFY(rig.timerWasStarted);
    QVERIFY(rig.state.polling.DiagnosticStopRequest);
    const MonitorModel& model = rig.monitor->model();
    const int sections = rig.state.catalogue.Var(HvcId::HVC_NUM_PROP_REG).E2Display;
    QCOMPARE(model.polledCount(), 2 * sections + 1);

    rig.pass();
    QCOMPARE(rig.state.connectState(), ConnectState::MonitorPolling);
    QVERIFY(rig.monitor->StatusTimerForm());
    QCOMPARE(rig.state.ProgressPercent, 100);
    for (int i = 0; i < model.displays().size(); ++i) {
        JoyMonitor* d = rig.monitor->display(i);
        QCOMPARE(d->hasValue(), model.isPolled(i));
        if (model.isPolled(i))
            QCOMPARE(d->value(), d->BoundVar()->RAMDisplay);
        if (QLineSeries* line = rig.monitor->trendPlot()->series(i))
            QCOMPARE(line->count(), model.isPolled(i) ? 1 : 0);
    }
    const QString ready = rig.monitor->findChild<QLabel*>(QStringLiteral("LblErr"))->text();
    QVERIFY(ready == QLatin1String("READY") || ready == QLatin1String("NOT READY"));

    // The status bar shows the monitor's text; no transfer can start meanwhile.
    rig.window->drawStatus();
    QCOMPARE(rig.window->findChild<QLineEdit*>(QStringLiteral("TxtConnect"))->text(),
             QStringLiteral("Monitor..."));
    QVERIFY(!rig.window->bar().command(QStringLiteral("Read"))->isEnabled());

    rig.pass();
    QCOMPARE(rig.monitor->trendPlot()->series(rig.display("JoyMonitorVbb"))->count(), 2);

    // Leaving the page gives the link back; the next tick ends the run.
    rig.window->tabs()->setCurrentIndex(0);
    QCOMPARE(rig.state.connectState(), ConnectState::Connected);
    rig.pass();
    QVERIFY(!rig.monitor->StatusTimerForm());
    QVERIFY(!rig.monitor->model().timerEnabled());
    QCOMPARE(rig.state.connectState(), ConnectState::Connected);

    // Back on the page, it polls again.
    rig.showMonitor();
    QVERIFY(rig.timerWasStarted);
    rig.pass();
    QCOMPARE(rig.state.connectState(), ConnectState::MonitorPolling);
    QVERIFY(rig.prompter.messages.isEmpty());
}

void MonitorLiveTest::recordsEveryPass() {
    LiveRig rig;
    QVERIFY(rig.started && rig.connect());
    rig.showMonitor();
    QVERIFY(rig.record()->isEnabled());
    rig.record()->click();
    QVERIFY(rig.monitor->recording());
    QCOMPARE(rig.record()->text(), QStringLiteral("Stop Recording"));
    for (int n = 0; n < 3; ++n)
        rig.pass();
    rig.record()->click();
    QVERIFY(!rig.monitor->recording());
    QCOMPARE(rig.record()->text(), QStringLiteral("Record\u2026"));

    const QStringList lines = rig.csvLines();
    QCOMPARE(lines.size(), 4);
    const QStringList header = lines[0].split(u',');
    QCOMPARE(header[0], QStringLiteral("Time"));
    QCOMPARE(header.size(), 4 + rig.monitor->model().polledCount());
    QVERIFY(lines[0].contains(QStringLiteral("[%]")) && lines[0].contains(QStringLiteral("[V]")));
    for (int n = 1; n < lines.size(); ++n) {
        const QStringList cells = lines[n].split(u',');
        QCOMPARE(cells.size(), header.size());
        QVERIFY(cells[1].startsWith(QStringLiteral("0x")));
        QVERIFY(!cells.last().isEmpty());
    }
    QVERIFY(rig.monitor->findChild<QLabel*>(QStringLiteral("LblRecord"))
                ->text()
                .startsWith(QStringLiteral("Recorded 3 rows")));

    // Leaving the page ends a recording with the file complete.
    rig.record()->click();
    rig.pass();
    rig.window->tabs()->setCurrentIndex(0);
    QVERIFY(!rig.monitor->recording());
    QCOMPARE(rig.csvLines().size(), 2);
}

void MonitorLiveTest::disconnectDuringAPass() {
    LiveRig rig;
    QVERIFY(rig.started && rig.connect());
    rig.showMonitor();
    rig.record()->click();
    rig.pass();
    const int battery = rig.display("JoyMonitorVbb");
    const double shown = rig.monitor->display(battery)->value();

    // Disconnect as the first value of the next pass arrives.
    bool clicked = false;
    QObject::connect(&rig.monitor->model(), &MonitorModel::displayUpdated, rig.window.get(),
                     [&rig, &clicked] {
                         if (!std::exchange(clicked, true))
                             rig.window->connectToUnit();
                     });
    rig.pass();
    QVERIFY(clicked);
    QCOMPARE(rig.state.connectState(), ConnectState::NotConnected);
    QVERIFY(!rig.monitor->StatusTimerForm());
    QVERIFY(!rig.monitor->model().timerEnabled());
    QVERIFY(!rig.monitor->recording());
    // The unfinished pass reaches neither the recording nor the plot; the values stay.
    QCOMPARE(rig.csvLines().size(), 2);
    QCOMPARE(rig.monitor->trendPlot()->series(battery)->count(), 1);
    QVERIFY(rig.monitor->display(battery)->hasValue());
    QCOMPARE(rig.monitor->display(battery)->value(), shown);
    // Without the unit the pictures carry their tooltips again.
    QCOMPARE(rig.monitor->findChild<QLabel*>(QStringLiteral("JoyDisplay_0"))->toolTip(),
             rig.window->pageForm(Page::Config)
                 ->findChild<QLabel*>(QStringLiteral("JoySel_0"))
                 ->toolTip());
    QVERIFY(!rig.record()->isEnabled());
    QVERIFY(rig.prompter.messages.isEmpty());
}

void MonitorLiveTest::unitStopsAnswering() {
    LiveRig rig;
    QVERIFY(rig.started && rig.connect());
    rig.session->link()->setTimeout(100);
    rig.showMonitor();
    rig.record()->click();
    rig.pass();
    QVERIFY(rig.session->simulator()->sendSignal(SIGSTOP));
    rig.pass();
    QCOMPARE(rig.state.connectState(), ConnectState::NotConnected);
    QVERIFY(!rig.state.link->isLinkOpen());
    QVERIFY(!rig.monitor->StatusTimerForm());
    QVERIFY(!rig.monitor->recording());
    QCOMPARE(rig.csvLines().size(), 2);
    // A lost unit is shown by the indicator, not by a message box.
    QVERIFY(rig.prompter.messages.isEmpty());
    rig.window->drawStatus();
    QCOMPARE(rig.window->findChild<QLineEdit*>(QStringLiteral("TxtConnect"))->text(),
             QStringLiteral("Not Connected"));
}

QTEST_MAIN(MonitorLiveTest)
#include "test_monitor_live.moc"
