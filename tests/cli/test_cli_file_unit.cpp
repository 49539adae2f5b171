// The file commands against hvc-sim on a real pseudo-terminal, on the shipped map.
#include "cli/cli.h"
#include "core/appstate.h"
#include "core/configfile.h"
#include "core/prompter.h"
#include "core/transfer.h"
#include "sim/simprocess.h"
#include "support/filebytes.h"
#include "support/hvcctlrun.h"
#include "support/paths.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace hvc;
using namespace hvc::testutil;

namespace {

const QString kMap = hvc::test::sourcePath("res/ini/Ramlist.ini");

class CliFileUnit : public ::testing::Test {
protected:
    // SimProcess finds hvc-sim beside this executable through the application object.
    static void SetUpTestSuite() {
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "test_cli";
            static char* argv[] = {name, nullptr};
            static QCoreApplication app(argc, argv);
        }
    }

    void SetUp() override {
        device = sim.start({QStringLiteral("--ramlist"), kMap, QStringLiteral("--eeprom"),
                            dir.filePath(QStringLiteral("eeprom.txt"))});
        ASSERT_FALSE(device.isEmpty()) << sim.errorString().toStdString();
    }

    QStringList unit(QStringList args) const {
        return args << QStringLiteral("--port") << device << QStringLiteral("--ramlist") << kMap;
    }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    QTemporaryDir dir;
    SimProcess sim;
    QString device;
};

} // namespace

TEST_F(CliFileUnit, SavedImageLoadsBackAndMatchesTheUnit) {
    const Outcome read = hvcctl(unit({"read-all", "-o", path("unit.txt"), "--author", "QA, line 3",
                                      "--comments", "first\\nsecond"}));
    ASSERT_EQ(read.code, cli::Ok) << read.err.toStdString();

    // The unit starts at the map's defaults: the file must load back into exactly
    // those values, one line per parameter within the configured sections.
    ScriptedPrompter prompter;
    AppState expected;
    ASSERT_TRUE(expected.catalogue.LoadCatalogue(kMap, prompter));
    AppState loaded;
    ASSERT_TRUE(loaded.catalogue.LoadCatalogue(kMap, prompter));
    for (int i = 1; i <= loaded.catalogue.VarCount(); ++i)
        loaded.catalogue[i].LoadFromFile(-12345); // anything the file does not set stands out
    ConfigFileData data;
    ASSERT_TRUE(ReadConfigFile(path("unit.txt"), loaded.catalogue, data).ok());
    ApplyConfigFile(loaded, data, QStringLiteral("unit.txt"));
    const std::uint16_t mask = readKeyAll(expected);
    const int sections = expected.catalogue.Var(HvcId::HVC_NUM_PROP_REG).E2Value;
    int selected = 0;
    for (int i = 1; i <= expected.catalogue.VarCount(); ++i) {
        const CVarData& e = expected.catalogue[i];
        if ((e.PageMask & mask) == 0 || e.Section >= sections)
            continue;
        ++selected;
        EXPECT_EQ(loaded.catalogue[i].E2Value, e.E2Value) << e.Name.toStdString();
        EXPECT_EQ(loaded.catalogue[i].E2Display, e.E2Display) << e.Name.toStdString();
    }
    EXPECT_GT(selected, 50);
    EXPECT_EQ(data.entries.size(), selected);
    EXPECT_EQ(loaded.info.author, "QA, line 3");
    EXPECT_EQ(loaded.info.comments, "first\r\nsecond");

    const Outcome diff = hvcctl(unit({"diff", path("unit.txt")}));
    EXPECT_EQ(diff.code, cli::Ok) << diff.out.toStdString() << diff.err.toStdString();
    EXPECT_EQ(diff.out, QString());
}

TEST_F(CliFileUnit, WriteAllVerifiesAndBadFilesChangeNothing) {
    ASSERT_EQ(hvcctl(unit({"read-all", "-o", path("before.txt")})).code, cli::Ok);
    QByteArray edited = readBytes(path("before.txt"));
    ASSERT_TRUE(edited.contains("\t0300.00\t00300\r"));
    edited.replace("\t0300.00\t00300\r", "\t0300.00\t00420\r");
    ASSERT_TRUE(writeBytes(path("edited.txt"), edited));

    const Outcome write = hvcctl(unit({"write-all", path("edited.txt")}));
    ASSERT_EQ(write.code, cli::Ok) << write.out.toStdString() << write.err.toStdString();
    EXPECT_EQ(write.out, QString());
    EXPECT_EQ(hvcctl(unit({"diff", path("edited.txt")})).code, cli::Ok);
    const Outcome changed = hvcctl(unit({"diff", path("before.txt")}));
    EXPECT_EQ(changed.code, cli::Failed);
    EXPECT_EQ(changed.out, "I Min 1A\t0300.00\t300\t420\t300 mA\t420 mA\n");

    // A truncated and a garbled file: exit 2, and the unit keeps what it had.
    const QByteArray good = readBytes(path("before.txt"));
    ASSERT_TRUE(writeBytes(path("cut.txt"), good.left(good.size() * 2 / 3)));
    QByteArray garbled = good;
    garbled.replace("\t0302.00\t", "\t03Z2.00\t");
    ASSERT_TRUE(writeBytes(path("garbled.txt"), garbled));
    for (const char* bad : {"cut.txt", "garbled.txt"}) {
        EXPECT_EQ(hvcctl(unit({"write-all", path(bad)})).code, cli::Usage) << bad;
        EXPECT_EQ(hvcctl(unit({"diff", path(bad)})).code, cli::Usage) << bad;
    }
    EXPECT_EQ(hvcctl(unit({"diff", path("edited.txt")})).code, cli::Ok);
}
