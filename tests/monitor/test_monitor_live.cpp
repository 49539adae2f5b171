// The monitor page in the real main window against hvc-sim on a pseudo-terminal:
// polling while the page is shown, the lights following the unit's words, the
// recording, and the two ways a run ends early (Disconnect in the middle of a
// pass, a unit that stops answering). The tests tick by hand.

#include "monitor/joymonitor.h"
#include "monitor/trendplot.h"
#include "support/liveshell.h"

#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace hvc;

namespace {

struct LiveRig : test::LiveShell {
    LiveRig() {
        monitor->chooseRecordFile = [this] { return dir.filePath(QStringLiteral("run.csv")); };
    }
    void pass() { monitor->model().tick(); }
    QPushButton* record() const {
        return monitor->findChild<QPushButton*>(QStringLiteral("CmdRecord"));
    }
    bool lit(const QString& name) const {
        return monitor->findChild<QLabel*>(name)->palette().color(QPalette::Window) ==
               QColor(0, 0, 255);
    }
    // The recording's lines, each checked to be whole.
    QStringList csvLines() const {
        QFile f(dir.filePath(QStringLiteral("run.csv")));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        const QString text = QString::fromUtf8(f.readAll());
        if (!text.endsWith(QStringLiteral("\r\n")))
            return {QStringLiteral("incomplete last line")};
        QStringList lines = text.split(QStringLiteral("\r\n"));
        lines.removeLast();
        return lines;
    }
    int battery() const { return monitor->model().displayIndex(QStringLiteral("JoyMonitorVbb")); }
};

} // namespace

class MonitorLiveTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pollsWhileShown();
    void recordsEveryPass();
    void endsEarly_data();
    void endsEarly();
};

void MonitorLiveTest::pollsWhileShown() {
    LiveRig rig;
    QVERIFY(rig.started);
    // Shown without a unit, the monitor does not poll.
    QVERIFY(!rig.show(Page::Monitor));
    QVERIFY(rig.connect());
    QVERIFY(rig.show(Page::Monitor));
    const MonitorModel& model = rig.monitor->model();
    QSignalSpy outputs(&model, &MonitorModel::outputWordRead);
    QSignalSpy inputs(&model, &MonitorModel::inputWordRead);

    // Each pass shows every polled value and the unit's output and input words on
    // their own lights.
    bool anyOutput = false;
    for (int n = 1; n <= 3; ++n) {
        rig.pass();
        QCOMPARE(rig.state.session.connectState(), ConnectState::MonitorPolling);
        QCOMPARE(rig.state.observers.progress.percent(), 100);
        for (int i = 0; i < model.displays().size(); ++i) {
            JoyMonitor* d = rig.monitor->display(i);
            QCOMPARE(d->hasValue(), model.isPolled(i));
            if (model.isPolled(i))
                QCOMPARE(d->value(), d->boundVar()->ramShownValue);
        }
        QCOMPARE(rig.monitor->trendPlot()->series(rig.battery())->count(), n);
        QCOMPARE(outputs.size(), n);
        QCOMPARE(inputs.size(), n);
        const auto out = outputs.last().at(0).value<std::uint16_t>();
        anyOutput = anyOutput || out != 0;
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(rig.lit(QStringLiteral("lblHSDA_%1").arg(i)), (out >> (2 * i) & 1) != 0);
            QCOMPARE(rig.lit(QStringLiteral("lblHSDB_%1").arg(i)), (out >> (2 * i + 1) & 1) != 0);
        }
    }
    QVERIFY(anyOutput); // the demo unit's valves move
    QCOMPARE(rig.connectField(), QStringLiteral("Monitor..."));
    QVERIFY(!rig.window->bar().command(QStringLiteral("Read"))->isEnabled());

    // Leaving the page gives the link back; the next tick ends the run.
    rig.show(Page::Config);
    QCOMPARE(rig.state.session.connectState(), ConnectState::Connected);
    rig.pass();
    QVERIFY(!rig.monitor->isPolling());
    QCOMPARE(rig.state.session.connectState(), ConnectState::Connected);
    QVERIFY(rig.prompter.messages.isEmpty());
}

void MonitorLiveTest::recordsEveryPass() {
    LiveRig rig;
    QVERIFY(rig.started && rig.connect());
    rig.show(Page::Monitor);
    QVERIFY(rig.record()->isEnabled());
    rig.record()->click();
    QVERIFY(rig.monitor->recording());
    for (int n = 0; n < 3; ++n)
        rig.pass();
    rig.record()->click();
    QVERIFY(!rig.monitor->recording());

    const QStringList lines = rig.csvLines();
    QCOMPARE(lines.size(), 4);
    const QStringList header = lines[0].split(u',');
    QCOMPARE(header[0], QStringLiteral("Time"));
    QCOMPARE(header.size(), 4 + rig.monitor->model().polledCount());
    for (int n = 1; n < lines.size(); ++n) {
        const QStringList cells = lines[n].split(u',');
        QCOMPARE(cells.size(), header.size());
        QVERIFY(cells[1].startsWith(QStringLiteral("0x")));
    }
}

void MonitorLiveTest::endsEarly_data() {
    QTest::addColumn<bool>("disconnect");
    QTest::newRow("Disconnect in the middle of a pass") << true;
    QTest::newRow("the unit stops answering") << false;
}

void MonitorLiveTest::endsEarly() {
    QFETCH(bool, disconnect);
    LiveRig rig;
    QVERIFY(rig.started && rig.connect());
    rig.session->link()->setTimeout(100);
    rig.show(Page::Monitor);
    rig.record()->click();
    rig.pass();
    const double shown = rig.monitor->display(rig.battery())->value();
    bool clicked = false;
    if (disconnect)
        QObject::connect(&rig.monitor->model(), &MonitorModel::displayUpdated, rig.window.get(),
                         [&rig, &clicked] {
                             if (!std::exchange(clicked, true))
                                 rig.window->connectToUnit();
                         });
    else
        QVERIFY(rig.simulator()->sendSignal(SIGSTOP));
    rig.pass();
    QCOMPARE(clicked, disconnect);
    QCOMPARE(rig.state.session.connectState(), ConnectState::NotConnected);
    QVERIFY(!rig.state.session.link->isLinkOpen());
    QVERIFY(!rig.monitor->isPolling());
    QVERIFY(!rig.monitor->recording());
    // The unfinished pass reaches neither the recording nor the plot; the values
    // stay, and a lost unit is shown by the indicator, not by a message box.
    QCOMPARE(rig.csvLines().size(), 2);
    QCOMPARE(rig.monitor->trendPlot()->series(rig.battery())->count(), 1);
    QCOMPARE(rig.monitor->display(rig.battery())->value(), shown);
    QVERIFY(rig.prompter.messages.isEmpty());
    QCOMPARE(rig.connectField(), QStringLiteral("Not Connected"));
}

QTEST_MAIN(MonitorLiveTest)
#include "test_monitor_live.moc"
