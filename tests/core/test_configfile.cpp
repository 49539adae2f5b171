#include "core/appstate.h"
#include "core/configfile.h"
#include "core/imagecheck.h"
#include "core/infoblock.h"
#include "core/prompter.h"
#include "core/transfer.h"
#include "core/unitcommands.h"
#include "support/filebytes.h"
#include "support/localeguard.h"
#include "support/paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <vector>

using namespace hvc;
using namespace hvc::testutil;
using hvc::test::dataPath;
using hvc::test::sourcePath;

namespace {

const QByteArray kSep = ";-------------------------------------------";

// A fresh program state on the small test map (values at their defaults).
struct Fixture {
    QTemporaryDir dir;
    AppState state;
    ScriptedPrompter prompter;
    Fixture() {
        state.observers.setPrompter(&prompter);
        EXPECT_TRUE(state.document.catalogue.loadCatalogue(dataPath("cfg_map.ini"), prompter));
    }
    // Loads these bytes as a file of that name.
    Status load(const QByteArray& bytes, const char* name = "x.txt") {
        const QString path = dir.filePath(QLatin1String(name));
        EXPECT_TRUE(writeBytes(path, bytes));
        return loadConfigFile(state, path, QLatin1String(name));
    }
    UnitVariable& byName(const char* name) {
        const int i = state.document.catalogue.findByName(QLatin1String(name));
        EXPECT_GT(i, 0) << name;
        return state.document.catalogue[i];
    }
    int at(const char* name) const {
        return state.document.catalogue.findByName(QLatin1String(name));
    }
};

using Values = std::array<std::int32_t, 3>; // unit word, edited value, display value

std::vector<Values> snapshot(const AppState& state) {
    std::vector<Values> out;
    for (int i = 1; i <= state.document.catalogue.varCount(); ++i)
        out.push_back(Values{state.document.catalogue[i].unitWord,
                             state.document.catalogue[i].workingWord,
                             state.document.catalogue[i].shownValue});
    return out;
}

InfoFields sampleInfo() {
    return {QStringLiteral("Zo\u00eb, QA"), QStringLiteral("2026-12-06"),      QStringLiteral("B"),
            QStringLiteral("Acme"),         QStringLiteral("first\r\nsecond"), {}};
}

} // namespace

TEST(ConfigFile, WritesTheByteLayout) {
    Fixture fx;
    fx.state.document.info = sampleInfo();
    fx.byName("Valve Code").workingWord = 123456;
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
    EXPECT_EQ(buildConfigFile(fx.state), expected);

    const QString path = fx.dir.filePath(QStringLiteral("MySettings.txt"));
    ASSERT_TRUE(saveConfigFile(fx.state, path).ok());
    EXPECT_EQ(readBytes(path), expected);

    // The section count as edited, not yet written to the unit, sets the limit.
    fx.byName("Prop. Sections").workingWord = 3;
    EXPECT_TRUE(
        buildConfigFile(fx.state).contains("Solenoid 3A minimum current\t0310.00\t00320\r"));
}

TEST(ConfigFile, ValuesAreNumberPrefixes) {
    const QByteArray head = kSep + "\r" + kSep + "\rVariable Name\tAddress\tValue\r";
    for (const auto& [text, value] :
         {std::pair{"00300 mA", 300}, {" -00012", -12}, {"12.5", 12}, {"12.6", 13}, {".9", 1}}) {
        Fixture one;
        ASSERT_TRUE(one.load(head + "x\t0300.00\t" + text + "\r\r\n").ok()) << text;
        EXPECT_EQ(one.byName("I Min 1A").workingWord, value) << text;
    }
}

TEST(ConfigFile, RoundTripGivesBackValuesAndFields) {
    LocaleGuard german(QLocale::German, QLocale::Germany); // "," as decimal separator
    Fixture fx;
    fx.byName("Prop. Sections").takeFileWord(3);
    fx.byName("Zero Offset").takeFileWord(-77);
    fx.byName("I Min 3A").takeFileWord(1234);
    // Two records at one address are one word of the unit: they hold the same value,
    // and the file's lines for that address load into the first of them.
    fx.byName("T Rise 1A").setShownValue(70, fx.state.document.flags);
    ASSERT_EQ(fx.byName("T Rise 1A alias").workingWord, 7);
    fx.byName("Valve Code").takeFileWord(65535);

    const InfoFields odd{QStringLiteral("tab\there"),
                         QStringLiteral("line\r\nbreak and lone\nLF"),
                         QStringLiteral("=?looks escaped %41"),
                         kSep + QStringLiteral(" in a field"),
                         QStringLiteral("  indented\r\n\tafter a tab\r\n\"quoted\"\r\n\r\n") +
                             kSep + QStringLiteral("\r\n\u20ac and \U0001F600\r\n"),
                         {}};
    const InfoFields trailing{{}, {}, {}, {}, QStringLiteral("ends with a break\r\n"), {}};
    for (const InfoFields& info : {sampleInfo(), InfoFields(), odd, trailing}) {
        fx.state.document.info = info;
        const QByteArray bytes = buildConfigFile(fx.state);
        Fixture other;
        ASSERT_TRUE(other.load(bytes, "round.txt").ok());
        InfoFields expected = info;
        expected.fileName = QStringLiteral("round.txt");
        EXPECT_EQ(other.state.document.info, expected) << info.comments.toStdString();
        for (const char* name : {"Prop. Sections", "Zero Offset", "I Min 3A", "T Rise 1A",
                                 "T Rise 1A alias", "Valve Code"}) {
            const UnitVariable& a = fx.byName(name);
            const UnitVariable& b = other.byName(name);
            EXPECT_EQ((Values{b.workingWord, b.unitWord, b.shownValue}),
                      (Values{a.workingWord, a.workingWord, a.shownValue}))
                << name;
        }
        EXPECT_EQ(buildConfigFile(other.state), bytes) << "saved again, the same file";
    }
}

TEST(ConfigFile, LoadsFilesOfTheOriginalProgramAndHandWrittenOnes) {
    // Lone CR with CR LF inside the comments; CR LF and LF only with blanks, quotes,
    // an empty and a "---" line.
    for (const char* name :
         {"cfg_original.txt", "cfg_handwritten_crlf.txt", "cfg_handwritten_lf.txt"}) {
        Fixture fx;
        ASSERT_TRUE(loadConfigFile(fx.state, dataPath(name), QLatin1String(name)).ok()) << name;
        const InfoFields& i = fx.state.document.info;
        EXPECT_EQ((QStringList{i.author, i.date, i.revision, i.company, i.comments, i.fileName}),
                  (QStringList{"Mario Rossi", "12/03/2009", "2", "Oleodinamica Srl",
                               "first\r\nsecond, with a comma", name}));
        // Matched by address alone: the first of the two records at 0400.00 takes
        // the value; variables the file does not mention keep theirs.
        std::vector<std::int32_t> values;
        for (const char* v : {"Zero Offset", "I Min 2A", "Valve Code", "Sub Word", "T Rise 1A",
                              "T Rise 1A alias", "I Min 3A"})
            values.push_back(fx.byName(v).workingWord);
        values.push_back(fx.byName("I Min 1A").unitWord);
        values.push_back(fx.byName("T Rise 1A").shownValue);
        EXPECT_EQ(values, (std::vector<std::int32_t>{-12, 360, 40000, 9, 80, 7, 320, 350, 800}))
            << name;
    }
}

TEST(ConfigFile, BadOrTruncatedFileChangesNothing) {
    const QByteArray good = readBytes(dataPath("cfg_original.txt"));
    ASSERT_FALSE(good.isEmpty());
    // The fault sits after lines that would load: none of them may be applied.
    const auto edited = [&good](const char* from, const char* to) {
        return QByteArray(good).replace(from, to);
    };
    const QByteArray bad[] = {
        edited("Valve code\t12AB.05", "Valve code\t7777.00"), // an address no variable has
        edited("01A2.03", "01G2.03"),                         // address not hexadecimal
        edited("\t00009\r", "\tnone\r"),                      // value not a number
        edited("Sub word\t", "Sub word, \"A\"\t01A2.03\r\t"), // a line broken in two
        edited("Variable Name\tAddress\tValue\r", ""),        // the first line would be lost
        good.mid(1),                                          // no opening separator
        "plain text\r\nnot a configuration\r\n",
        QByteArray(),
    };
    Fixture fx;
    EXPECT_FALSE(loadConfigFile(fx.state, dataPath("missing.txt"), {}).ok());
    fx.state.document.info = sampleInfo();
    const auto before = snapshot(fx.state);
    for (const QByteArray& bytes : bad) {
        EXPECT_FALSE(fx.load(bytes, "bad.txt").ok()) << bytes.toStdString();
        EXPECT_EQ(snapshot(fx.state), before);
        EXPECT_EQ(fx.state.document.info, sampleInfo());
    }
}

TEST(ConfigFileSave, ReplacesOnlyACompleteRegularFile) {
    Fixture fx;
    fx.state.document.info = sampleInfo();
    const QString path = fx.dir.filePath(QStringLiteral("MySettings.txt"));
    const QByteArray old = "previous configuration\r\n";
    ASSERT_TRUE(writeBytes(path, old));
    const auto entries = [&fx] { // no temporary file stays behind
        return QDir(fx.dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
            .size();
    };

    // A write that fails midway: the file-size limit stops it after 64 bytes.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const Status status = saveConfigFile(fx.state, path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(status.text(), QString::fromLatin1(kConfigNotSaved));
    EXPECT_EQ(readBytes(path), old);
    EXPECT_EQ(entries(), 1);

    // A save that succeeds replaces the file whole.
    ASSERT_TRUE(saveConfigFile(fx.state, path).ok());
    EXPECT_EQ(readBytes(path), buildConfigFile(fx.state));
    EXPECT_EQ(entries(), 1);
}

TEST(ConfigFile, ShippedExampleFitsTheShippedMap) {
    // res/txt/Example.txt is the parameter image of a unit at the map's defaults.
    Fixture fx;
    AppState& state = fx.state;
    ScriptedPrompter& prompter = fx.prompter;
    ASSERT_TRUE(
        state.document.catalogue.loadCatalogue(sourcePath("res/ini/Ramlist.ini"), prompter));
    ConfigFileData data;
    ASSERT_TRUE(
        readConfigFile(sourcePath("res/txt/Example.txt"), state.document.catalogue, data).ok());
    EXPECT_GT(data.entries.size(), 50);
    for (const ConfigEntry& e : data.entries)
        EXPECT_EQ(e.value, state.document.catalogue[e.position].defaultValue)
            << state.document.catalogue[e.position].name.toStdString();
    applyConfigFile(state, data, QStringLiteral("Example.txt"));
    const QByteArray example = readBytes(sourcePath("res/txt/Example.txt"));
    EXPECT_EQ(buildConfigFile(state), example);

    // The Load command refuses values the unit must not get, with nothing changed;
    // service staff may load a value beyond the map's limits, never one no word carries.
    CommandView view;
    UnitCommands commands(state, view);
    const QString path = fx.dir.filePath(QStringLiteral("unit.txt"));
    QByteArray bytes = example; // the map allows 0..1500
    ASSERT_TRUE(
        writeBytes(path, bytes.replace("current\t0302.00\t00850", "current\t0302.00\t02000")));
    UnitVariable& iMax = *state.document.catalogue.find(HvcId::HVC_I0_MAX);
    const auto before = snapshot(state);
    EXPECT_FALSE(commands.loadFile(path));
    EXPECT_EQ(snapshot(state), before);
    EXPECT_TRUE(prompter.messages.value(0).detail.contains(QStringLiteral("2000")));
    state.session.loggedIn = true;
    EXPECT_TRUE(commands.loadFile(path));
    EXPECT_EQ(iMax.workingWord, 2000);
}

TEST(ConfigImageCheck, ValuesOutsideTheLimitsOrAWordAndMissingVariables) {
    Fixture fx;
    const int sections = fx.at("HVC_NUM_PROP_REG");
    const int iMin = fx.at("HVC_I0_MIN"); // 0..1500
    ConfigFileData data;
    data.entries = {{iMin, 2000}, {sections, 9}, {iMin, 1500}, {fx.at("Zero Offset"), 70000}};
    // The last line of a variable is the one that counts; both limits are allowed.
    EXPECT_EQ(describeValueFaults(fx.state.document.catalogue,
                                  checkFileValues(fx.state.document.catalogue, data)),
              (QStringList{"Prop. Sections = 9 (allowed 1..4)",
                           "Zero Offset = 70000 (does not fit a unit word, -32768..65535)"}));
    const QList<ValueFault> forced = checkFileValues(fx.state.document.catalogue, data, true);
    ASSERT_EQ(forced.size(), 1);
    EXPECT_TRUE(forced[0].overWide);
    EXPECT_TRUE(checkConfigFileValues(fx.state.document.catalogue, data)
                    .detail()
                    .startsWith("2 values the unit must not get: Prop. Sections = 9"));
    data.entries = {{iMin, 0}, {sections, 1}};
    EXPECT_TRUE(checkConfigFileValues(fx.state.document.catalogue, data).ok());

    // A word matches only a value it can carry; the unit reads its words signed.
    EXPECT_TRUE(sameWord(800, 800) && sameWord(40000, 40000 - 65536) && sameWord(-1, 65535));
    EXPECT_FALSE(sameWord(70000, 70000 - 65536)) << "low 16 bits alike, value not carried";
    EXPECT_FALSE(sameWord(-32769, 32767));
    // Missing variables follow the file's sections.
    const std::uint16_t mask = readKeyAll(fx.state);
    ConfigFileData saved;
    ASSERT_TRUE(
        parseConfigFile(buildConfigFile(fx.state), fx.state.document.catalogue, saved).ok());
    EXPECT_TRUE(missingFromFile(fx.state.document.catalogue, saved, mask).isEmpty())
        << "a saved file is complete; a variable behind another with its address is not missing";
    const ConfigEntry last = saved.entries.takeLast();
    const QList<int> missing = missingFromFile(fx.state.document.catalogue, saved, mask);
    EXPECT_EQ(missing, QList<int>{last.position});
    EXPECT_EQ(nameList(fx.state.document.catalogue, missing),
              fx.state.document.catalogue[last.position].name);
}
