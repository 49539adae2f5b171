#include "core/appstate.h"
#include "core/catalogue.h"
#include "core/documentstate.h"
#include "core/prompter.h"
#include "core/stringeval.h"
#include "core/transfer.h"
#include "support/localeguard.h"
#include "support/paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace hvc;

namespace {

const QString kHeader =
    QStringLiteral("Name\tAddr\tSub\tId\tSave\tDef\tSec\tMask\tMin\tMax\tUnit\tMon\tF\tIF\n");

struct Loaded {
    Catalogue cat;
    ScriptedPrompter prompter;
    bool ok = false;
};

std::unique_ptr<Loaded> load(const QString& body) {
    auto l = std::make_unique<Loaded>();
    l->ok = l->cat.LoadCatalogueText(kHeader + body, l->prompter);
    return l;
}

QString line(const QString& fields) {
    return fields + u'\n';
}

} // namespace

TEST(Catalogue, HeaderOnlyIsAnEmptyCatalogueWithoutMessage) {
    auto l = load(QString());
    EXPECT_TRUE(l->ok);
    EXPECT_EQ(l->cat.VarCount(), 0);
    EXPECT_TRUE(l->prompter.messages.isEmpty());
}

TEST(Catalogue, AddressAndSubCodeArePaddedAndCut) {
    auto l = load(line(QStringLiteral("a\t0x1A2\t3")) + line(QStringLiteral("b\t1A2B3C\t0x105")) +
                  line(QStringLiteral("c\t\t")));
    ASSERT_TRUE(l->ok);
    EXPECT_EQ(l->cat[1].Address, 0x01A203);
    EXPECT_EQ(l->cat[2].Address, 0x2B3C05);
    EXPECT_EQ(l->cat[3].Address, 0);
    EXPECT_EQ(l->cat[1].AddressText(), QStringLiteral("01A2.03"));
}

TEST(Catalogue, OptionalFieldsInTwoSteps) {
    auto l = load(line(QStringLiteral("a\t10\t0\t\tsave\t7\t1\t11\t0\t300mA")) +
                  line(QStringLiteral("b\t12\t0\t\t\t\t\t\t\t65535\tmA\tMON")) +
                  line(QStringLiteral("c\t14\t0\t\t\t\t\t\t\t9\tV\t\tX*0.5\tX/2")));
    ASSERT_TRUE(l->ok);
    const CVarData& a = l->cat[1];
    EXPECT_EQ(a.DefaultValue, 7);
    EXPECT_EQ(a.E2InECU, 7);
    EXPECT_EQ(a.E2Value, 7);
    EXPECT_EQ(a.MaxValue, 300);
    EXPECT_EQ(a.PageMask, 11);
    EXPECT_TRUE(a.ConvText.isEmpty() && a.Formula.isEmpty());
    EXPECT_EQ(l->cat[2].MaxValue, 65535);
    EXPECT_EQ(l->cat[2].ExtraText, QStringLiteral("MON"));
    EXPECT_TRUE(l->cat[2].Formula.isEmpty());
    EXPECT_EQ(l->cat[3].Formula, QStringLiteral("X*0.5"));
    EXPECT_EQ(l->cat[3].FormulaPart, 2);
}

TEST(Catalogue, FormulaTakesTheLocaleSeparatorButInverseStaysAsWritten) {
    LocaleGuard guard(QLocale::German, QLocale::Germany);
    auto l = load(line(QStringLiteral("c\t14\t0\t\t\t9\t\t\t\t99\tV\t\tX*0.5\tX*0.5")));
    ASSERT_TRUE(l->ok);
    EXPECT_EQ(l->cat[1].Formula, QStringLiteral("X*0,5"));
    EXPECT_EQ(l->cat[1].InverseFormula, QStringLiteral("X*0.5"));
    EXPECT_EQ(l->cat[1].E2Display, 4); // 4.5 to the even neighbour
}

TEST(Catalogue, IntegerFieldsAcceptBlanksSignsAndRoundFractions) {
    auto l = load(line(QStringLiteral("a\t10\t0\t\t\t 7 \t-1\t+3\t2.5\t9")));
    ASSERT_TRUE(l->ok);
    EXPECT_EQ(l->cat[1].DefaultValue, 7);
    EXPECT_EQ(l->cat[1].Section, -1);
    EXPECT_EQ(l->cat[1].PageMask, 3);
    EXPECT_EQ(l->cat[1].MinValue, 2);
}

TEST(Catalogue, MaxTakesOnlyTheLeadingDigits) {
    // Max is a number prefix cut to its whole part, never rounded like the other fields.
    const QStringList maxTexts = {QStringLiteral("2.9"),  QStringLiteral("300mA"),
                                  QStringLiteral("-2.9"), QStringLiteral("1499.99 mA"),
                                  QStringLiteral("mA"),   QStringLiteral("0.999")};
    const std::int32_t expected[] = {2, 300, -2, 1499, 0, 0};
    QString body;
    for (const QString& m : maxTexts)
        body += line(QStringLiteral("a\t10\t0\t\t\t0\t0\t11\t0\t") + m);
    auto l = load(body);
    ASSERT_TRUE(l->ok);
    for (int i = 0; i < maxTexts.size(); ++i)
        EXPECT_EQ(l->cat[i + 1].MaxValue, expected[i]) << qPrintable(maxTexts[i]);
}

TEST(Catalogue, IdentifiersRegisterAndTheLastLineWins) {
    auto l = load(line(QStringLiteral("a\t10\t0\tHVC_PROG_VERS")) +
                  line(QStringLiteral("b\t12\t0\tNOT_AN_ID")) +
                  line(QStringLiteral("c\t14\t0\tHVC_PROG_VERS")));
    ASSERT_TRUE(l->ok);
    EXPECT_EQ(l->cat.IdIndex(HvcId::HVC_PROG_VERS), 3);
    EXPECT_EQ(l->cat.FindByName(QStringLiteral("HVC_PROG_VERS")), 3);
    EXPECT_EQ(l->cat.FindByName(QStringLiteral("b")), 2);
    EXPECT_EQ(l->cat.FindByName(QStringLiteral("0012.00")), 2);
    EXPECT_EQ(l->cat.IdentifierAt(3), QStringLiteral("HVC_PROG_VERS"));
}

TEST(Catalogue, FaultsStopTheLoadWithTheMessage) {
    const QStringList bad = {
        QStringLiteral("a\t1G\t0"),                      // address not hexadecimal
        QStringLiteral("a\t10\t0X1"),                    // only "0x" is removed
        QStringLiteral("a\t10\t0\t\t\t40000"),           // default beyond 16 bits
        QStringLiteral("a\t10\t0\t\t\t1\tone"),          // section not a number
        QStringLiteral("a\t10\t0\t\t\t1\t0\t1\t-32769"), // minimum beyond 16 bits
    };
    const QStringList reasons = {
        QStringLiteral("line 3: Address '1G' is not a hexadecimal number"),
        QStringLiteral("line 3: SubCode '0X1' is not a hexadecimal number"),
        QStringLiteral("line 3: Default '40000' is not a whole number from -32768 to 32767"),
        QStringLiteral("line 3: Section 'one' is not a whole number from -32768 to 32767"),
        QStringLiteral("line 3: Min '-32769' is not a whole number from -32768 to 32767"),
    };
    for (qsizetype i = 0; i < bad.size(); ++i) {
        const QString& b = bad[i];
        auto l = load(line(QStringLiteral("ok\t08\t0\tHVC_SOL_TYPE")) + line(b) +
                      line(QStringLiteral("z\t1\t1")));
        EXPECT_FALSE(l->ok) << qPrintable(b);
        EXPECT_EQ(l->cat.VarCount(), 0);
        EXPECT_EQ(l->prompter.texts(), QStringList{QString::fromLatin1(kRamlistMessage)});
        ASSERT_EQ(l->prompter.messages.size(), 1);
        EXPECT_EQ(l->prompter.messages[0].detail, reasons[i]);
        EXPECT_EQ(l->cat.lastError(), reasons[i]);
        // Records made before the fault stay registered.
        EXPECT_EQ(l->cat.IdIndex(HvcId::HVC_SOL_TYPE), 1);
    }
}

TEST(Catalogue, MoreThan250LinesIsAFault) {
    QString body;
    for (int i = 0; i < 250; ++i)
        body += line(QStringLiteral("v%1\t%2\t0").arg(i).arg(i, 0, 16));
    EXPECT_EQ(load(body)->cat.VarCount(), 250);
    auto l = load(body + line(QStringLiteral("extra\t0\t0")));
    EXPECT_FALSE(l->ok);
    EXPECT_EQ(l->cat.VarCount(), 0);
}

TEST(Catalogue, EmptyLineIsAVariableAndLineEndsMayDiffer) {
    auto l = load(QStringLiteral("a\t10\t0\r\n\r\nc\t14\t0\rd\t16\t0"));
    ASSERT_TRUE(l->ok);
    EXPECT_EQ(l->cat.VarCount(), 4);
    EXPECT_TRUE(l->cat[2].Name.isEmpty());
    EXPECT_EQ(l->cat[4].Address, 0x1600);
}

TEST(Catalogue, MissingFileAndEmptyFile) {
    Catalogue cat;
    ScriptedPrompter prompter;
    EXPECT_FALSE(cat.LoadCatalogue(QStringLiteral("/nonexistent/Ramlist.ini"), prompter));
    EXPECT_FALSE(cat.LoadCatalogueText(QString(), prompter));
    ASSERT_EQ(prompter.messages.size(), 2);
    EXPECT_TRUE(prompter.messages[0].detail.startsWith("cannot open '/nonexistent/Ramlist.ini': "))
        << prompter.messages[0].detail.toStdString();
    EXPECT_EQ(prompter.messages[1].detail,
              QStringLiteral("the file is empty (not even the header line)"));
}

// Whatever file is given, the message stays the map's own; the detail names the
// file, the line and the reason.
TEST(Catalogue, FaultOfAMapFileNamesFileLineAndReason) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("other.ini"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        (kHeader + line(QStringLiteral("a\t10\t0")) + line(QStringLiteral("b\t12\t0\t\t\tx")))
            .toLatin1());
    file.close();
    Catalogue cat;
    ScriptedPrompter prompter;
    EXPECT_FALSE(cat.LoadCatalogue(path, prompter));
    const QString reason =
        QStringLiteral("'%1', line 3: Default 'x' is not a whole number from -32768 to 32767")
            .arg(path);
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_EQ(prompter.messages[0].text, QString::fromLatin1(kRamlistMessage));
    EXPECT_EQ(prompter.messages[0].detail, reason);
    EXPECT_EQ(cat.lastError(), reason);

    QString body;
    for (int i = 0; i <= Catalogue::kMaxVars; ++i)
        body += line(QStringLiteral("v%1\t%2\t0").arg(i).arg(i, 0, 16));
    auto l = load(body);
    EXPECT_EQ(l->cat.lastError(), QStringLiteral("line 252: more than 250 variable lines"));
    EXPECT_TRUE(load(line(QStringLiteral("a\t10\t0")))->cat.lastError().isEmpty());
}

// A formula beyond the limits would slow every conversion of the map, start-up
// included, so the map is refused before any formula is evaluated.
TEST(Catalogue, FormulasBeyondTheLimitsAreRefused) {
    const QString deep = QString(kMaxFormulaDepth + 1, u'(') + QStringLiteral("X") +
                         QString(kMaxFormulaDepth + 1, u')');
    auto l = load(line(QStringLiteral("a\t10\t0")) +
                  line(QStringLiteral("b\t12\t0\t\t\t1\t0\t11\t0\t9\tV\t\t") + deep));
    EXPECT_FALSE(l->ok);
    EXPECT_EQ(l->cat.VarCount(), 0);
    EXPECT_EQ(l->prompter.texts(), QStringList{QString::fromLatin1(kRamlistMessage)});
    EXPECT_EQ(l->cat.lastError(),
              QStringLiteral("line 3: Formula: formula with groups nested 65 deep (at most 64)"));

    const QString huge = QStringLiteral("X") + QStringLiteral("+1").repeated(500000);
    l = load(line(QStringLiteral("b\t12\t0\t\t\t1\t0\t11\t0\t9\tV\t\tX\t") + huge));
    EXPECT_FALSE(l->ok);
    EXPECT_EQ(
        l->cat.lastError(),
        QStringLiteral("line 2: InverseFormula: formula of 1000001 characters (at most 1024)"));

    const QString deepest =
        QString(kMaxFormulaDepth, u'(') + QStringLiteral("X*2") + QString(kMaxFormulaDepth, u')');
    l = load(line(QStringLiteral("b\t12\t0\t\t\t4\t0\t11\t0\t9\tV\t\t") + deepest));
    ASSERT_TRUE(l->ok) << l->cat.lastError().toStdString();
    EXPECT_EQ(l->cat[1].E2Display, 8);
}

TEST(Catalogue, BlankAndNameOnlyLinesLoadWithAWarning) {
    auto l = load(line(QStringLiteral("a\t10\t0")) + line(QString()) +
                  line(QStringLiteral("Lonely")) + line(QStringLiteral("d\t16\t0")));
    ASSERT_TRUE(l->ok);
    EXPECT_EQ(l->cat.VarCount(), 4);
    EXPECT_TRUE(l->prompter.messages.isEmpty());
    EXPECT_EQ(l->cat[3].Name, QStringLiteral("Lonely"));
    EXPECT_EQ(l->cat[3].Address, 0);
    ASSERT_EQ(l->cat.warnings().size(), 2);
    EXPECT_TRUE(l->cat.warnings()[0].startsWith("line 3: blank line"));
    EXPECT_TRUE(l->cat.warnings()[1].startsWith("line 4: only a name ('Lonely')"));
    EXPECT_TRUE(load(line(QStringLiteral("a\t10\t0")))->cat.warnings().isEmpty());
}

TEST(Catalogue, MissingIdentifierReadsAsZeroAndIsReportedOnce) {
    auto l = load(line(QStringLiteral("a\t10\t0\t\t\t5")));
    QStringList reported;
    l->cat.setMissingReporter([&](const QString& id) { reported << id; });
    CVarData& v = l->cat.Var(HvcId::HVC_NUM_PROP_REG);
    EXPECT_NE(&v, l->cat.VarTable(1));
    v.E2InECU = 99; // a write to the stand-in does not stick
    EXPECT_EQ(l->cat.Var(HvcId::HVC_NUM_PROP_REG).E2InECU, 0);
    EXPECT_EQ(reported, QStringList{QStringLiteral("HVC_NUM_PROP_REG")});
    EXPECT_EQ(l->cat.Find(HvcId::HVC_NUM_PROP_REG), nullptr);
    EXPECT_EQ(l->cat.VarTable(0), nullptr);
    // Indexing past the records, or slot 0, gives a blank record, not a crash.
    for (int slot : {0, 2, Catalogue::kSlots, -1}) {
        CVarData& blank = l->cat[slot];
        EXPECT_EQ(blank.Address, 0) << slot;
        blank.E2Value = 7;
        EXPECT_EQ(l->cat[slot].E2Value, 0) << "a write to the blank does not stick";
    }
}

TEST(Catalogue, ShippedMapCarriesEveryIdentifier) {
    Catalogue cat;
    ScriptedPrompter prompter;
    ASSERT_TRUE(cat.LoadCatalogue(hvc::test::sourcePath("res/ini/Ramlist.ini"), prompter));
    for (int i = 0; i < kHvcIdCount; ++i)
        EXPECT_NE(cat.IdIndex(static_cast<HvcId>(i)), 0)
            << Catalogue::IdName(static_cast<HvcId>(i));
    for (int i = 1; i <= cat.VarCount(); ++i) {
        const CVarData& r = cat[i];
        EXPECT_TRUE(r.DefaultValue >= r.MinValue && r.DefaultValue <= r.MaxValue)
            << qPrintable(r.Name);
        for (int a = 1; a < i; ++a)
            EXPECT_NE(cat[a].Address, r.Address) << qPrintable(r.Name);
    }
}

TEST(Records, Conversions) {
    CVarData r;
    r.ReadE2FromECU(300);
    r.ReadRAMFromECU(300);
    EXPECT_EQ(r.E2Display, 300);
    EXPECT_DOUBLE_EQ(r.RAMDisplay, 300.0);

    r.Formula = QStringLiteral("X/10");
    r.ReadE2FromECU(125);
    EXPECT_EQ(r.E2Display, 12);
    r.ReadE2FromECU(135);
    EXPECT_EQ(r.E2Display, 14);

    r.Formula = QStringLiteral("X*2|X*3");
    r.FormulaPart = 2;
    r.ReadRAMFromECU(10);
    EXPECT_DOUBLE_EQ(r.RAMDisplay, 30);
    r.FormulaPart = 3; // a part that does not exist evaluates the empty text
    r.ReadRAMFromECU(10);
    EXPECT_DOUBLE_EQ(r.RAMDisplay, 0);
    EXPECT_EQ(r.RAMInECU, 10);
}

TEST(Records, SetFromPageAndFromFile) {
    CVarData r;
    r.InverseFormula = QStringLiteral("X*10");
    DocumentState document;
    r.HVCSetVar(20, document);
    EXPECT_EQ(r.E2Display, 20);
    EXPECT_EQ(r.E2Value, 200);
    EXPECT_FALSE(document.dataUnchanged());

    r.ReadE2FromECU(5);
    r.LoadFromFile(7);
    EXPECT_EQ(r.E2InECU, 5);
    EXPECT_EQ(r.E2Value, 7);
    r.WriteE2inECU();
    EXPECT_EQ(r.E2InECU, 7);

    r.HVCSetVar(2.5, document);
    EXPECT_EQ(r.E2Display, 2);
    r.Formula = QStringLiteral("X/0"); // cannot be evaluated: stores the defined 0
    r.LoadFromFile(3);
    EXPECT_EQ(r.E2Display, 0);
}

TEST(Records, NoValueAndAddressText) {
    EXPECT_TRUE(IsNoValue(-1));
    EXPECT_TRUE(IsNoValue(65535));
    EXPECT_FALSE(IsNoValue(32767));
    std::int32_t a = 0;
    EXPECT_TRUE(ParseAddressText(QStringLiteral("01a2.03"), a));
    EXPECT_EQ(a, 0x01A203);
    EXPECT_TRUE(ParseAddressText(QStringLiteral("FDEA"), a));
    EXPECT_EQ(a, 0xFDEA00);
    EXPECT_FALSE(ParseAddressText(QStringLiteral("12345.0"), a));
    EXPECT_FALSE(ParseAddressText(QStringLiteral("zz"), a));
    EXPECT_EQ(FormatAddressText(0x2B3C05), QStringLiteral("2B3C.05"));
}

TEST(Transfers, PageCountersAndMasks) {
    AppState state;
    ScriptedPrompter prompter;
    ASSERT_TRUE(
        state.catalogue.LoadCatalogueText(kHeader + line(QStringLiteral("a\t10\t0\t\t\t0\t0\t11")) +
                                              line(QStringLiteral("b\t12\t0\t\t\t0\t0\t10")) +
                                              line(QStringLiteral("c\t14\t0\t\t\t0\t0\t10011")) +
                                              line(QStringLiteral("d\t16\t0\t\t\t0\t0\t0")),
                                          prompter));
    countPageVarNum(state);
    EXPECT_EQ(state.page(Page::Config).PageVarNum, 3);
    EXPECT_EQ(state.page(Page::Info).PageVarNum, 1);
    EXPECT_EQ(readKeyAll(state), 10 | 10000);
    EXPECT_EQ(countPageVars(state, 10), 3);
    EXPECT_EQ(countPageVars(state, 10010), 4);
    EXPECT_EQ(countPageVars(state, 0), 0);
}
