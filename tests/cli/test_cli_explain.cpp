// hvcctl show and read-all with --explain: the words follow the listing, for a unit
// of two sections on hvc-sim together with the file saved from it. What each word says is the
// explanation's own suite.
#include "cli/cli.h"
#include "sim/simprocess.h"
#include "support/filebytes.h"
#include "support/hvcctlrun.h"
#include "support/paths.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace hvc;
using namespace hvc::testutil;

namespace {

const QString kMap = hvc::test::sourcePath("res/ini/Ramlist.ini");
const QString kHeading = QStringLiteral("\nConfiguration in words:\n");

// The lines after the heading; a failure when there is none.
QStringList words(const Outcome& r) {
    const qsizetype at = r.out.indexOf(kHeading);
    if (at < 0) {
        ADD_FAILURE() << "no explanation in:\n" << r.out.toStdString();
        return {};
    }
    return r.out.mid(at + kHeading.size()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

TEST(CliExplain, UnitReadInWordsMatchesItsSavedFile) {
    QTemporaryDir dir;
    // A two-section unit with a digital channel, an edge input, a float on side B.
    ASSERT_TRUE(writeBytes(dir.filePath("eeprom.txt"), "0200.00 2\n"
                                                       "0612.00 58226\n" // 0xE372
                                                       "0700.00 65024\n" // 0xFE00
                                                       "0804.00 2\n"
                                                       "0902.00 2\n"));
    SimProcess sim;
    const QString device = sim.start({"--ramlist", kMap, "--eeprom", dir.filePath("eeprom.txt")});
    ASSERT_FALSE(device.isEmpty()) << sim.errorString().toStdString();

    const Outcome read = hvcctl({"read-all", "--port", device, "--ramlist", kMap, "--explain"});
    ASSERT_EQ(read.code, cli::Ok) << read.err.toStdString();
    EXPECT_TRUE(read.out.contains("\nJoy 2 Config\t0612.00\t")) << read.out.toStdString();
    const QStringList all = words(read);
    EXPECT_TRUE(all.filter(QRegularExpression(QStringLiteral("^section [34] "))).isEmpty());
    for (const char* line : {"sections: 2",
                             "can channel Joy 2: type Digial Reg., word blank (7), side A DI_03, "
                             "side B DI_14",
                             "digital DI_02: EDGE, byte 7, bit 7",
                             "option section 2 Section enabled with Dead-Man: off"})
        EXPECT_TRUE(all.contains(QLatin1String(line))) << "missing: " << line;

    // Saved with -o, the same words come after the save, and the file reads back
    // into the very same words.
    const QString saved = dir.filePath("unit.txt");
    const Outcome save =
        hvcctl({"read-all", "--port", device, "--ramlist", kMap, "-o", saved, "--explain"});
    ASSERT_EQ(save.code, cli::Ok) << save.err.toStdString();
    EXPECT_TRUE(save.out.startsWith(kHeading));
    EXPECT_EQ(words(save), all);
    const Outcome shown = hvcctl({"show", saved, "--ramlist", kMap, "--explain"});
    ASSERT_EQ(shown.code, cli::Ok) << shown.err.toStdString();
    EXPECT_TRUE(shown.out.startsWith(hvcctl({"show", saved, "--ramlist", kMap}).out + kHeading));
    EXPECT_EQ(words(shown), all);
}
