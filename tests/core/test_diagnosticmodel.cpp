// The diagnostic page's model without widgets: what a pass reads and the progress
// it reports, how its ticks give way to the monitor and stop, what a failed read
// leaves behind, and the active-error list and history kept from the rows.

#include "core/diagnosticmodel.h"
#include "core/prompter.h"
#include "core/unitlink.h"
#include "support/scriptedlink.h"
#include "support/shippedrecords.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <vector>

using namespace hvc;

namespace {

using test::ScriptedLink;

// The error words' addresses, in row order.
constexpr std::int32_t kCode = 0x200000, kVbb = 0x200200, kHsd = 0x200400;
constexpr std::int32_t kSec[4] = {0x201000, 0x201200, 0x201400, 0x201600};
const std::vector<std::int32_t> kAllRows = {kCode, kVbb, kHsd, kSec[0], kSec[1], kSec[2], kSec[3]};

struct Rig {
    ScriptedPrompter prompter;
    AppState state;
    ScriptedLink link;
    std::unique_ptr<DiagnosticModel> model;
    std::vector<int> progress;
    std::vector<Status> stopped;
    QDateTime now = QDateTime(QDate(2025, 3, 4), QTime(10, 15, 0));

    explicit Rig(bool load = true) {
        test::loadShippedRecordsAsRead(state, prompter);
        state.link = &link;
        state.setConnectState(ConnectState::Connected);
        model = std::make_unique<DiagnosticModel>(state);
        model->clock = [this] { return now; };
        if (load)
            model->loadMessages(test::sourcePath("res/ini/DiagnosticList.ini"));
        QObject::connect(model.get(), &DiagnosticModel::progressChanged, model.get(),
                         [this](const QString&, int p) { progress.push_back(p); });
        QObject::connect(model.get(), &DiagnosticModel::pollingStopped, model.get(),
                         [this](const Status& s) { stopped.push_back(s); });
    }
    QStringList listed() const {
        QStringList texts;
        for (const ActiveErrorItem& item : model->activeErrors().items())
            texts << item.text;
        return texts;
    }
};

} // namespace

TEST(DiagnosticModel, APassReadsTheEnabledRowsInRowOrderAndDrawsEachStep) {
    Rig rig;
    rig.link.words = {{kCode, 0x0048}, {kSec[1], 0x0008}};
    rig.model->activate();
    EXPECT_TRUE(rig.model->timerEnabled());
    rig.model->tick();
    EXPECT_EQ(rig.link.reads, kAllRows);
    EXPECT_EQ(rig.progress, (std::vector<int>{14, 29, 43, 57, 71, 86, 100}));
    EXPECT_EQ(rig.state.connectState(), ConnectState::DiagnosticPolling);
    EXPECT_TRUE(rig.state.polling.DiagnosticPolling);
    EXPECT_EQ(rig.state.StatusText, QStringLiteral("Diagnostic..."));
    EXPECT_EQ(rig.model->row(4).value, 0x0008);
    EXPECT_EQ(rig.link.writes, 0);
    for (int r = 7; r < DiagnosticModel::kRows; ++r) {
        EXPECT_FALSE(rig.model->row(r).Visible) << r;
        EXPECT_EQ(rig.model->row(r).BoundVar, nullptr) << r;
    }
    EXPECT_EQ(rig.model->row(4).texts[3], QStringLiteral("Open coil A"));
    EXPECT_EQ(rig.model->row(0).kinds[6], DiagnosticBitKind::Status) << "ready has no key";

    // A row switched off is skipped and the steps are counted without it.
    Rig six;
    six.model->setEnable(2, false);
    six.model->activate();
    six.model->tick();
    EXPECT_EQ(six.link.reads.size(), 6u);
    EXPECT_EQ(six.progress, (std::vector<int>{17, 33, 50, 67, 83, 100}));

    // Rows 5 and 6 (sections 3 and 4) join the polling only when the page loads.
    Rig unloaded(false);
    unloaded.model->RefreshObject();
    unloaded.model->activate();
    unloaded.model->tick();
    EXPECT_EQ(unloaded.link.reads,
              (std::vector<std::int32_t>{kCode, kVbb, kHsd, kSec[0], kSec[1]}));
}

TEST(DiagnosticModel, TicksGiveWayToTheMonitorAndStopWhenAsked) {
    Rig rig;
    rig.state.polling.MonitorPolling = true;
    rig.state.polling.DiagnosticStopRequest = true;
    rig.model->activate();
    EXPECT_TRUE(rig.state.polling.MonitorStopRequest);
    EXPECT_FALSE(rig.state.polling.DiagnosticStopRequest);
    rig.model->tick();
    EXPECT_TRUE(rig.link.reads.empty());
    EXPECT_FALSE(rig.state.polling.DiagnosticPolling);
    rig.state.polling.MonitorPolling = false; // the monitor's own tick ended its run
    rig.model->tick();
    EXPECT_EQ(rig.link.reads.size(), 7u);

    // Leaving the page gives the link back at once; the next tick ends the run.
    rig.model->deactivate();
    EXPECT_EQ(rig.state.connectState(), ConnectState::Connected);
    rig.model->tick();
    EXPECT_EQ(rig.link.reads.size(), 7u);
    EXPECT_FALSE(rig.model->timerEnabled());
    EXPECT_FALSE(rig.state.polling.DiagnosticPolling);
    EXPECT_EQ(rig.state.connectState(), ConnectState::Connected);
    ASSERT_EQ(rig.stopped.size(), 1u);
    EXPECT_TRUE(rig.stopped.front().ok());

    // The timer firing while the page lets events run mid-pass starts no second pass.
    Rig nest;
    nest.model->activate();
    nest.link.beforeRead = [&nest](int) { nest.model->tick(); };
    nest.model->tick();
    EXPECT_EQ(nest.link.reads.size(), 7u);

    // Shown without a unit: no timer. Disabled between passes: the run is over,
    // so the monitor is not locked out by a flag nobody would clear.
    Rig off;
    off.state.setConnectState(ConnectState::NotConnected);
    off.model->activate();
    EXPECT_FALSE(off.model->timerEnabled());
    Rig idle;
    idle.model->activate();
    idle.model->tick();
    idle.model->DisableTimer();
    EXPECT_FALSE(idle.state.polling.DiagnosticPolling);
    EXPECT_FALSE(idle.model->StatusTimerForm());
}

TEST(DiagnosticModel, AFailedReadEndsTheRunAndKeepsRowsAndList) {
    Rig rig;
    rig.link.words = {{kCode, 0x0048}, {kSec[1], 0x0008}};
    rig.model->activate();
    rig.model->tick();
    ASSERT_EQ(rig.listed(), (QStringList{QStringLiteral("UNIT - 8"), QStringLiteral("SEC2 - 8")}));

    rig.link.failAt = 7 + 2;
    rig.model->tick();
    EXPECT_EQ(rig.link.reads.size(), 7u + 3u) << "nothing read after the failure";
    EXPECT_EQ(rig.state.connectState(), ConnectState::NotConnected);
    EXPECT_FALSE(rig.state.polling.DiagnosticPolling);
    EXPECT_FALSE(rig.model->timerEnabled());
    EXPECT_EQ(rig.link.closes, 1);
    EXPECT_EQ(rig.link.writes, 0);
    EXPECT_EQ(rig.model->row(4).value, 0x0008);
    EXPECT_EQ(rig.listed().size(), 2);
    EXPECT_TRUE(rig.prompter.messages.isEmpty()) << "no message box";
    ASSERT_EQ(rig.stopped.size(), 1u);
    EXPECT_TRUE(rig.stopped.front().detail().startsWith(
        QStringLiteral("reading HSD Error (2004.00): time-out")))
        << rig.stopped.front().detail().toStdString();

    // A link closed under the page "reads" nothing: no made-up word clears an error.
    Rig closed;
    closed.link.words = {{kSec[1], 0x0008}};
    closed.model->activate();
    closed.model->tick();
    closed.link.open = false;
    closed.model->tick();
    EXPECT_EQ(closed.model->row(4).value, 0x0008);
    EXPECT_EQ(closed.listed(), QStringList{QStringLiteral("SEC2 - 8")});
    EXPECT_EQ(closed.state.connectState(), ConnectState::NotConnected);

    // Disconnect while the page draws the second row's progress: the pass ends
    // there, with the indicator at 0.
    Rig cut;
    cut.model->activate();
    QObject::connect(cut.model.get(), &DiagnosticModel::progressChanged, cut.model.get(), [&cut] {
        if (cut.link.reads.size() == 2)
            cut.model->DisableTimer();
    });
    cut.model->tick();
    EXPECT_EQ(cut.link.reads.size(), 2u);
    EXPECT_EQ(cut.state.connectState(), ConnectState::NotConnected);
    EXPECT_FALSE(cut.state.polling.DiagnosticPolling);
    EXPECT_EQ(cut.stopped.size(), 1u);
}

TEST(DiagnosticModel, TheListAndTheHistoryFollowEachRowsChanges) {
    Rig rig;
    // The same error coming twice without going: listed twice, one history entry;
    // one going removes both and ends the entry.
    rig.model->ValueChanged(4, 0x08, 0x08);
    rig.now = rig.now.addSecs(5);
    rig.model->ValueChanged(4, 0x08, 0x08);
    const QList<ActiveErrorItem>& items = rig.model->activeErrors().items();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].text, QStringLiteral("SEC2 - 8"));
    EXPECT_EQ(items[0].errorId, QStringLiteral("E43"));
    EXPECT_EQ(items[0].description, QStringLiteral("Section 2 open coil A"));
    ASSERT_EQ(rig.model->history().entries().size(), 1);
    rig.now = rig.now.addSecs(60);
    rig.model->ValueChanged(4, 0x00, 0x08);
    EXPECT_TRUE(rig.model->activeErrors().isEmpty());
    const ErrorHistoryEntry& entry = rig.model->history().entries().front();
    EXPECT_EQ(entry.came, QDateTime(QDate(2025, 3, 4), QTime(10, 15, 0)));
    EXPECT_EQ(entry.went, QDateTime(QDate(2025, 3, 4), QTime(10, 16, 5)));

    // The ready flag has a bit text but no key: it lights, it is never listed.
    rig.model->ValueChanged(0, 0x40, 0x40);
    EXPECT_TRUE(rig.model->activeErrors().isEmpty());
}

TEST(DiagnosticModel, TheHistoryIsExportedAsCsvAndClearedOnlyByTheUser) {
    Rig rig;
    rig.link.words = {{kCode, 0x0048}, {kSec[1], 0x0008}};
    rig.model->activate();
    rig.model->tick();
    ASSERT_EQ(rig.model->history().entries().size(), 2);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.csv"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("an older, longer file that must not leave a tail behind\n");
    }
    ASSERT_TRUE(rig.model->exportHistory(path).ok());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()),
              QStringLiteral("Came,Went,VarKey,Error ID,Description\r\n"
                             "2025-03-04 10:15:00,active,SEC2 - 8,E43,Section 2 open coil A\r\n"
                             "2025-03-04 10:15:00,active,UNIT - 8,E03,Section 2 fault\r\n"));

    // A folder or a path in a missing folder is refused, and says why.
    const Status folder = rig.model->exportHistory(dir.path());
    EXPECT_FALSE(folder.ok());
    EXPECT_EQ(folder.text(), QStringLiteral("History NOT EXPORTED!"));
    EXPECT_TRUE(folder.detail().contains(QStringLiteral("not a regular file")));
    EXPECT_FALSE(rig.model->exportHistory(dir.filePath(QStringLiteral("no/such.csv"))).ok());
    EXPECT_TRUE(QFileInfo(dir.path()).isDir());

    rig.model->clearHistory();
    EXPECT_TRUE(rig.model->history().entries().isEmpty());
    EXPECT_EQ(rig.model->activeErrors().items().size(), 2) << "the list is the unit's, not ours";
}
