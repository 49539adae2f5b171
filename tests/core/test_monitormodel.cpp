// The live monitor without widgets: what a pass reads and in which order, the
// progress it reports, the rules that start and stop the polling, and what a
// failed read leaves behind.

#include "core/monitormodel.h"
#include "core/prompter.h"
#include "core/unitlink.h"
#include "support/scriptedlink.h"
#include "support/shippedrecords.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <vector>

using namespace hvc;

namespace {

using test::ScriptedLink;

constexpr std::int32_t kErr = 0x200000, kHsd = 0x210000, kDin = 0x210200, kVbb = 0x220000;
constexpr std::int32_t kJoy[4] = {0x230000, 0x230200, 0x230400, 0x230600};
constexpr std::int32_t kMeas[4] = {0x240000, 0x240200, 0x240400, 0x240600};

struct Rig {
    ScriptedPrompter prompter;
    AppState state;
    ScriptedLink link;
    std::unique_ptr<MonitorModel> model;
    std::vector<int> progress;
    std::vector<quint16> outputWords;
    std::vector<MonitorSample> passes;
    std::vector<Status> stopped;

    explicit Rig(int sections = 4) {
        test::loadShippedRecordsAsRead(state, prompter);
        state.catalogue.Var(HvcId::HVC_NUM_PROP_REG).ReadE2FromECU(sections);
        state.link = &link;
        state.setConnectState(ConnectState::Connected);
        model = std::make_unique<MonitorModel>(state);
        QObject::connect(model.get(), &MonitorModel::progressChanged, model.get(),
                         [this](const QString&, int p) { progress.push_back(p); });
        QObject::connect(model.get(), &MonitorModel::outputWordRead, model.get(),
                         [this](quint16 w) { outputWords.push_back(w); });
        QObject::connect(model.get(), &MonitorModel::passCompleted, model.get(),
                         [this](const MonitorSample& x) { passes.push_back(x); });
        QObject::connect(model.get(), &MonitorModel::pollingStopped, model.get(),
                         [this](const Status& x) { stopped.push_back(x); });
        link.words = {{kErr, 0x0040},  {kHsd, 0x0005},  {kDin, 0x0102}, {kVbb, 2413},
                      {kJoy[0], 500},  {kJoy[1], 1000}, {kJoy[2], 0},   {kJoy[3], 255},
                      {kMeas[0], 620}, {kMeas[1], 940}, {kMeas[2], 0},  {kMeas[3], 12}};
    }
    const MonitorDisplay& display(const char* name) {
        return model->display(model->displayIndex(QString::fromLatin1(name)));
    }
};

} // namespace

TEST(MonitorModel, APassReadsTheStatusWordsThenEveryPolledDisplayInPageOrder) {
    Rig rig;
    rig.model->activate();
    rig.model->tick();
    const std::vector<std::int32_t> all = {kErr,    kHsd, kDin,     kJoy[0],  kJoy[1],  kJoy[2],
                                           kJoy[3], kVbb, kMeas[0], kMeas[1], kMeas[2], kMeas[3]};
    EXPECT_EQ(rig.link.reads, all);
    EXPECT_EQ(rig.state.connectState(), ConnectState::MonitorPolling);
    EXPECT_TRUE(rig.state.polling.MonitorPolling);
    EXPECT_EQ(rig.state.StatusText, QStringLiteral("Monitor..."));
    EXPECT_EQ(rig.outputWords, std::vector<quint16>{0x0005});
    // Display units through each record's formula.
    EXPECT_DOUBLE_EQ(rig.display("JoyMonitorVal_0").value, 50.0);
    EXPECT_DOUBLE_EQ(rig.display("JoyMonitorVal_3").value, 25.5);
    EXPECT_DOUBLE_EQ(rig.display("JoyMonitorVbb").value, 24.13);
    EXPECT_DOUBLE_EQ(rig.display("IMeasure_1").value, 940.0);
    ASSERT_EQ(rig.passes.size(), 1u);
    const MonitorSample& sample = rig.passes.front();
    EXPECT_EQ(sample.errorCode, 0x0040);
    EXPECT_EQ(sample.inputs, 0x0102);
    EXPECT_EQ(sample.readings.size(), 9);
    EXPECT_EQ(rig.link.writes, 0);

    // Two sections: the displays of sections 3 and 4 are hidden and not read; a
    // display the user switched off is skipped; the redundant ones never count.
    Rig two(2);
    two.model->activate();
    two.model->setMonitorEnable(two.model->displayIndex(QStringLiteral("IMeasure_0")), false);
    two.model->tick();
    EXPECT_EQ(two.link.reads,
              (std::vector<std::int32_t>{kErr, kHsd, kDin, kJoy[0], kJoy[1], kVbb, kMeas[1]}));
    EXPECT_FALSE(two.display("JoyMonitorVal_2").Visible);
    EXPECT_FALSE(two.display("JoyMonitorRed_0").Visible);
    EXPECT_FALSE(two.display("IMeasure_0").hasValue);
}

TEST(MonitorModel, ProgressStepsRoundHalvesToEvenAndEndAtExactly100) {
    Rig none;
    for (int i = 0; i < none.model->displays().size(); ++i)
        none.model->setMonitorEnable(i, false);
    none.model->activate();
    none.model->tick();
    EXPECT_EQ(none.progress, (std::vector<int>{0, 33, 67, 100}));

    // 5 displays: 8 steps of 12.5 each.
    Rig two(2);
    two.model->activate();
    two.model->tick();
    EXPECT_EQ(two.progress, (std::vector<int>{0, 12, 25, 38, 50, 62, 75, 88, 100}));

    Rig four;
    four.model->activate();
    four.model->tick();
    EXPECT_EQ(four.progress, (std::vector<int>{0, 8, 17, 25, 33, 42, 50, 58, 67, 75, 83, 92, 100}));
    for (int steps = 1; steps <= 40; ++steps)
        EXPECT_EQ(MonitorModel::progressAt(steps, steps), 100) << steps;
}

TEST(MonitorModel, DeactivatingStopsAtTheNextTickAndGivesTheLinkBack) {
    Rig rig;
    rig.model->activate();
    rig.model->tick();
    rig.model->deactivate();
    EXPECT_EQ(rig.state.connectState(), ConnectState::Connected);
    const auto readsBefore = rig.link.reads.size();
    rig.model->tick();
    EXPECT_EQ(rig.link.reads.size(), readsBefore);
    EXPECT_FALSE(rig.model->timerEnabled());
    EXPECT_FALSE(rig.state.polling.MonitorPolling);
    EXPECT_EQ(rig.state.connectState(), ConnectState::Connected);
    ASSERT_EQ(rig.stopped.size(), 1u);
    EXPECT_TRUE(rig.stopped.front().ok());

    // Deactivated while a pass runs: the pass goes on, the next tick still ends
    // with the link given back.
    Rig mid;
    mid.model->activate();
    mid.link.beforeRead = [&mid](int at) {
        if (at == 5)
            mid.model->deactivate();
    };
    mid.model->tick();
    EXPECT_EQ(mid.link.reads.size(), 12u);
    mid.model->tick();
    EXPECT_EQ(mid.state.connectState(), ConnectState::Connected);
    EXPECT_FALSE(mid.state.polling.MonitorPolling);
}

TEST(MonitorModel, DisablingTheTimerDuringAPassEndsItAfterTheCurrentDisplay) {
    Rig rig;
    rig.model->activate();
    // The main window's Disconnect while the page lets events run after the
    // second display.
    QObject::connect(rig.model.get(), &MonitorModel::displayUpdated, rig.model.get(),
                     [&rig](int display) {
                         if (display == 1)
                             rig.model->DisableTimer();
                     });
    rig.model->tick();
    EXPECT_EQ(rig.link.reads.size(), 5u);
    EXPECT_EQ(rig.state.connectState(), ConnectState::NotConnected);
    EXPECT_FALSE(rig.state.polling.MonitorPolling);
    EXPECT_FALSE(rig.model->timerEnabled());
    EXPECT_TRUE(rig.passes.empty()) << "a pass cut short is no sample";
    EXPECT_EQ(rig.stopped.size(), 1u);

    // Between passes the run is over at once, so the diagnostic page is not
    // locked out by a polling flag nobody will clear.
    Rig idle;
    idle.model->activate();
    idle.model->tick();
    idle.model->DisableTimer();
    EXPECT_FALSE(idle.state.polling.MonitorPolling);
    EXPECT_FALSE(idle.model->StatusTimerForm());
}

TEST(MonitorModel, AFailedReadEndsThePassKeepsTheValuesAndClosesTheLink) {
    Rig rig;
    rig.model->activate();
    rig.model->tick();
    ASSERT_EQ(rig.passes.size(), 1u);
    // The next pass: joystick 1 has moved, then the read of joystick 4 fails.
    rig.link.words[kJoy[0]] = 700;
    rig.link.words[kJoy[3]] = 900;
    rig.link.failAt = 12 + 6;
    rig.model->tick();
    EXPECT_EQ(rig.link.reads.size(), 12u + 7u) << "nothing read after the failure";
    EXPECT_DOUBLE_EQ(rig.display("JoyMonitorVal_0").value, 70.0);
    EXPECT_DOUBLE_EQ(rig.display("JoyMonitorVal_3").value, 25.5) << "the value shown stays";
    EXPECT_EQ(rig.state.connectState(), ConnectState::NotConnected);
    EXPECT_FALSE(rig.state.polling.MonitorPolling);
    EXPECT_FALSE(rig.model->timerEnabled());
    EXPECT_EQ(rig.link.closes, 1);
    EXPECT_EQ(rig.link.writes, 0);
    EXPECT_EQ(rig.passes.size(), 1u);
    EXPECT_TRUE(rig.prompter.messages.isEmpty()) << "no message box";
    ASSERT_EQ(rig.stopped.size(), 1u);
    const Status why = rig.stopped.front();
    EXPECT_EQ(why.text(), QStringLiteral("FAILED!"));
    EXPECT_TRUE(why.detail().startsWith(QStringLiteral("reading Joy 4 Value (2306.00): time-out")))
        << why.detail().toStdString();

    // A link closed under the page would "read" without reading: no made-up value.
    Rig closed;
    closed.model->activate();
    closed.model->tick();
    closed.link.open = false;
    closed.link.words[kErr] = 0x0001;
    closed.model->tick();
    EXPECT_EQ(closed.model->errorCode(), 0x0040);
    EXPECT_EQ(closed.state.connectState(), ConnectState::NotConnected);
}

TEST(MonitorModel, NeverPollsWhileTheDiagnosticPageDoesAndNeverNests) {
    Rig rig;
    rig.state.polling.DiagnosticPolling = true;
    rig.state.polling.MonitorStopRequest = true;
    rig.model->activate();
    EXPECT_TRUE(rig.state.polling.DiagnosticStopRequest);
    EXPECT_FALSE(rig.state.polling.MonitorStopRequest);
    rig.model->tick();
    EXPECT_TRUE(rig.link.reads.empty());
    EXPECT_FALSE(rig.state.polling.MonitorPolling);
    rig.state.polling.DiagnosticPolling = false;
    rig.model->tick();
    EXPECT_EQ(rig.link.reads.size(), 12u);

    // The timer firing while the page lets events run mid-pass starts no second pass.
    Rig nest;
    nest.model->activate();
    nest.link.beforeRead = [&nest](int) { nest.model->tick(); };
    nest.model->tick();
    EXPECT_EQ(nest.link.reads.size(), 12u);

    // Not connected: no timer, nothing read.
    Rig off;
    off.state.setConnectState(ConnectState::NotConnected);
    off.model->activate();
    EXPECT_FALSE(off.model->timerEnabled());
}

TEST(MonitorModel, ActivationScalesTheShownRecordsForTheConfiguredSections) {
    Rig rig(3);
    for (const HvcId id : {HvcId::HVC_JOY0_VALUE, HvcId::HVC_JOY3_VALUE, HvcId::HVC_VBB_400})
        rig.state.catalogue.Var(id).Formula = QStringLiteral("X|X/10|X/100");
    rig.state.catalogue.Var(HvcId::HVC_JOY3_VALUE).FormulaPart = 7;
    rig.link.words[kJoy[0]] = 600;
    rig.model->activate();
    EXPECT_EQ(rig.state.catalogue.Var(HvcId::HVC_JOY0_VALUE).FormulaPart, 3);
    EXPECT_EQ(rig.state.catalogue.Var(HvcId::HVC_VBB_400).FormulaPart, 3);
    EXPECT_EQ(rig.state.catalogue.Var(HvcId::HVC_JOY3_VALUE).FormulaPart, 7) << "hidden display";
    rig.model->tick();
    EXPECT_DOUBLE_EQ(rig.display("JoyMonitorVal_0").value, 6.0);
    EXPECT_DOUBLE_EQ(rig.display("JoyMonitorVbb").value, 24.13);
}

TEST(MonitorModel, DisplaysAreBoundAndScaledFromTheRecords) {
    Rig rig;
    // A limit beyond 32767 is a negative word and loses to the others.
    rig.state.catalogue.Var(HvcId::HVC_I0_MAX).E2InECU = 40000;
    rig.state.catalogue.Var(HvcId::HVC_I1_MAX).E2InECU = 820;
    rig.state.catalogue.Var(HvcId::HVC_I6_SDM_MAX).E2InECU = 1400;
    rig.model->RefreshObject();
    EXPECT_EQ(rig.display("IMeasure_0").ScaleMax, 820);
    EXPECT_EQ(rig.display("IMeasure_3").ScaleMax, 1400);
    EXPECT_EQ(rig.display("IMeasure_2").LevelA, 50);
    EXPECT_EQ(rig.display("JoyMonitorVbb").NumberFormat, QStringLiteral("####0.0"));
    EXPECT_FALSE(rig.display("JoyMonitorVbb").DisplayOption);
    const MonitorDisplay& joy = rig.display("JoyMonitorVal_2");
    EXPECT_EQ(joy.BoundVar, &rig.state.catalogue.Var(HvcId::HVC_JOY2_VALUE));
    EXPECT_EQ(joy.VarID, rig.state.catalogue.IdIndex(HvcId::HVC_JOY2_VALUE));
    EXPECT_FALSE(rig.display("JoyMonitorRed_2").MonitorEnable);
}

TEST(MonitorModel, RedrawRequestsReachThePageWhileItExists) {
    AppState state;
    {
        MonitorModel model(state);
        int joy = 0, mag = 0;
        QObject::connect(&model, &MonitorModel::drawJoyRequested, &model, [&joy] { ++joy; });
        QObject::connect(&model, &MonitorModel::drawMagRequested, &model, [&mag] { ++mag; });
        ASSERT_NE(state.DrawJoyMonitorEventObj, nullptr);
        state.DrawJoyMonitorEventObj->setValue(1);
        state.DrawMagMonitorEventObj->setValue(1);
        state.DrawMagMonitorEventObj->setValue(0);
        EXPECT_EQ(joy, 1);
        EXPECT_EQ(mag, 1);
        EXPECT_EQ(state.DrawJoyMonitorEventObj->value(), 0);
    }
    EXPECT_EQ(state.DrawJoyMonitorEventObj, nullptr);
    EXPECT_EQ(state.DrawMagMonitorEventObj, nullptr);
}
