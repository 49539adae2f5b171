// The monitor's CSV recording: its header, one complete line per pass, written
// through so that every finished line survives, and a file that is complete
// however the polling ends.

#include "core/monitormodel.h"
#include "core/monitorrecorder.h"
#include "core/prompter.h"
#include "core/unitlink.h"
#include "support/filebytes.h"
#include "support/shippedrecords.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace hvc;

namespace {

// Answers every read with the unit address's high byte x 10 plus a count, so every
// value differs; goes mute after a number of reads.
class CountingLink : public UnitLink {
public:
    int reads = 0;
    int muteAfter = -1;
    bool open = true;
    Status openLink() override { return {}; }
    void closeLink() override { open = false; }
    bool isLinkOpen() const override { return open; }
    Status readE2(std::int32_t a, std::int32_t& v) override { return readRam(a, v); }
    Status readRam(std::int32_t address, std::int32_t& value) override {
        if (muteAfter >= 0 && reads >= muteAfter)
            return Status::linkFailure(QStringLiteral("time-out after 1000 ms"));
        value = (address >> 16) * 10 + reads++;
        return {};
    }
    Status writeE2(std::int32_t, std::int32_t) override { return {}; }
    Status writeRam(std::int32_t, std::int32_t) override { return {}; }
    Status sendCommand(std::int32_t, const QString&) override { return {}; }
};

QStringList lines(const QString& path) {
    const QString text = QString::fromUtf8(testutil::readBytes(path));
    QStringList list = text.split(QStringLiteral("\r\n"));
    EXPECT_EQ(list.takeLast(), QString()) << "the last line is complete";
    return list;
}

const QRegularExpression
    kIsoTime(QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}(Z|[+-]\d\d:\d\d)$)"));

struct Rig {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    AppState state;
    CountingLink link;
    MonitorModel* model = nullptr;
    MonitorRecorder recorder;
    std::unique_ptr<MonitorModel> owned;

    explicit Rig(int sections) {
        test::loadShippedRecordsAsRead(state, prompter);
        state.catalogue.Var(HvcId::HVC_NUM_PROP_REG).ReadE2FromECU(sections);
        state.link = &link;
        state.setConnectState(ConnectState::Connected);
        owned = std::make_unique<MonitorModel>(state);
        model = owned.get();
        model->activate();
        QObject::connect(model, &MonitorModel::passCompleted, model,
                         [this](const MonitorSample& s) { EXPECT_TRUE(recorder.write(s).ok()); });
        QObject::connect(model, &MonitorModel::pollingStopped, model,
                         [this](const Status&) { EXPECT_TRUE(recorder.close().ok()); });
    }
    QString file() const { return dir.filePath(QStringLiteral("monitor.csv")); }
    Status open() { return recorder.open(file(), state.catalogue, model->polledVarIds()); }
};

} // namespace

TEST(MonitorRecorder, OneColumnPerValueAndOneCompleteLinePerPass) {
    Rig rig(2);
    ASSERT_TRUE(rig.open().ok());
    for (int pass = 0; pass < 3; ++pass) {
        rig.model->tick();
        // Written through: each line is in the file before the next pass.
        EXPECT_EQ(lines(rig.file()).size(), pass + 2);
    }
    rig.model->deactivate();
    rig.model->tick();
    EXPECT_FALSE(rig.recorder.isOpen());
    const QStringList all = lines(rig.file());
    ASSERT_EQ(all.size(), 4);
    EXPECT_EQ(all[0], QStringLiteral("Time,Error Code (hex),Output Monitor (hex),"
                                     "Digital Monitor (hex),Joy 1 Value [%],Joy 2 Value [%],"
                                     "Battery Voltage [V],I Measure Sec.1 [mA],"
                                     "I Measure Sec.2 [mA]"));
    // Second pass: reads 8..15; the error word at 2000.00 reads 0x20 * 10 + 8.
    const QStringList cells = all[2].split(u',');
    ASSERT_EQ(cells.size(), 9);
    EXPECT_TRUE(kIsoTime.match(cells[0]).hasMatch()) << cells[0].toStdString();
    EXPECT_EQ(cells.mid(1, 3), (QStringList{QStringLiteral("0x0148"), QStringLiteral("0x0153"),
                                            QStringLiteral("0x0154")}));
    // Joystick 1 (2300.00) read 11: 0x23 * 10 + 11 = 361 -> 36.1 %, battery
    // (2200.00) read 13: 353 -> 3.53 V, current 1 (2400.00) read 14: 374 mA.
    EXPECT_EQ(cells.mid(4),
              (QStringList{QStringLiteral("36.1"), QStringLiteral("36.2"), QStringLiteral("3.53"),
                           QStringLiteral("374"), QStringLiteral("375")}));
}

TEST(MonitorRecorder, AUnitThatGoesMuteLeavesEveryFinishedPassAndNoPartOfTheLast) {
    Rig rig(4);
    ASSERT_TRUE(rig.open().ok());
    rig.link.muteAfter = 2 * 12 + 5;
    for (int tick = 0; tick < 5; ++tick)
        rig.model->tick();
    EXPECT_FALSE(rig.recorder.isOpen());
    const QStringList all = lines(rig.file());
    ASSERT_EQ(all.size(), 3);
    for (const QString& line : all)
        EXPECT_EQ(line.split(u',').size(), 13) << line.toStdString();
}

TEST(MonitorRecorder, NamesThatNeedQuotesAndTargetsThatAreNoFiles) {
    Rig rig(1);
    rig.state.catalogue.Var(HvcId::HVC_JOY0_VALUE).Name = QStringLiteral("Joy \"1\", left");
    ASSERT_TRUE(rig.open().ok());
    EXPECT_TRUE(lines(rig.file())
                    .value(0)
                    .endsWith(QStringLiteral(",\"Joy \"\"1\"\", left [%]\",Battery Voltage [V],"
                                             "I Measure Sec.1 [mA]")));
    ASSERT_TRUE(rig.recorder.close().ok());

    // A directory is refused, not replaced.
    MonitorRecorder other;
    const Status s = other.open(rig.dir.path(), rig.state.catalogue, {});
    EXPECT_FALSE(s.ok());
    EXPECT_TRUE(s.detail().contains(QStringLiteral("not a regular file")));
    EXPECT_TRUE(QDir(rig.dir.path()).exists());
    const Status missing =
        other.open(rig.dir.filePath(QStringLiteral("no/such/dir.csv")), rig.state.catalogue, {});
    EXPECT_FALSE(missing.ok());
    EXPECT_FALSE(other.write(MonitorSample{}).ok()) << "no file, no silent success";
}
