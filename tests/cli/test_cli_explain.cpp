// hvcctl show and read-all with --explain: the shipped example, codes no list
// has, and a unit of two sections on hvc-sim together with the file saved from it.
#include "cli/cli.h"
#include "sim/simprocess.h"
#include "support/filebytes.h"
#include "support/hvcctlrun.h"
#include "support/paths.h"

#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace hvc;
using namespace hvc::testutil;

namespace {

const QString kMap = hvc::test::sourcePath("res/ini/Ramlist.ini");
const QString kExample = hvc::test::sourcePath("res/txt/Example.txt");
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

// Example.txt with the values of some addresses replaced ("0612.00" -> "12182").
QByteArray forgedExample(const QMap<QByteArray, QByteArray>& values) {
    QList<QByteArray> lines = readBytes(kExample).split('\r');
    for (QByteArray& line : lines) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() == 3 && values.contains(fields[1]))
            line = fields[0] + '\t' + fields[1] + '\t' + values[fields[1]];
    }
    return lines.join('\r');
}

void expectLines(const QStringList& all, const QStringList& expected) {
    for (const QString& line : expected)
        EXPECT_TRUE(all.contains(line)) << "missing: " << line.toStdString();
}

} // namespace

TEST(CliExplain, ShippedExampleInWords) {
    const Outcome plain = hvcctl({"show", kExample, "--ramlist", kMap});
    const Outcome r = hvcctl({"show", kExample, "--ramlist", kMap, "--explain"});
    ASSERT_EQ(r.code, cli::Ok) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(plain.out + kHeading));
    const QStringList all = words(r);
    // 3 general lines, 9 per section, 2 for the node, 4 channels, 14 digital
    // inputs, 6 commands, 2 x 4 float, 4 inversions, 3 x 4 options.
    EXPECT_EQ(all.size(), 3 + 4 * 9 + 2 + 4 + 14 + 6 + 8 + 4 + 12);
    EXPECT_TRUE(all.filter(QStringLiteral(": -")).isEmpty());
    // Read off the file by hand: 0x0001, 0x0011, 0x6502 and 0x0702 for the
    // channels, 0x2101 and 0x6141 for DI_01..DI_04, 0x0321 for the commands,
    // options 5 = bits 0 and 2.
    expectLines(all, {
                         "sections: 4",
                         "dither frequency: 100 Hz",
                         "section 1 solenoid B current: 350..820 mA",
                         "section 2 ramp mode: BREAK",
                         "section 1 joystick input: X axis",
                         "section 3 joystick input: DI_05-DI_06",
                         "can channel Joy 2: type Propotional, word Y, side A OFF, side B OFF",
                         "can channel Joy 3: type Digial Reg., word X, side A DI_05, side B DI_06",
                         "digital DI_02: LEVEL, byte 0, bit 1",
                         "command Dead Man: DI_01",
                         "float section 1 current: 1000 mA",
                         "option section 2 Section enabled with Dead-Man: on",
                     });
}

TEST(CliExplain, CodesNoListHasShowAsTheyAre) {
    QTemporaryDir dir;
    const QString path = dir.filePath("odd.txt");
    ASSERT_TRUE(writeBytes(path, forgedExample({
                                     {"0700.00", "08619"}, // DI_01 0xAB: type 3, byte 2, bit 5
                                     {"0612.00", "12182"}, // 0x2F96: type 6, word 9, A 15, B 2
                                     {"0800.00", "00815"}, // 0x032F: dead man 15
                                 })));
    const Outcome r = hvcctl({"show", path, "--ramlist", kMap, "--explain"});
    ASSERT_EQ(r.code, cli::Ok) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("\t0612.00\t12182\t"));
    expectLines(words(r),
                {
                    "digital DI_01: ? (3), byte 2, bit 5",
                    "can channel Joy 2: type ? (6), word ? (9), side A ? (15), side B DI_02",
                    "section 2 joystick input: DI_15-DI_02",
                    "command Dead Man: ? (15)",
                });
}

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
    expectLines(all, {
                         "sections: 2",
                         "section 2 joystick input: DI_03-DI_14",
                         "can channel Joy 2: type Digial Reg., word blank (7), side A DI_03, "
                         "side B DI_14",
                         "can channel Joy 3: -",
                         "digital DI_02: EDGE, byte 7, bit 7",
                         "float section 2 side: B",
                         "option section 2 Section enabled with Dead-Man: off",
                     });

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
    EXPECT_EQ(words(shown), all);
}
