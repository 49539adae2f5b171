// The monitor and diagnostic pages' models: the rules of a run shared by both as
// one typed suite, then what each pass reads, in which order, and what it records.

#include "core/csv.h"
#include "core/diagnosticmodel.h"
#include "core/monitormodel.h"
#include "core/monitorrecorder.h"
#include "core/monitorwords.h"
#include "core/prompter.h"
#include "support/filebytes.h"
#include "support/scriptedlink.h"
#include "support/shippedrecords.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <type_traits>
#include <vector>

using namespace hvc;
using Reads = std::vector<std::int32_t>;

namespace {

// The monitor's status words, joysticks, battery and currents.
constexpr std::int32_t kErr = 0x200000, kHsd = 0x210000, kDin = 0x210200, kVbb = 0x220000;
constexpr std::int32_t kJoy[4] = {0x230000, 0x230200, 0x230400, 0x230600};
constexpr std::int32_t kMeas[4] = {0x240000, 0x240200, 0x240400, 0x240600};
// The diagnostic rows' error words, in row order.
constexpr std::int32_t kCode = 0x200000, kVbbErr = 0x200200, kHsdErr = 0x200400;
constexpr std::int32_t kSec[4] = {0x201000, 0x201200, 0x201400, 0x201600};

template <class Model> struct Rig {
    ScriptedPrompter prompter;
    AppState state;
    test::ScriptedLink link;
    std::unique_ptr<Model> model;
    std::vector<int> progress;
    std::vector<Status> stopped;
    std::vector<MonitorSample> passes;
    QDateTime now = QDateTime(QDate(2025, 3, 4), QTime(10, 15, 0));

    explicit Rig(int sections = 4) {
        test::loadShippedRecordsAsRead(state, prompter);
        state.document.catalogue.var(HvcId::HVC_NUM_PROP_REG).takeUnitWord(sections);
        state.session.link = &link;
        state.session.setConnectState(ConnectState::Connected);
        model = std::make_unique<Model>(state);
        Model* m = model.get();
        QObject::connect(m, &Model::progressChanged, m,
                         [this](const QString&, int p) { progress.push_back(p); });
        QObject::connect(m, &Model::pollingStopped, m,
                         [this](const Status& s) { stopped.push_back(s); });
        if constexpr (std::is_same_v<Model, MonitorModel>) {
            QObject::connect(m, &MonitorModel::passCompleted, m,
                             [this](const MonitorSample& s) { passes.push_back(s); });
            link.words = {{kErr, 0x0040},  {kHsd, 0x0005},  {kDin, 0x0102}, {kVbb, 2413},
                          {kJoy[0], 500},  {kJoy[1], 1000}, {kJoy[2], 0},   {kJoy[3], 255},
                          {kMeas[0], 620}, {kMeas[1], 940}, {kMeas[2], 0},  {kMeas[3], 12}};
        } else {
            m->clock = [this] { return now; };
            m->loadMessages(test::sourcePath("res/ini/DiagnosticList.ini"));
        }
    }
    void pass() {
        model->activate();
        model->tick();
    }
    const MonitorDisplay& display(const char* name) const {
        return model->display(model->displayIndex(QLatin1String(name)));
    }
};

// What sets the two models apart for the rules they share.
template <class Model> struct Poll;
template <> struct Poll<MonitorModel> {
    static constexpr std::size_t kPass = 12;
    static constexpr Page kOwn = Page::Monitor;
    static constexpr Page kOther = Page::Diagnostic;
    static constexpr ConnectState kPolling = ConnectState::MonitorPolling;
    static constexpr int kFailAt = 6;
    static constexpr const char* kFailure = "reading Joy 4 Value (2306.00): time-out";
};
template <> struct Poll<DiagnosticModel> {
    static constexpr std::size_t kPass = 7;
    static constexpr Page kOwn = Page::Diagnostic;
    static constexpr Page kOther = Page::Monitor;
    static constexpr ConnectState kPolling = ConnectState::DiagnosticPolling;
    static constexpr int kFailAt = 2;
    static constexpr const char* kFailure = "reading HSD Error (2004.00): time-out";
};

template <class Model> class PollingModel : public ::testing::Test {};
using Models = ::testing::Types<MonitorModel, DiagnosticModel>;
TYPED_TEST_SUITE(PollingModel, Models);

// The run is over: no timer, no polling flag, the link `connect`, one stop reported.
template <class Model> void expectRunOver(const Rig<Model>& rig, ConnectState connect) {
    EXPECT_FALSE(rig.model->timerEnabled() || rig.model->isPolling());
    EXPECT_EQ(rig.state.session.connectState(), connect);
    EXPECT_EQ(rig.stopped.size(), 1u);
}

QStringList csvLines(const QString& path) {
    QStringList list = QString::fromUtf8(testutil::readBytes(path)).split(QStringLiteral("\r\n"));
    EXPECT_EQ(list.takeLast(), QString()) << "the last line is complete";
    return list;
}

} // namespace

TYPED_TEST(PollingModel, WaitsForTheOtherPageAndGivesTheLinkBackWhenLeft) {
    using P = Poll<TypeParam>;
    Rig<TypeParam> rig;
    PollingController& polling = rig.state.polling;
    polling.setPolling(P::kOther, true);
    polling.requestStop(P::kOwn);
    rig.pass();
    EXPECT_TRUE(polling.stopRequested(P::kOther));
    EXPECT_FALSE(polling.stopRequested(P::kOwn) || polling.isPolling(P::kOwn));
    EXPECT_TRUE(rig.link.reads.empty());
    polling.setPolling(P::kOther, false); // the other page's own tick ended its run
    rig.model->tick();
    EXPECT_EQ(rig.link.reads.size(), P::kPass);
    EXPECT_EQ(rig.state.session.connectState(), P::kPolling);
    EXPECT_TRUE(polling.isPolling(P::kOwn));

    // Leaving the page gives the link back at once; the next tick ends the run.
    rig.model->deactivate();
    EXPECT_EQ(rig.state.session.connectState(), ConnectState::Connected);
    rig.model->tick();
    EXPECT_EQ(rig.link.reads.size(), P::kPass);
    expectRunOver(rig, ConnectState::Connected);
    EXPECT_TRUE(rig.stopped.front().ok());
    EXPECT_EQ(rig.link.writes, 0);
}

TYPED_TEST(PollingModel, NeverNestsNeedsAUnitAndEndsWhenDisabledOrAReadFails) {
    using P = Poll<TypeParam>;
    // The timer firing while the page lets events run mid-pass starts no second pass.
    Rig<TypeParam> nest;
    nest.link.beforeRead = [&nest](int) { nest.model->tick(); };
    nest.pass();
    EXPECT_EQ(nest.link.reads.size(), P::kPass);

    // Disabled between passes (Disconnect, Exit): the run is over at once, so the
    // other page is not locked out by a flag nobody would clear.
    Rig<TypeParam> idle;
    idle.pass();
    idle.model->disableTimer();
    expectRunOver(idle, P::kPolling);

    // Disabled while the page lets events run: the pass (its words come in one
    // list) ends there, with no sample.
    Rig<TypeParam> cut;
    cut.link.beforeRead = [&cut](int at) {
        if (at == 4)
            cut.model->disableTimer();
    };
    cut.pass();
    EXPECT_EQ(cut.link.reads.size(), P::kPass);
    expectRunOver(cut, ConnectState::NotConnected);
    EXPECT_TRUE(cut.passes.empty()) << "a pass cut short is no sample";
    // A failed read ends the run and closes the link.
    Rig<TypeParam> rig;
    rig.pass();
    rig.link.failAt = static_cast<int>(P::kPass) + P::kFailAt;
    rig.model->tick();
    EXPECT_EQ(rig.link.reads.size(), P::kPass + P::kFailAt + 1) << "nothing read after it";
    expectRunOver(rig, ConnectState::NotConnected);
    EXPECT_EQ(rig.link.closes, 1);
    EXPECT_EQ(rig.link.writes, 0);
    EXPECT_TRUE(rig.prompter.messages.isEmpty()) << "no message box";
    EXPECT_TRUE(rig.stopped.at(0).detail().startsWith(QLatin1String(P::kFailure)))
        << rig.stopped.at(0).detail().toStdString();

    // A link closed under the page would "read" without reading: a failure too.
    Rig<TypeParam> closed;
    closed.pass();
    closed.link.open = false;
    closed.model->tick();
    EXPECT_EQ(closed.link.reads.size(), P::kPass);
    expectRunOver(closed, ConnectState::NotConnected);
    EXPECT_FALSE(closed.stopped.at(0).ok());
}

TEST(MonitorModel, APassReadsTheStatusWordsThenEveryPolledDisplayInPageOrder) {
    Rig<MonitorModel> rig;
    std::vector<quint16> outputs;
    QObject::connect(rig.model.get(), &MonitorModel::outputWordRead, rig.model.get(),
                     [&outputs](quint16 w) { outputs.push_back(w); });
    rig.pass();
    EXPECT_EQ(rig.link.reads, (Reads{kErr, kHsd, kDin, kJoy[0], kJoy[1], kJoy[2], kJoy[3], kVbb,
                                     kMeas[0], kMeas[1], kMeas[2], kMeas[3]}));
    EXPECT_EQ(outputs, std::vector<quint16>{0x0005});
    // Display units through each record's formula.
    EXPECT_DOUBLE_EQ(rig.display("JoyMonitorVal_0").value, 50.0);
    EXPECT_DOUBLE_EQ(rig.display("JoyMonitorVal_3").value, 25.5);
    EXPECT_DOUBLE_EQ(rig.display("JoyMonitorVbb").value, 24.13);
    ASSERT_EQ(rig.passes.size(), 1u);
    EXPECT_EQ((std::pair<int, int>{rig.passes[0].errorCode, rig.passes[0].inputs}),
              (std::pair{0x0040, 0x0102}));

    // Two sections: the displays of sections 3 and 4 are hidden and not read; a
    // display the user switched off is skipped; the redundant ones never count.
    Rig<MonitorModel> two(2);
    two.model->activate();
    two.model->setMonitorEnable(two.model->displayIndex(QStringLiteral("IMeasure_0")), false);
    two.model->tick();
    EXPECT_EQ(two.link.reads, (Reads{kErr, kHsd, kDin, kJoy[0], kJoy[1], kVbb, kMeas[1]}));
}

TEST(MonitorModel, ProgressAndScales) {
    Rig<MonitorModel> two(2); // 5 displays: 8 steps of 12.5 each
    two.pass();
    EXPECT_EQ(two.progress, (std::vector<int>{0, 12, 25, 38, 50, 62, 75, 88, 100}));
    Rig<MonitorModel> rig(3);
    Catalogue& c = rig.state.document.catalogue;
    for (const HvcId id : {HvcId::HVC_JOY0_VALUE, HvcId::HVC_JOY3_VALUE, HvcId::HVC_VBB_400})
        c.var(id).formula = QStringLiteral("X|X/10|X/100");
    c.var(HvcId::HVC_JOY3_VALUE).formulaPart = 7;
    // A current limit beyond 32767 is a negative word and loses to the others.
    c.var(HvcId::HVC_I0_MAX).unitWord = 40000;
    c.var(HvcId::HVC_I1_MAX).unitWord = 820;
    rig.link.words[kJoy[0]] = 600;
    rig.pass();
    EXPECT_EQ(c.var(HvcId::HVC_VBB_400).formulaPart, 3);
    EXPECT_EQ(c.var(HvcId::HVC_JOY3_VALUE).formulaPart, 7) << "hidden display";
    EXPECT_DOUBLE_EQ(rig.display("JoyMonitorVal_0").value, 6.0);
    EXPECT_EQ(rig.display("IMeasure_0").scaleMax, 820);
}

TEST(MonitorRecorder, OneQuotedColumnPerValueAndOneCompleteLinePerPass) {
    // Every read answers the address's high byte x 10 plus the number of reads
    // before it, so every value differs.
    Rig<MonitorModel> rig(2);
    rig.link.answer = [&rig](std::int32_t a) {
        return (a >> 16) * 10 + static_cast<std::int32_t>(rig.link.reads.size()) - 1;
    };
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("monitor.csv"));
    MonitorRecorder recorder;
    MonitorModel* m = rig.model.get();
    QObject::connect(m, &MonitorModel::passCompleted, m,
                     [&recorder](const MonitorSample& s) { EXPECT_TRUE(recorder.write(s).ok()); });
    QObject::connect(m, &MonitorModel::pollingStopped, m,
                     [&recorder](const Status&) { EXPECT_TRUE(recorder.close().ok()); });
    rig.state.document.catalogue.var(HvcId::HVC_JOY0_VALUE).name =
        QStringLiteral("Joy \"1\", left");
    m->activate();
    ASSERT_TRUE(recorder.open(file, rig.state.document.catalogue, m->polledVarIds()).ok());
    for (int pass = 0; pass < 3; ++pass) {
        m->tick();
        EXPECT_EQ(csvLines(file).size(), pass + 2) << "written through, line by line";
    }
    rig.link.failAt = 3 * 8 + 4; // the unit goes mute: no part of that pass is written
    m->tick();
    EXPECT_FALSE(recorder.isOpen());
    const QStringList all = csvLines(file);
    ASSERT_EQ(all.size(), 4);
    EXPECT_EQ(all[0].split(u',').value(4), QStringLiteral("\"Joy \"\"1\"\""));
    // Second pass: reads 8..15; the error word at 2000.00 reads 0x20 * 10 + 8.
    // Joystick 1 (2300.00) reads 0x23 * 10 + 11 = 361 -> 36.1 %, the battery
    // (2200.00) 353 -> 3.53 V, current 1 (2400.00) 374 mA.
    const QStringList cells = all[2].split(u',');
    EXPECT_TRUE(QDateTime::fromString(cells.value(0), Qt::ISODateWithMs).isValid());
    EXPECT_EQ(cells.mid(1),
              (QStringList{"0x0148", "0x0153", "0x0154", "36.1", "36.2", "3.53", "374", "375"}));
    EXPECT_EQ(all[3].split(u',').size(), 9);
    // A folder or a path that cannot be created records nothing and says so.
    for (const QString& bad : {dir.path(), dir.filePath(QStringLiteral("no/such.csv"))}) {
        const Status s = recorder.open(bad, rig.state.document.catalogue, m->polledVarIds());
        EXPECT_FALSE(s.ok() || recorder.isOpen()) << bad.toStdString();
    }
    EXPECT_FALSE(recorder.write(MonitorSample{}).ok());
}

// A file limit of the process (RLIMIT_FSIZE, EFBIG) stands in for a full disk,
// which a test cannot make without root; /dev/full is refused as no regular file.
TEST(MonitorRecorder, AnOldFileStaysUntilTheFirstRowAndAFailedWriteKeepsWholeRows) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("monitor.csv"));
    ASSERT_TRUE(testutil::writeBytes(file, "old\n"));
    const Catalogue catalogue;
    MonitorRecorder recorder;
    ASSERT_TRUE(recorder.open(file, catalogue, {}).ok());
    EXPECT_TRUE(recorder.close().ok());
    EXPECT_EQ(testutil::readBytes(file), "old\n") << "no pass, nothing replaced";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"monitor.csv"});
    ASSERT_TRUE(recorder.open(file, catalogue, {}).ok());
    ASSERT_TRUE(recorder.write(MonitorSample{}).ok());
    const qint64 whole = QFileInfo(file).size();
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    rlimit small = before;
    small.rlim_cur = static_cast<rlim_t>(whole + 10); // the next row fits in part
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const Status failed = recorder.write(MonitorSample{});
    ::setrlimit(RLIMIT_FSIZE, &before);
    EXPECT_EQ(
        failed.detail(),
        QStringLiteral("cannot write '%1': %2").arg(file, QString::fromLocal8Bit(strerror(EFBIG))));
    EXPECT_EQ(QFileInfo(file).size(), whole) << "cut back to the last whole row";
}

TEST(Csv, TextASpreadsheetWouldRunIsDefusedButNumbersStayNumbers) {
    for (const char* number : {"-5", "-0.25", "+3", "-1e-05", "12"})
        EXPECT_EQ(csvField(QString::fromLatin1(number)), QString::fromLatin1(number));
    EXPECT_EQ(csvField("=1+2"), "'=1+2");
    EXPECT_EQ(csvField("+cmd|' /C calc'!A0"), "'+cmd|' /C calc'!A0");
    EXPECT_EQ(csvField("-2+3,x"), "\"'-2+3,x\"");
}

TEST(DiagnosticModel, APassReadsTheEnabledRowsInRowOrderAndDrawsEachStep) {
    Rig<DiagnosticModel> rig;
    rig.link.words = {{kCode, 0x0048}, {kSec[1], 0x0008}};
    rig.pass();
    EXPECT_EQ(rig.link.reads, (Reads{kCode, kVbbErr, kHsdErr, kSec[0], kSec[1], kSec[2], kSec[3]}));
    EXPECT_EQ(rig.progress, (std::vector<int>{14, 29, 43, 57, 71, 86, 100}));
    EXPECT_EQ(rig.model->row(0).kinds[6], DiagnosticBitKind::Status) << "ready has no key";
    const auto listed = [&rig] {
        QStringList texts;
        for (const ActiveErrorItem& item : rig.model->activeErrors().items())
            texts << item.text;
        return texts;
    };
    EXPECT_EQ(listed(), (QStringList{"UNIT - 8", "SEC2 - 8"}));
    // The errors the pass found reach the history, exported whole over a longer file.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.csv"));
    ASSERT_TRUE(testutil::writeBytes(path, QByteArray(4096, 'x')));
    ASSERT_TRUE(rig.model->exportHistory(path).ok());
    EXPECT_EQ(testutil::readBytes(path),
              "Came,Went,VarKey,Error ID,Description\r\n"
              "2025-03-04 10:15:00,active,SEC2 - 8,E43,Section 2 open coil A\r\n"
              "2025-03-04 10:15:00,active,UNIT - 8,E03,Section 2 fault\r\n");

    // A failed read keeps the rows and the list as they were.
    rig.link.failAt = 7 + 2;
    rig.model->tick();
    EXPECT_EQ(rig.model->row(4).value, 0x0008);
    EXPECT_EQ(listed(), (QStringList{"UNIT - 8", "SEC2 - 8"}));
}

TEST(MonitorWords, ReadyOutputsInputsAndFormats) {
    QStringList ready;
    for (std::uint16_t word : {0x0040, 0x0000, 0x0001, 0x0041, 0x8040})
        ready << readyText(word);
    EXPECT_EQ(ready, (QStringList{"READY", "READY", "NOT READY", "NOT READY", "NOT READY"}))
        << "bit 6 is no error";
    // 0x0005 lights side A of sections 1 and 2 and nothing else.
    EXPECT_EQ(outputsOn(0x0005), (QList<QString>{"1A", "2A"}));
    EXPECT_EQ(outputsOn(0x0082), (QList<QString>{"1B", "4B"}));
    EXPECT_FALSE(outputOn(0xFFFF, 4, ValveSide::A));
    EXPECT_TRUE(inputActive(0x8000, 15) && !inputActive(0x0002, 0));
    EXPECT_EQ(inputsActive(0x0203), (QList<int>{0, 1, 9}));
    EXPECT_EQ((std::pair{wordField(0x9001, 0), wordField(-28671, 3)}), (std::pair{1, 9}))
        << "signed too";
    QStringList shown;
    for (const auto& [value, format] :
         {std::pair{24.13, "####0.0"}, {49.6, "####0"}, {-0.2, "###0"}, {-3.0, "###0"}})
        shown << formatDisplayValue(value, QLatin1String(format));
    EXPECT_EQ(shown, (QStringList{"24.1", "50", "0", "-3"}));
}
