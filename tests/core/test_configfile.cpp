#include "core/appstate.h"
#include "core/configfile.h"
#include "core/infoblock.h"
#include "core/prompter.h"
#include "core/unitcommands.h"
#include "support/filebytes.h"
#include "support/localeguard.h"
#include "support/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

using namespace hvc;
using namespace hvc::testutil;
using hvc::test::dataPath;
using hvc::test::sourcePath;

namespace {

const QByteArray kSep = ";-------------------------------------------";

// A fresh program state on the small test map (values at their defaults).
struct Fixture {
    AppState state;
    ScriptedPrompter prompter;
    Fixture() {
        state.setPrompter(&prompter);
        EXPECT_TRUE(state.catalogue.LoadCatalogue(dataPath("cfg_map.ini"), prompter));
    }
    CVarData& byName(const char* name) {
        const int i = state.catalogue.FindByName(QLatin1String(name));
        EXPECT_GT(i, 0) << name;
        return state.catalogue[i];
    }
};

struct Values {
    std::int32_t inEcu, value, display;
    bool operator==(const Values&) const = default;
};

std::vector<Values> snapshot(const AppState& state) {
    std::vector<Values> out;
    for (int i = 1; i <= state.catalogue.VarCount(); ++i) {
        const CVarData& r = state.catalogue[i];
        out.push_back({r.E2InECU, r.E2Value, r.E2Display});
    }
    return out;
}

InfoFields sampleInfo() {
    InfoFields f;
    f.author = QStringLiteral("Zo\u00eb, QA");
    f.date = QStringLiteral("2026-12-06");
    f.revision = QStringLiteral("B");
    f.company = QStringLiteral("Acme");
    f.comments = QStringLiteral("first\r\nsecond");
    return f;
}

} // namespace

TEST(ConfigFile, WritesTheByteLayout) {
    Fixture fx;
    fx.state.info = sampleInfo();
    fx.byName("Valve Code").E2Value = 123456;
    const QByteArray expected = kSep +
                                "\r"
                                "Author:\tZo\xeb, QA\t\r"
                                "Date:\t2026-12-06\t\r"
                                "Revision:\tB\t\r"
                                "Company:\tAcme\t\r"
                                "Additional Comments:\t\r"
                                "\tfirst\r\n\tsecond\r" +
                                kSep +
                                "\r"
                                "Variable Name\tAddress\tValue\r"
                                "Program version\t0100.00\t00104\r"
                                "Number of proportional sections\t0200.00\t00002\r"
                                "Zero offset\t0220.00\t-00005\r"
                                "Solenoid 1A minimum current\t0300.00\t00300\r"
                                "Solenoid 2A minimum current\t0308.00\t00310\r"
                                "Solenoid 1A ramp rise time\t0400.00\t00050\r"
                                "Rise time alias\t0400.00\t00007\r"
                                "Valve code\t12AB.05\t123456\r"
                                "Sub word\t01A2.03\t00001\r"
                                "\r\n";
    EXPECT_EQ(BuildConfigFile(fx.state), expected);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("MySettings.txt"));
    ASSERT_TRUE(SaveConfigFile(fx.state, path).ok());
    EXPECT_EQ(readBytes(path), expected);

    // The section count as edited, not yet written to the unit, sets the limit.
    fx.byName("Prop. Sections").E2Value = 3;
    EXPECT_TRUE(
        BuildConfigFile(fx.state).contains("Solenoid 3A minimum current\t0310.00\t00320\r"));
}

TEST(ConfigFile, EmptySelectionLoadsAsNoChange) {
    Fixture fx;
    // No page key selects anything: the information block and the column line only.
    for (auto& p : fx.state.pages)
        p.ReadKey = 0;
    const QByteArray empty = BuildConfigFile(fx.state);
    EXPECT_EQ(empty, kSep +
                         "\rAuthor:\t\t\rDate:\t\t\rRevision:\t\t\rCompany:\t\t\r"
                         "Additional Comments:\t\r\t\r" +
                         kSep + "\rVariable Name\tAddress\tValue\r\r\n");

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("empty.txt"));
    ASSERT_TRUE(writeBytes(path, empty));
    Fixture other;
    other.state.info = sampleInfo();
    const auto before = snapshot(other.state);
    ASSERT_TRUE(LoadConfigFile(other.state, path, QStringLiteral("empty.txt")).ok());
    EXPECT_EQ(snapshot(other.state), before);
    InfoFields blank;
    blank.fileName = QStringLiteral("empty.txt");
    EXPECT_EQ(other.state.info, blank);
}

TEST(ConfigFile, RoundTripGivesBackValuesAndFields) {
    LocaleGuard german(QLocale::German, QLocale::Germany); // "," as decimal separator
    Fixture fx;
    fx.byName("Prop. Sections").LoadFromFile(3);
    fx.byName("Zero Offset").LoadFromFile(-77);
    fx.byName("I Min 3A").LoadFromFile(1234);
    // Two records at one address are one word of the unit: they hold the same value,
    // and the file's lines for that address load into the first of them.
    fx.byName("T Rise 1A").HVCSetVar(70, fx.state.document);
    ASSERT_EQ(fx.byName("T Rise 1A alias").E2Value, 7);
    fx.byName("Valve Code").LoadFromFile(65535);

    const std::vector<InfoFields> cases = [] {
        std::vector<InfoFields> v;
        v.push_back(sampleInfo());
        v.push_back({});
        InfoFields odd;
        odd.author = QStringLiteral("tab\there");
        odd.date = QStringLiteral("line\r\nbreak and lone\nLF");
        odd.revision = QStringLiteral("=?looks escaped %41");
        odd.company = kSep + QStringLiteral(" in a field");
        odd.comments =
            QStringLiteral("  indented\r\n\tafter a tab\r\n\"quoted\"\r\n\r\n") + kSep +
            QStringLiteral("\r\n100% sure; \u20ac and \U0001F600\r\nlast, with\ttab\r\n");
        v.push_back(odd);
        InfoFields trailing;
        trailing.comments = QStringLiteral("ends with a break\r\n");
        v.push_back(trailing);
        return v;
    }();

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("round.txt"));
    for (const InfoFields& info : cases) {
        fx.state.info = info;
        ASSERT_TRUE(SaveConfigFile(fx.state, path).ok());
        Fixture other;
        ASSERT_TRUE(LoadConfigFile(other.state, path, QStringLiteral("round.txt")).ok());
        InfoFields expected = info;
        expected.fileName = QStringLiteral("round.txt");
        EXPECT_EQ(other.state.info, expected) << info.comments.toStdString();
        for (const char* name : {"Prop. Sections", "Zero Offset", "I Min 3A", "T Rise 1A",
                                 "T Rise 1A alias", "Valve Code"}) {
            const CVarData& a = fx.byName(name);
            const CVarData& b = other.byName(name);
            EXPECT_EQ(b.E2Value, a.E2Value) << name;
            EXPECT_EQ(b.E2InECU, a.E2Value) << name;
            EXPECT_EQ(b.E2Display, a.E2Display) << name;
        }
        // Saving the loaded state writes the same file again.
        EXPECT_EQ(BuildConfigFile(other.state), readBytes(path));
    }
}

TEST(ConfigFile, LoadsFilesOfTheOriginalProgramAndHandWrittenOnes) {
    // Lone CR with CR LF inside the comments; CR LF and LF only with blanks, quotes,
    // an empty and a "---" line.
    for (const char* name :
         {"cfg_original.txt", "cfg_handwritten_crlf.txt", "cfg_handwritten_lf.txt"}) {
        SCOPED_TRACE(name);
        Fixture fx;
        ASSERT_TRUE(LoadConfigFile(fx.state, dataPath(name), QLatin1String(name)).ok());
        EXPECT_EQ(fx.state.info.author, QStringLiteral("Mario Rossi"));
        EXPECT_EQ(fx.state.info.date, QStringLiteral("12/03/2009"));
        EXPECT_EQ(fx.state.info.revision, QStringLiteral("2"));
        EXPECT_EQ(fx.state.info.company, QStringLiteral("Oleodinamica Srl"));
        EXPECT_EQ(fx.state.info.comments, QStringLiteral("first\r\nsecond, with a comma"));
        EXPECT_EQ(fx.state.info.fileName, QLatin1String(name));
        EXPECT_EQ(fx.byName("Zero Offset").E2Value, -12);
        EXPECT_EQ(fx.byName("I Min 1A").E2InECU, 350);
        EXPECT_EQ(fx.byName("Valve Code").E2Value, 40000);
        EXPECT_EQ(fx.byName("Sub Word").E2Value, 9);
        EXPECT_EQ(fx.byName("I Min 2A").E2Value, 360);
        // Matched by address alone: the first of the two records at 0400.00 takes the value.
        EXPECT_EQ(fx.byName("T Rise 1A").E2Value, 80);
        EXPECT_EQ(fx.byName("T Rise 1A").E2Display, 800);
        EXPECT_EQ(fx.byName("T Rise 1A alias").E2Value, 7);
        // Variables the file does not mention keep their values.
        EXPECT_EQ(fx.byName("I Min 3A").E2Value, 320);
    }
}

TEST(ConfigFile, ValueReadAsANumberPrefix) {
    const QByteArray head = kSep + "\r" + kSep + "\rVariable Name\tAddress\tValue\r";
    struct Case {
        const char* text;
        std::int32_t value;
    } cases[] = {{"00300 mA", 300}, {" -00012", -12}, {"+7", 7},
                 {"12.5", 12},      {"12.6", 13},     {".9", 1}};
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("v.txt"));
    for (const Case& c : cases) {
        ASSERT_TRUE(writeBytes(path, head + "x\t0300.00\t" + c.text + "\r\r\n"));
        Fixture fx;
        ASSERT_TRUE(LoadConfigFile(fx.state, path, {}).ok()) << c.text;
        EXPECT_EQ(fx.byName("I Min 1A").E2Value, c.value) << c.text;
    }
}

TEST(ConfigFile, BadFileChangesNothing) {
    const QByteArray good = readBytes(dataPath("cfg_original.txt"));
    ASSERT_FALSE(good.isEmpty());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.txt"));

    auto expectUntouched = [&](const QByteArray& bytes, const char* what) {
        ASSERT_TRUE(writeBytes(path, bytes));
        Fixture fx;
        fx.state.info = sampleInfo();
        const auto before = snapshot(fx.state);
        EXPECT_FALSE(LoadConfigFile(fx.state, path, QStringLiteral("bad.txt")).ok()) << what;
        EXPECT_EQ(snapshot(fx.state), before) << what;
        EXPECT_EQ(fx.state.info, sampleInfo()) << what;
    };
    // The fault sits after lines that would load: none of them may be applied.
    QByteArray unknown = good;
    unknown.replace("Valve code\t12AB.05", "Valve code\t7777.00");
    expectUntouched(unknown, "address no variable has");
    QByteArray notHex = good;
    notHex.replace("01A2.03", "01G2.03");
    expectUntouched(notHex, "address not hexadecimal");
    QByteArray noValue = good;
    noValue.replace("\t00009\r", "\tnone\r");
    expectUntouched(noValue, "value not a number");
    QByteArray commaName = good;
    commaName.replace("Sub word\t", "Sub word, \"A\"\t01A2.03\r\t");
    expectUntouched(commaName, "a line broken in two");
    expectUntouched(good.mid(1), "no opening separator");
    expectUntouched(QByteArray("plain text\r\nnot a configuration\r\n"),
                    "not a configuration file");
    expectUntouched(QByteArray(), "empty file");
    QByteArray noColumns = good;
    noColumns.replace("Variable Name\tAddress\tValue\r", "");
    expectUntouched(noColumns, "column line missing (first data line would be dropped)");

    Fixture fx;
    const auto before = snapshot(fx.state);
    EXPECT_FALSE(LoadConfigFile(fx.state, dir.filePath(QStringLiteral("missing.txt")), {}).ok());
    EXPECT_EQ(snapshot(fx.state), before);
}

TEST(ConfigFile, TruncatedFileLoadsWhollyOrNotAtAll) {
    const QByteArray good = readBytes(dataPath("cfg_original.txt"));
    Fixture reference;
    ASSERT_TRUE(LoadConfigFile(reference.state, dataPath("cfg_original.txt"), {}).ok());
    const auto full = snapshot(reference.state);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cut.txt"));
    int loaded = 0;
    for (qsizetype cut = 0; cut < good.size(); ++cut) {
        ASSERT_TRUE(writeBytes(path, good.left(cut)));
        Fixture fx;
        const auto before = snapshot(fx.state);
        if (!LoadConfigFile(fx.state, path, {}).ok()) {
            ASSERT_EQ(snapshot(fx.state), before) << "cut at " << cut;
            continue;
        }
        // A cut that falls on a line end leaves a shorter, complete file.
        const char last = good.at(cut - 1);
        ASSERT_TRUE(last == '\r' || last == '\n') << "cut at " << cut;
        ++loaded;
        const auto after = snapshot(fx.state);
        for (size_t i = 0; i < after.size(); ++i)
            ASSERT_TRUE(after[i] == before[i] || after[i] == full[i]) << "cut at " << cut;
    }
    EXPECT_GT(loaded, 0);
}

TEST(ConfigFileSave, ReplacesOnlyACompleteFile) {
    Fixture fx;
    fx.state.info = sampleInfo();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("MySettings.txt"));
    const QByteArray old = "previous configuration\r\n";
    ASSERT_TRUE(writeBytes(path, old));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadGroup));

    // A write that fails midway: the file-size limit stops it after 64 bytes.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const Status status = SaveConfigFile(fx.state, path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(status.ok());
    EXPECT_EQ(status.text(), QString::fromLatin1(kConfigNotSaved));
    EXPECT_EQ(readBytes(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("MySettings.txt")});

    // A folder that does not exist, and a target that is a folder.
    EXPECT_FALSE(SaveConfigFile(fx.state, dir.filePath(QStringLiteral("no/such/dir/x.txt"))).ok());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.txt")));
    EXPECT_FALSE(SaveConfigFile(fx.state, dir.filePath(QStringLiteral("folder.txt"))).ok());
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("folder.txt"))).isDir());

    // A save that succeeds replaces the file whole and keeps its permissions.
    ASSERT_TRUE(SaveConfigFile(fx.state, path).ok());
    EXPECT_EQ(readBytes(path), BuildConfigFile(fx.state));
    EXPECT_EQ(QFile::permissions(path) & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
              QFileDevice::ReadGroup);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("MySettings.txt")});
}

// A save replaces its target by a new file; anything but a regular file there
// (a FIFO a script reads, a device node) must survive it untouched.
TEST(ConfigFileSave, RefusesTargetsThatAreNoRegularFile) {
    Fixture fx;
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& target : {fifo, QStringLiteral("/dev/null")}) {
        const Status status = SaveConfigFile(fx.state, target);
        EXPECT_FALSE(status.ok());
        EXPECT_EQ(status.text(), QString::fromLatin1(kConfigNotSaved));
        EXPECT_EQ(status.detail(), QStringLiteral("'%1' is not a regular file").arg(target));
    }
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    ASSERT_EQ(::stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    EXPECT_EQ(QDir(dir.path())
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("pipe")});
    // A new path and a regular file are fine.
    EXPECT_TRUE(SaveConfigFile(fx.state, dir.filePath(QStringLiteral("new.txt"))).ok());
    EXPECT_TRUE(SaveConfigFile(fx.state, dir.filePath(QStringLiteral("new.txt"))).ok());
}

TEST(ConfigFile, ShippedExampleFitsTheShippedMap) {
    // res/txt/Example.txt is the parameter image of a unit at the map's defaults.
    ScriptedPrompter prompter;
    AppState state;
    state.setPrompter(&prompter);
    ASSERT_TRUE(state.catalogue.LoadCatalogue(sourcePath("res/ini/Ramlist.ini"), prompter));
    ConfigFileData data;
    ASSERT_TRUE(ReadConfigFile(sourcePath("res/txt/Example.txt"), state.catalogue, data).ok());
    EXPECT_GT(data.entries.size(), 50);
    for (const ConfigEntry& e : data.entries)
        EXPECT_EQ(e.value, state.catalogue[e.position].DefaultValue)
            << state.catalogue[e.position].Name.toStdString();
    ApplyConfigFile(state, data, QStringLiteral("Example.txt"));
    EXPECT_EQ(BuildConfigFile(state), readBytes(sourcePath("res/txt/Example.txt")));
}

TEST(ConfigFileLoadCommand, ValuesTheUnitMustNotGetAreRefusedWithNothingChanged) {
    AppState state;
    ScriptedPrompter prompter;
    state.setPrompter(&prompter);
    ASSERT_TRUE(state.catalogue.LoadCatalogue(sourcePath("res/ini/Ramlist.ini"), prompter));
    CommandView view;
    UnitCommands commands(state, view);
    const QByteArray example = readBytes(sourcePath("res/txt/Example.txt"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("unit.txt"));
    auto withIMax = [&](const char* value) {
        QByteArray bytes = example;
        bytes.replace("maximum current\t0302.00\t00850",
                      QByteArray("maximum current\t0302.00\t") + value);
        EXPECT_NE(bytes, example);
        EXPECT_TRUE(writeBytes(path, bytes));
    };
    CVarData& iMax = *state.catalogue.Find(HvcId::HVC_I0_MAX);

    withIMax("02000"); // the map allows 0..1500
    const auto before = snapshot(state);
    EXPECT_FALSE(commands.loadFile(path));
    EXPECT_EQ(snapshot(state), before);
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_EQ(prompter.messages[0].text, QString::fromLatin1(kErrorLoadingFile));
    EXPECT_TRUE(prompter.messages[0].detail.contains(QStringLiteral("2000")))
        << prompter.messages[0].detail.toStdString();
    EXPECT_EQ(state.document.fileState(), FileState::None);

    state.LoggedIn = true; // service staff may load it
    EXPECT_TRUE(commands.loadFile(path));
    EXPECT_EQ(iMax.E2Value, 2000);

    withIMax("70000"); // no unit word carries it, logged in or not
    EXPECT_FALSE(commands.loadFile(path));
    EXPECT_EQ(iMax.E2Value, 2000);
}
