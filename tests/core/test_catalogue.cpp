#include "core/appstate.h"
#include "core/prompter.h"
#include "core/stringeval.h"
#include "core/textfile.h"
#include "core/transfer.h"
#include "support/localeguard.h"
#include "support/paths.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace hvc;

namespace {

const QString kHeader =
    QStringLiteral("Name\tAddr\tSub\tId\tSave\tDef\tSec\tMask\tMin\tMax\tUnit\tMon\tF\tIF\n");

struct Loaded {
    Catalogue cat;
    ScriptedPrompter prompter;
    bool ok = false;
};

// The map of these lines, each ended by "\n", after the header.
std::unique_ptr<Loaded> load(const QStringList& lines) {
    auto l = std::make_unique<Loaded>();
    l->ok = l->cat.loadCatalogueText(kHeader + lines.join(u'\n') + u'\n', l->prompter);
    return l;
}

} // namespace

TEST(Catalogue, FieldsOfALine) {
    const struct {
        const char* line;
        std::int32_t address, def, section, mask, min, max;
    } cases[] = {
        // The address is padded to four digits, the sub-code cut to two.
        {"a\t0x1A2\t3", 0x01A203, 0, 0, 0, 0, 0},
        {"b\t1A2B3C\t0x105", 0x2B3C05, 0, 0, 0, 0, 0},
        {"c\t\t", 0, 0, 0, 0, 0, 0},
        // Blanks and signs are allowed and fractions round, but Max takes only
        // the leading digits of a number prefix.
        {"a\t10\t0\t\tsave\t7\t1\t11\t0\t300mA", 0x1000, 7, 1, 11, 0, 300},
        {"a\t10\t0\t\t\t 7 \t-1\t+3\t2.5\t9", 0x1000, 7, -1, 3, 2, 9},
        {"a\t10\t0\t\t\t0\t0\t0\t0\t-2.9", 0x1000, 0, 0, 0, 0, -2},
        {"a\t10\t0\t\t\t0\t0\t0\t0\t1499.99 mA", 0x1000, 0, 0, 0, 0, 1499},
        {"a\t10\t0\t\t\t0\t0\t0\t0\tmA", 0x1000, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        auto l = load({QLatin1String(c.line)});
        ASSERT_TRUE(l->ok) << c.line;
        const UnitVariable& r = l->cat[1];
        EXPECT_EQ((std::vector<std::int32_t>{r.address, r.defaultValue, r.section, r.pageMask,
                                             r.minValue, r.maxValue, r.unitWord, r.workingWord}),
                  (std::vector<std::int32_t>{c.address, c.def, c.section, c.mask, c.min, c.max,
                                             c.def, c.def}))
            << c.line;
    }
    auto l = load({"b\t12\t0\t\t\t\t\t\t\t65535\tmA\tMON", "c\t1A2\t3\t\t\t\t\t\t\t9\tV\t\tX*0.5"});
    EXPECT_EQ(l->cat[1].maxValue, 65535);
    EXPECT_EQ((QStringList{l->cat[1].extraText, l->cat[1].formula, l->cat[2].formula,
                           l->cat[2].addressText()}),
              (QStringList{"MON", "", "X*0.5", "01A2.03"}));
}

TEST(Catalogue, LocaleFormulasIdentifiersAndBlankOrNameOnlyLines) {
    LocaleGuard guard(QLocale::German, QLocale::Germany);
    auto l = load({"c\t14\t0\t\t\t9\t\t\t\t99\tV\t\tX*0.5\tX*0.5"});
    ASSERT_TRUE(l->ok);
    EXPECT_EQ(l->cat[1].formula, QStringLiteral("X*0,5"));
    EXPECT_EQ(l->cat[1].inverseFormula, QStringLiteral("X*0.5"));
    EXPECT_EQ(l->cat[1].shownValue, 4); // 4.5 to the even neighbour
    // Identifiers register, and the last line wins.
    l = load({"a\t10\t0\tHVC_PROG_VERS", "b\t12\t0\tNOT_AN_ID", "c\t14\t0\tHVC_PROG_VERS"});
    ASSERT_TRUE(l->ok);
    EXPECT_EQ(l->cat.idIndex(HvcId::HVC_PROG_VERS), 3);
    std::vector<int> found;
    for (const char* key : {"HVC_PROG_VERS", "b", "0012.00"})
        found.push_back(l->cat.findByName(QLatin1String(key)));
    EXPECT_EQ(found, (std::vector<int>{3, 2, 2}));
    // Blank and name-only lines are variables with a warning.
    l = load({"a\t10\t0", "", "Lonely", "d\t16\t0\r\ne\t18\t0\rf\t1A\t0"});
    ASSERT_TRUE(l->ok);
    EXPECT_EQ(l->cat.varCount(), 6);
    EXPECT_TRUE(l->prompter.messages.isEmpty());
    EXPECT_EQ(l->cat[3].name + l->cat[2].name, QStringLiteral("Lonely"));
    EXPECT_EQ(l->cat[6].address, 0x1A00) << "line ends may differ";
    EXPECT_EQ(l->cat.warnings().size(), 2);
    EXPECT_TRUE(load({"a\t10\t0"})->cat.warnings().isEmpty());
}

TEST(Catalogue, FaultsStopTheLoadWithTheMessageAndUnreadableFilesSaySo) {
    const QString range = QStringLiteral(" is not a whole number from -32768 to 32767");
    const QString deep =
        QString(kMaxFormulaDepth + 1, u'(') + u'X' + QString(kMaxFormulaDepth + 1, u')');
    const struct {
        QString line, reason;
    } cases[] = {
        {"a\t1G\t0", "Address '1G' is not a hexadecimal number"},
        {"a\t10\t0X1", "SubCode '0X1' is not a hexadecimal number"}, // only "0x" is removed
        {"a\t10\t0\t\t\t40000", "Default '40000'" + range},
        {"a\t10\t0\t\t\t1\tone", "Section 'one'" + range},
        {"a\t10\t0\t\t\t1\t0\t1\t-32769", "Min '-32769'" + range},
        // A formula beyond the limits would slow every conversion, start-up included.
        {"b\t12\t0\t\t\t1\t0\t11\t0\t9\tV\t\t" + deep,
         "Formula: formula with groups nested 65 deep (at most 64)"},
        {"b\t12\t0\t\t\t1\t0\t11\t0\t9\tV\t\tX\tX" + QStringLiteral("+1").repeated(600),
         "InverseFormula: formula of 1201 characters (at most 1024)"},
    };
    for (const auto& c : cases) {
        auto l = load({"ok\t08\t0\tHVC_SOL_TYPE", c.line, "z\t1\t1"});
        EXPECT_FALSE(l->ok) << c.reason.toStdString();
        EXPECT_EQ(l->cat.varCount(), 0);
        EXPECT_EQ(l->prompter.texts(), QStringList{QString::fromLatin1(kRamlistMessage)});
        EXPECT_EQ(l->prompter.messages.value(0).detail, "line 3: " + c.reason);
        EXPECT_EQ(l->cat.idIndex(HvcId::HVC_SOL_TYPE), 1) << "records before the fault stay";
    }
    QStringList most;
    for (int i = 0; i < Catalogue::kMaxVars; ++i)
        most << QStringLiteral("v%1\t%2\t0").arg(i).arg(i, 0, 16);
    EXPECT_EQ(load(most)->cat.varCount(), 250);
    auto l = load(most << QStringLiteral("extra\t0\t0"));
    EXPECT_FALSE(l->ok);
    EXPECT_EQ(l->cat.varCount(), 0);
    EXPECT_EQ(l->cat.lastError(), QStringLiteral("line 252: more than 250 variable lines"));
    // A fault in a named file names it (hvcctl's map tests); one that cannot be read
    // or is empty says so.
    Catalogue cat;
    ScriptedPrompter prompter;
    EXPECT_FALSE(cat.loadCatalogue(QStringLiteral("/nonexistent/Ramlist.ini"), prompter));
    EXPECT_FALSE(cat.loadCatalogueText(QString(), prompter));
    ASSERT_EQ(prompter.messages.size(), 2);
    EXPECT_EQ(prompter.messages[1].text, QString::fromLatin1(kRamlistMessage));
    EXPECT_TRUE(prompter.messages[0].detail.startsWith("cannot open '/nonexistent/Ramlist.ini': "));
    EXPECT_EQ(cat.lastError(), QStringLiteral("the file is empty (not even the header line)"));
    EXPECT_TRUE(cat.loadCatalogueText(kHeader, prompter)) << "the header alone is an empty map";
    EXPECT_EQ(cat.varCount(), 0);
    // Only a regular file within the cap is read: a FIFO would wait for a writer for
    // ever, an endless file fill the memory. A bad line is quoted in short.
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo")), big = dir.filePath("big");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QFile file(big);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(kMaxListFileSize + 1));
    EXPECT_FALSE(cat.loadCatalogue(fifo, prompter));
    EXPECT_EQ(cat.lastError(), QStringLiteral("'%1' is not a regular file").arg(fifo));
    EXPECT_FALSE(cat.loadCatalogue(big, prompter));
    EXPECT_EQ(cat.lastError(), QStringLiteral("'%1' is too large for a variable map").arg(big));
    EXPECT_TRUE(load({QString(300, u'n')})
                    ->cat.warnings()
                    .value(0)
                    .startsWith("line 2: only a name ('" + QString(80, u'n') + "...')"));
}

TEST(Catalogue, MissingIdentifierReadsAsZeroButTheShippedMapCarriesEveryOne) {
    auto l = load({"a\t10\t0\t\t\t5"});
    QStringList reported;
    l->cat.setMissingReporter([&](const QString& id) { reported << id; });
    l->cat.var(HvcId::HVC_NUM_PROP_REG).unitWord = 99; // a write to the stand-in does not stick
    EXPECT_EQ(l->cat.var(HvcId::HVC_NUM_PROP_REG).unitWord, 0);
    EXPECT_EQ(reported, QStringList{QStringLiteral("HVC_NUM_PROP_REG")});
    EXPECT_EQ(l->cat.find(HvcId::HVC_NUM_PROP_REG), nullptr);
    l->cat[2].workingWord = 7; // past the records: a blank record, not a crash
    EXPECT_EQ(l->cat[2].workingWord + l->cat[0].address, 0);
    Catalogue cat;
    ScriptedPrompter prompter;
    ASSERT_TRUE(cat.loadCatalogue(hvc::test::sourcePath("res/ini/Ramlist.ini"), prompter));
    for (int i = 0; i < kHvcIdCount; ++i)
        EXPECT_NE(cat.idIndex(static_cast<HvcId>(i)), 0)
            << Catalogue::idName(static_cast<HvcId>(i));
    for (int i = 1; i <= cat.varCount(); ++i) {
        const UnitVariable& r = cat[i];
        EXPECT_TRUE(r.defaultValue >= r.minValue && r.defaultValue <= r.maxValue)
            << qPrintable(r.name);
        for (int a = 1; a < i; ++a)
            EXPECT_NE(cat[a].address, r.address) << qPrintable(r.name);
    }
}

TEST(Records, ConversionsSettingNoValueAndAddressText) {
    UnitVariable r;
    r.takeUnitRamWord(300);
    EXPECT_DOUBLE_EQ(r.ramShownValue, 300.0);
    r.formula = QStringLiteral("X/10");
    for (const auto& [word, shown] : {std::pair{300, 30}, {125, 12}, {135, 14}}) {
        r.takeUnitWord(word);
        EXPECT_EQ(r.shownValue, shown) << word; // halves to the even neighbour
    }
    r.formula = QStringLiteral("X*2|X*3");
    r.formulaPart = 3; // part 3: the empty text
    r.takeUnitRamWord(10);
    EXPECT_DOUBLE_EQ(r.ramShownValue, 0.0);

    UnitVariable s;
    s.inverseFormula = QStringLiteral("X*10");
    DocumentState document;
    s.setShownValue(20, document);
    EXPECT_EQ((std::pair<int, int>{s.shownValue, s.workingWord}), (std::pair{20, 200}));
    EXPECT_FALSE(document.dataUnchanged());
    s.takeUnitWord(5);
    s.takeFileWord(7);
    EXPECT_EQ((std::pair<int, int>{s.unitWord, s.workingWord}), (std::pair{5, 7}));
    s.markWordWritten();
    EXPECT_EQ(s.unitWord, 7);
    s.setShownValue(2.5, document);
    EXPECT_EQ(s.shownValue, 2);
    s.formula = QStringLiteral("X/0"); // cannot be evaluated: stores the defined 0
    s.takeFileWord(3);
    EXPECT_EQ(s.shownValue, 0);
    EXPECT_TRUE(isNoValue(-1) && isNoValue(65535));
    EXPECT_FALSE(isNoValue(32767));
    std::int32_t a = 0;
    for (const auto& [text, address] : {std::pair{"01a2.03", 0x01A203}, {"FDEA", 0xFDEA00}}) {
        EXPECT_TRUE(parseAddressText(QLatin1String(text), a));
        EXPECT_EQ(a, address) << text;
    }
    EXPECT_FALSE(parseAddressText(QStringLiteral("12345.0"), a) ||
                 parseAddressText(QStringLiteral("zz"), a));
    EXPECT_EQ(formatAddressText(0x2B3C05), QStringLiteral("2B3C.05"));
}

TEST(Transfers, PageCountersAndMasks) {
    AppState state;
    ScriptedPrompter prompter;
    ASSERT_TRUE(state.document.catalogue.loadCatalogueText(kHeader + "a\t10\t0\t\t\t0\t0\t11\n"
                                                                     "b\t12\t0\t\t\t0\t0\t10\n"
                                                                     "c\t14\t0\t\t\t0\t0\t10011\n"
                                                                     "d\t16\t0\t\t\t0\t0\t0\n",
                                                           prompter));
    countPageVarNum(state);
    EXPECT_EQ((std::vector<int>{state.document.page(Page::Config).pageVarNum,
                                state.document.page(Page::Info).pageVarNum, readKeyAll(state),
                                countPageVars(state, 10), countPageVars(state, 10010),
                                countPageVars(state, 0)}),
              (std::vector<int>{3, 1, 10 | 10000, 3, 4, 0}));
}
