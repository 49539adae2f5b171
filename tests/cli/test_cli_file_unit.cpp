// The file commands against hvc-sim on a real pseudo-terminal, on the shipped map.
#include "cli/cli.h"
#include "core/logbook.h"
#include "sim/simprocess.h"
#include "support/filebytes.h"
#include "support/hvcctlrun.h"
#include "support/paths.h"

#include <QCoreApplication>
#include <QRegularExpression>
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
        m_device = m_sim.start({QStringLiteral("--ramlist"), kMap, QStringLiteral("--eeprom"),
                                m_dir.filePath(QStringLiteral("eeprom.txt"))});
        ASSERT_FALSE(m_device.isEmpty()) << m_sim.errorString().toStdString();
    }

    QStringList unit(QStringList args) const {
        return args << QStringLiteral("--port") << m_device << QStringLiteral("--ramlist") << kMap;
    }
    QString path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }

    QTemporaryDir m_dir;
    SimProcess m_sim;
    QString m_device;
};

} // namespace

TEST_F(CliFileUnit, SavedImageLoadsBackAndMatchesTheUnit) {
    const Outcome read = hvcctl(unit({"read-all", "-o", path("unit.txt"), "--author", "QA, line 3",
                                      "--comments", "first\\nsecond"}));
    ASSERT_EQ(read.code, cli::Ok) << read.err.toStdString();

    // The file holds every parameter read-all lists, each as the unit holds it.
    const Outcome shown = hvcctl({"show", path("unit.txt"), "--ramlist", kMap});
    EXPECT_TRUE(shown.out.contains("Author:\tQA, line 3\n")) << shown.out.toStdString();
    EXPECT_TRUE(shown.out.contains("Additional Comments:\n\tfirst\n\tsecond\n"));
    EXPECT_EQ(shown.out.section(QStringLiteral("\n\n"), 1).count(u'\n'),
              hvcctl(unit({"read-all"})).out.count(u'\n'));
    const Outcome diff = hvcctl(unit({"diff", path("unit.txt")}));
    EXPECT_EQ(diff.code, cli::Ok) << diff.out.toStdString() << diff.err.toStdString();
    EXPECT_EQ(diff.out, QString());
}

TEST_F(CliFileUnit, WriteAllVerifiesAndBadFilesChangeNothing) {
    ASSERT_EQ(hvcctl(unit({"read-all", "-o", path("before.txt")})).code, cli::Ok);
    QByteArray edited = readBytes(path("before.txt"));
    ASSERT_TRUE(edited.contains("\t0300.00\t00350\r"));
    edited.replace("\t0300.00\t00350\r", "\t0300.00\t00420\r");
    ASSERT_TRUE(writeBytes(path("edited.txt"), edited));

    const Outcome write = hvcctl(unit({"write-all", path("edited.txt")}));
    ASSERT_EQ(write.code, cli::Ok) << write.out.toStdString() << write.err.toStdString();
    EXPECT_EQ(write.out, QString());
    EXPECT_TRUE(write.err.contains(" values of the file not written: ")) << write.err.toStdString();
    EXPECT_EQ(hvcctl(unit({"diff", path("edited.txt")})).code, cli::Ok);
    const Outcome changed = hvcctl(unit({"diff", path("before.txt")}));
    EXPECT_EQ(changed.code, cli::Failed);
    EXPECT_EQ(changed.out, "I Min 1A\t0300.00\t350\t420\t350 mA\t420 mA\n");

    // A garbled file: exit 2, and the unit keeps what it had.
    const QByteArray good = readBytes(path("before.txt"));
    QByteArray garbled = good;
    garbled.replace("\t0302.00\t", "\t03Z2.00\t");
    ASSERT_TRUE(writeBytes(path("garbled.txt"), garbled));
    EXPECT_EQ(hvcctl(unit({"write-all", path("garbled.txt")})).code, cli::Usage);
    EXPECT_EQ(hvcctl(unit({"diff", path("garbled.txt")})).code, cli::Usage);
    EXPECT_EQ(hvcctl(unit({"diff", path("edited.txt")})).code, cli::Ok);
}

namespace {
// The file with the value of one address replaced (the value text as a save writes it).
QByteArray withValue(QByteArray file, const char* address, const char* value) {
    const qsizetype at = file.indexOf(QByteArray("\t") + address + "\t");
    if (at < 0)
        return {};
    const qsizetype start = at + qsizetype(qstrlen(address)) + 2;
    const qsizetype end = file.indexOf('\r', start);
    return file.replace(start, end - start, value);
}
} // namespace

TEST_F(CliFileUnit, ValuesTheUnitMustNotGetAreRefusedBeforeAnythingIsSent) {
    ASSERT_EQ(hvcctl(unit({"read-all", "-o", path("before.txt")})).code, cli::Ok);
    const QByteArray good = readBytes(path("before.txt"));
    struct Case {
        const char* address;
        const char* value;
        const char* reason;
    };
    const Case cases[] = {
        {"0302.00", "02000", "I Max 1A = 2000 (allowed 0..1500)"},
        {"0200.00", "00009", "Prop. Sections = 9 (allowed 1..4)"},
        {"0302.00", "70000", "I Max 1A = 70000 (does not fit a unit word, -32768..65535)"},
    };
    for (const Case& c : cases) {
        const QByteArray bad = withValue(good, c.address, c.value);
        ASSERT_FALSE(bad.isEmpty()) << c.address;
        ASSERT_TRUE(writeBytes(path("bad.txt"), bad));
        const Outcome r = hvcctl(unit({"write-all", path("bad.txt")}));
        EXPECT_EQ(r.code, cli::Usage) << c.value;
        EXPECT_TRUE(r.err.contains(QStringLiteral("\n  ") + c.reason + u'\n'))
            << r.err.toStdString();
        if (QByteArray(c.reason).contains("does not fit")) {
            // Not even --force sends a value that would reach the unit cut to 16 bits.
            EXPECT_EQ(hvcctl(unit({"write-all", path("bad.txt"), "--force"})).code, cli::Usage);
        }
    }
    // The unit still holds every value of before.txt.
    const Outcome same = hvcctl(unit({"diff", path("before.txt")}));
    EXPECT_EQ(same.code, cli::Ok) << same.out.toStdString();

    // --force writes a value outside the limits that a word carries, and it verifies.
    ASSERT_TRUE(writeBytes(path("forced.txt"), withValue(good, "0302.00", "02000")));
    const Outcome forced = hvcctl(unit({"write-all", path("forced.txt"), "--force"}));
    EXPECT_EQ(forced.code, cli::Ok) << forced.err.toStdString();
    EXPECT_EQ(hvcctl(unit({"diff", path("forced.txt")})).code, cli::Ok);
}

// A file cut at a line boundary loads; the variables it lacks must keep what the
// unit holds rather than take the map's defaults.
TEST_F(CliFileUnit, AFileThatLacksVariablesKeepsTheUnitsValuesForThem) {
    ASSERT_EQ(hvcctl(unit({"read-all", "-o", path("full.txt")})).code, cli::Ok);
    ASSERT_EQ(hvcctl(unit({"set", "HVC_SP_3_MACRO", "3"})).code, cli::Ok);
    QByteArray full = withValue(readBytes(path("full.txt")), "0300.00", "00420");
    const qsizetype cut = full.indexOf("\t0600.00\t"); // the CAN joystick words onwards
    ASSERT_GT(cut, 0);
    const QByteArray lacking = full.left(full.lastIndexOf('\r', cut) + 1) + "\r\n";
    ASSERT_TRUE(writeBytes(path("short.txt"), lacking));

    const Outcome write = hvcctl(unit({"write-all", path("short.txt")}));
    ASSERT_EQ(write.code, cli::Ok) << write.err.toStdString();
    const Outcome macro = hvcctl(unit({"get", "HVC_SP_3_MACRO"}));
    EXPECT_TRUE(macro.out.contains("\t0906.00\t3\t"))
        << "kept, not the default 5: " << macro.out.toStdString();
    EXPECT_TRUE(hvcctl(unit({"get", "HVC_I0_MIN"})).out.contains("\t0300.00\t420\t"));
}

TEST_F(CliFileUnit, AWriteTheUnitDidNotTakeFails) {
    ASSERT_EQ(hvcctl(unit({"read-all", "-o", path("image.txt")})).code, cli::Ok);
    ASSERT_TRUE(writeBytes(path("edited.txt"),
                           withValue(withValue(readBytes(path("image.txt")), "0300.00", "00420"),
                                     "0502.00", "00150")));
    // A unit that ignores one write and alters another: the read-back tells.
    for (const QStringList& fault : {QStringList{"--ignore-write", "0300.00"},
                                     QStringList{"--alter-write", "Dither Frequency=5"}}) {
        SimProcess odd;
        const QString oddPort =
            odd.start(QStringList{"--ramlist", kMap, "--eeprom", path("odd.txt")} + fault);
        ASSERT_FALSE(oddPort.isEmpty()) << odd.errorString().toStdString();
        const Outcome r =
            hvcctl({"write-all", path("edited.txt"), "--port", oddPort, "--ramlist", kMap});
        EXPECT_EQ(r.code, cli::Failed) << fault.join(' ').toStdString() << r.err.toStdString();
    }

    // A unit that falls silent midway: after the first of the two blocks written
    // (connecting takes two exchanges, reading the unit's image two).
    SimProcess mute;
    const QString port =
        mute.start({QStringLiteral("--ramlist"), kMap, QStringLiteral("--eeprom"), path("mute.txt"),
                    QStringLiteral("--mute-after"), QStringLiteral("5")});
    ASSERT_FALSE(port.isEmpty()) << mute.errorString().toStdString();
    const Outcome r = hvcctl({"write-all", path("image.txt"), "--port", port, "--ramlist", kMap,
                              "--timeout", "150", "--logbook", path("book.sqlite")});
    EXPECT_EQ(r.code, cli::Failed);
    EXPECT_TRUE(r.err.contains("the unit now holds a mix of old and new values"))
        << r.err.toStdString();
    // The logbook says how far it got and keeps the words the unit took.
    const QString last = hvcctl({"log", "list", "--logbook", path("book.sqlite")}).out;
    EXPECT_TRUE(last.startsWith("1\twrite-all\t")) << last.toStdString();
    EXPECT_TRUE(last.section(u'\n', 0, 0)
                    .contains(QRegularExpression("\tfailed after (\\d+) of "
                                                 "\\d+ words: .*time-out")))
        << last.toStdString();
}

TEST_F(CliFileUnit, DryRunPrintsTheReviewAndOnlyWritesJustTheNamedVariables) {
    ASSERT_EQ(hvcctl(unit({"read-all", "-o", path("before.txt")})).code, cli::Ok);
    const QByteArray edited =
        withValue(withValue(readBytes(path("before.txt")), "0300.00", "00420"), "0302.00", "00900");
    ASSERT_TRUE(writeBytes(path("edited.txt"), edited));
    const QString header = QStringLiteral("Variable\tAddress\tUnit word\tNew word\tUnit value\tNew "
                                          "value\n");

    const Outcome dry = hvcctl(unit({"write-all", path("edited.txt"), "--dry-run"}));
    EXPECT_EQ(dry.code, cli::Ok) << dry.err.toStdString();
    EXPECT_EQ(dry.out, header + "I Min 1A\t0300.00\t350\t420\t350 mA\t420 mA\n"
                                "I Max 1A\t0302.00\t850\t900\t850 mA\t900 mA\n");
    EXPECT_EQ(hvcctl(unit({"diff", path("before.txt")})).code, cli::Ok) << "a dry run wrote";
    const Outcome dryOne =
        hvcctl(unit({"write-all", path("edited.txt"), "--dry-run", "--only", "HVC_I0_MAX"}));
    EXPECT_EQ(dryOne.out, header + "I Max 1A\t0302.00\t850\t900\t850 mA\t900 mA\n");

    // Names that are no parameter refuse the run before anything is sent.
    const Outcome refused =
        hvcctl(unit({"write-all", path("edited.txt"), "--only", "Program Version"}));
    EXPECT_EQ(refused.code, cli::Usage);
    EXPECT_EQ(hvcctl(unit({"diff", path("before.txt")})).code, cli::Ok);

    // Only I Max 1A goes; a named variable the unit already holds is said and skipped.
    const Outcome one =
        hvcctl(unit({"write-all", path("edited.txt"), "--only", "I Max 1A,Dither Frequency"}));
    EXPECT_EQ(one.code, cli::Ok) << one.err.toStdString();
    EXPECT_TRUE(one.err.contains(QStringLiteral("Dither Frequency: the unit already holds")))
        << one.err.toStdString();
    EXPECT_TRUE(
        one.err.contains(QStringLiteral("1 variables written (chosen with --only), 0 differ "
                                        "when read back; 1 other differing")))
        << one.err.toStdString();
    const Outcome left = hvcctl(unit({"diff", path("edited.txt")}));
    EXPECT_EQ(left.out, "I Min 1A\t0300.00\t420\t350\t420 mA\t350 mA\n");

    // A name the file lacks is refused as such; a row of a section the unit lacks is
    // refused by the dry run as by the run.
    QByteArray lacking = edited;
    const qsizetype line = lacking.lastIndexOf('\r', lacking.indexOf("\t0312.00\t")) + 1;
    lacking.remove(line, lacking.indexOf('\r', line) - line + 1);
    ASSERT_TRUE(writeBytes(path("lacking.txt"), lacking));
    const Outcome absent = hvcctl(unit({"write-all", path("lacking.txt"), "--only", "I Max 3A"}));
    EXPECT_EQ(absent.code, cli::Usage);
    EXPECT_TRUE(absent.err.contains("'I Max 3A' is not in the file")) << absent.err.toStdString();
    ASSERT_TRUE(writeBytes(path("third.txt"), withValue(edited, "0312.00", "00900")));
    ASSERT_EQ(hvcctl(unit({"set", "HVC_NUM_PROP_REG", "2"})).code, cli::Ok);
    for (const char* run : {"--dry-run", "--verbose"}) {
        const Outcome r = hvcctl(unit({"write-all", path("third.txt"), "--only", "I Max 3A", run}));
        EXPECT_TRUE(r.err.contains("I Max 3A: not written, its section is not configured"))
            << r.err.toStdString();
        EXPECT_FALSE(r.out.contains("I Max 3A")) << r.out.toStdString();
    }
}

// A version the logbook keeps comes back on the unit, through the review and the
// read-back; a version of another unit, or one with no image, is never written.
TEST_F(CliFileUnit, RestoreBringsBackAVersionOfThisUnitOnly) {
    const QString logbook = path("logbook.sqlite");
    const auto unit = [&](QStringList args) {
        return this->unit(args << QStringLiteral("--logbook") << logbook);
    };
    ASSERT_EQ(hvcctl(unit({"read-all"})).code, cli::Ok);
    ASSERT_EQ(hvcctl(unit({"set", "I Max 1A", "910"})).code, cli::Ok);
    const Outcome dry = hvcctl(unit({"restore", "1", "--dry-run"}));
    EXPECT_EQ(dry.code, cli::Ok) << dry.err.toStdString();
    EXPECT_TRUE(dry.out.contains("I Max 1A\t0302.00\t910\t850\t910 mA\t850 mA\n"))
        << dry.out.toStdString();
    EXPECT_TRUE(hvcctl(unit({"get", "I Max 1A"})).out.startsWith("I Max 1A\t0302.00\t910\t"));

    const Outcome restored = hvcctl(unit({"restore", "1"}));
    EXPECT_EQ(restored.code, cli::Ok) << restored.err.toStdString();
    EXPECT_TRUE(restored.err.contains("1 variables written from entry 1, 0 differ"));
    EXPECT_TRUE(hvcctl(unit({"get", "I Max 1A"})).out.startsWith("I Max 1A\t0302.00\t850\t"));
    const Outcome shown = hvcctl({"log", "show", "3", "--logbook", logbook});
    EXPECT_TRUE(shown.out.startsWith("entry 3: restore, ok\n")) << shown.out.toStdString();
    EXPECT_TRUE(shown.out.contains("I Max 1A\t0302.00\t910 (910 mA) -> 850 (850 mA) -> 850"));
    // The version of the set (entry 2) is the read image with 910 laid over it.
    EXPECT_TRUE(hvcctl(unit({"restore", "2", "--dry-run"})).out.contains("\t850\t910\t"));

    // Entries of another unit, and of a unit never read whole.
    Logbook book;
    ASSERT_TRUE(book.open(logbook).ok());
    LogEntry other;
    other.kind = QStringLiteral("read-all");
    other.outcome = QStringLiteral("ok");
    other.unit = {
        true, QStringLiteral("VCU 4W"), QStringLiteral("777"), QStringLiteral("v001.04"), {}};
    other.time = QDateTime::currentDateTimeUtc();
    other.words = {{QStringLiteral("I Max 1A"), 0x30200, {}, {}, 700}};
    ASSERT_TRUE(book.add(other).ok());
    LogEntry lone = other;
    lone.kind = QStringLiteral("set");
    lone.unit.serial = QStringLiteral("778");
    ASSERT_TRUE(book.add(lone).ok());
    const Outcome foreign = hvcctl(unit({"restore", QString::number(other.id)}));
    EXPECT_EQ(foreign.code, cli::Usage);
    EXPECT_TRUE(foreign.err.contains("is of VCU 4W serial 777 firmware v001.04, the unit on"))
        << foreign.err.toStdString();
    const Outcome noImage = hvcctl(unit({"restore", QString::number(lone.id)}));
    EXPECT_EQ(noImage.code, cli::Usage);
    EXPECT_TRUE(noImage.err.contains("no whole image of the unit was read at or before it"));
    EXPECT_EQ(hvcctl(unit({"restore", "99"})).code, cli::Failed);
    EXPECT_TRUE(hvcctl(unit({"get", "I Max 1A"})).out.startsWith("I Max 1A\t0302.00\t850\t"));
    // After a Reset the unit holds its defaults: no version is known until it is read again.
    ASSERT_EQ(hvcctl(unit({"defaults"})).code, cli::Ok);
    const Outcome reset = hvcctl(unit({"restore", QString::number(lone.id + 1), "--force"}));
    EXPECT_EQ(reset.code, cli::Usage);
    EXPECT_TRUE(reset.err.contains("was reset to its defaults at or before it"))
        << reset.err.toStdString();
}
