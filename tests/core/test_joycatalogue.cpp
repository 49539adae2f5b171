#include "core/catalogue.h"
#include "core/joycatalogue.h"
#include "core/prompter.h"
#include "support/paths.h"

#include <QFile>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace hvc;

namespace {

const QString kHeader = QStringLiteral("JoyCode\tJoyName\tD1\tD2\tD3\tD4\tSel\tAxes\tId\n");

// A record line: code, the texts, Selectable, AxisNum, JoyID, then `rest` as it stands.
QString record(const QString& code, int axes, int id, const QString& rest) {
    return QStringLiteral("%1\tName %1\tone\ttwo\tthree\tfour\t1\t%2\t%3\t%4")
        .arg(code)
        .arg(axes)
        .arg(id)
        .arg(rest);
}

// Axis pairs 1..n as "10k+1 <TAB> 10k+2", so every number says where it came from.
QString pairs(int n) {
    QStringList fields;
    for (int k = 1; k <= n; ++k)
        fields << QString::number(10 * k + 1) << QString::number(10 * k + 2);
    return fields.join(u'\t');
}

struct Load {
    JoyCatalogue cat;
    ScriptedPrompter prompter;
    bool ok = false;
    bool run(const QString& body) {
        ok = cat.LoadJoyListText(kHeader + body, prompter);
        return ok;
    }
};

} // namespace

TEST(JoyCatalogue, HeaderOnlyIsAnEmptyCatalogueWithoutMessage) {
    for (const QString& header :
         {QStringLiteral("JoyCode"), QStringLiteral("JoyCode\n"), QStringLiteral("JoyCode\r\n")}) {
        JoyCatalogue cat;
        ScriptedPrompter prompter;
        EXPECT_TRUE(cat.LoadJoyListText(header, prompter));
        EXPECT_EQ(cat.JoyCount(), 0);
        EXPECT_TRUE(prompter.messages.isEmpty());
    }
}

TEST(JoyCatalogue, FieldsInFileOrderWithTheIdentifierAfterTheAxisCount) {
    Load l;
    ASSERT_TRUE(l.run(QStringLiteral(" A b \tLong name, with comma\t d1\t\td3\td4 \t0\t4\t-7\t") +
                      pairs(4) + u'\n'));
    ASSERT_EQ(l.cat.JoyCount(), 1);
    const CJoyData& r = l.cat.JoyList(0);
    EXPECT_EQ(r.JoyCode, QStringLiteral(" A b "));
    EXPECT_EQ(r.JoyName, QStringLiteral("Long name, with comma"));
    EXPECT_EQ(r.JoyDesc1, QStringLiteral(" d1"));
    EXPECT_TRUE(r.JoyDesc2.isEmpty());
    EXPECT_EQ(r.JoyDesc4, QStringLiteral("d4 "));
    EXPECT_EQ(r.Selectable, 0);
    EXPECT_EQ(r.AxisNum, 4);
    EXPECT_EQ(r.JoyID, -7);
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(r.AxisConfig[k], 10 * static_cast<int>(k + 1) + 1);
        EXPECT_EQ(r.AxisSpare[k], 10 * static_cast<int>(k + 1) + 2);
    }
}

TEST(JoyCatalogue, AxisCountSaysHowManyFieldsALineHas) {
    // 1, 2 and 3 axes take 11, 13 and 15 fields; whatever follows, even text that
    // is no number, is ignored and those axes stay 0.
    for (int axes = 1; axes <= 3; ++axes) {
        Load l;
        ASSERT_TRUE(l.run(record(QStringLiteral("J"), axes, 5,
                                 pairs(axes) + QStringLiteral("\tnot a number\t\t99\n"))))
            << axes << " axes: " << qPrintable(l.cat.lastError());
        const CJoyData& r = l.cat.JoyList(0);
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(r.AxisConfig[static_cast<size_t>(k)], k < axes ? 10 * (k + 1) + 1 : 0)
                << axes << " axes, axis " << k + 1;
        // One field short is a fault.
        Load shortLine;
        QString fields = pairs(axes);
        fields.truncate(fields.lastIndexOf(u'\t'));
        EXPECT_FALSE(shortLine.run(record(QStringLiteral("J"), axes, 5, fields)));
        EXPECT_EQ(shortLine.prompter.texts(), QStringList{kJoyListMessage});
    }
    // Any other count, 4 or not, takes all four pairs.
    for (int axes : {0, 4, 5, -1, 100}) {
        Load l;
        EXPECT_TRUE(l.run(record(QStringLiteral("J"), axes, 5, pairs(4) + QStringLiteral("\tx"))))
            << axes;
        EXPECT_EQ(l.cat.JoyList(0).AxisSpare[3], 42) << axes;
        Load shortLine;
        EXPECT_FALSE(shortLine.run(record(QStringLiteral("J"), axes, 5, pairs(3))))
            << axes << " axes with three pairs";
        EXPECT_EQ(shortLine.cat.lastError(),
                  QStringLiteral("line 2: AxisConfig(4) is missing (too few fields)"));
    }
}

TEST(JoyCatalogue, IntegerFieldFaultsNameTheFieldAndTheLine) {
    const QString good = record(QStringLiteral("OK"), 1, 1, pairs(1)) + u'\n';
    const struct {
        QString line;
        QString reason;
    } cases[] = {
        {QStringLiteral("E\tn\t1\t2\t3\t4\t1\t1\t\t1\t2"), QStringLiteral("JoyID is empty")},
        {QStringLiteral("E\tn\t1\t2\t3\t4\tyes\t1\t3\t1\t2"),
         QStringLiteral("Selectable 'yes' is not a whole number from -32768 to 32767")},
        {QStringLiteral("E\tn\t1\t2\t3\t4\t1\t1\t40000\t1\t2"),
         QStringLiteral("JoyID '40000' is not a whole number from -32768 to 32767")},
        {QStringLiteral("E\tn\t1\t2\t3\t4\t1\t2\t3\t1\t2\t0x10\t0"),
         QStringLiteral("AxisConfig(2) '0x10' is not a whole number from -32768 to 32767")},
        {QStringLiteral("E\tn\t1\t2"), QStringLiteral("Selectable is missing (too few fields)")},
    };
    for (const auto& c : cases) {
        Load l;
        EXPECT_FALSE(l.run(good + c.line));
        EXPECT_EQ(l.cat.JoyCount(), 0);
        ASSERT_EQ(l.prompter.messages.size(), 1);
        EXPECT_EQ(l.prompter.messages[0].text, QString::fromLatin1(kJoyListMessage));
        EXPECT_EQ(l.prompter.messages[0].detail, QStringLiteral("line 3: ") + c.reason);
        EXPECT_EQ(l.cat.lastError(), l.prompter.messages[0].detail);
    }
}

TEST(JoyCatalogue, SeventeenRecordsAtMost) {
    QString body;
    for (int i = 0; i < JoyCatalogue::kMaxRecords; ++i)
        body += record(QStringLiteral("J%1").arg(i), 1, i, pairs(1)) + u'\n';
    Load l;
    ASSERT_TRUE(l.run(body));
    EXPECT_EQ(l.cat.JoyCount(), 17);
    EXPECT_EQ(l.cat.JoyList(16).JoyCode, QStringLiteral("J16"));
    // An 18th record fails the load and counts nothing, also after a good load.
    EXPECT_FALSE(l.cat.LoadJoyListText(
        kHeader + body + record(QStringLiteral("X"), 1, 99, pairs(1)), l.prompter));
    EXPECT_EQ(l.cat.JoyCount(), 0);
    EXPECT_EQ(l.cat.lastError(), QStringLiteral("line 19: more than 17 records"));
    // Positions outside the table read as a blank record.
    EXPECT_TRUE(l.cat.JoyList(17).JoyCode.isEmpty());
    EXPECT_TRUE(l.cat.JoyList(-1).JoyCode.isEmpty());
}

TEST(JoyCatalogue, TheLastNotUsedRecordGivesTheNotUsedIdentifier) {
    Load l;
    ASSERT_TRUE(l.run(record(QStringLiteral("NOTUSED"), 1, 3, pairs(1)) + u'\n' +
                      record(QStringLiteral("A"), 1, 4, pairs(1)) + u'\n' +
                      record(QStringLiteral("NOTUSED"), 1, 9, pairs(1)) + u'\n' +
                      record(QStringLiteral("notused"), 1, 11, pairs(1)) + u'\n' +
                      record(QStringLiteral("NOTUSED "), 1, 12, pairs(1))));
    EXPECT_EQ(l.cat.NotUsedJoyID(), 9);
    // A catalogue without one keeps the identifier of the previous load.
    ASSERT_TRUE(
        l.cat.LoadJoyListText(kHeader + record(QStringLiteral("A"), 1, 4, pairs(1)), l.prompter));
    EXPECT_EQ(l.cat.NotUsedJoyID(), 9);
    EXPECT_EQ(JoyCatalogue().NotUsedJoyID(), 0);
}

TEST(JoyCatalogue, ABlankLineIsARecordButAFinalLineBreakIsNot) {
    const QString one = record(QStringLiteral("A"), 1, 4, pairs(1));
    for (const QString& end :
         {QStringLiteral("\n"), QStringLiteral("\r\n"), QStringLiteral("\r")}) {
        Load l;
        EXPECT_TRUE(l.run(one + end + one + end));
        EXPECT_EQ(l.cat.JoyCount(), 2);
        Load blank;
        EXPECT_FALSE(blank.run(one + end + end));
        EXPECT_EQ(blank.cat.lastError(),
                  QStringLiteral("line 3: Selectable is missing (too few fields)"));
    }
}

TEST(JoyCatalogue, AFileThatCannotBeReadKeepsTheCountAndSaysWhy) {
    Load l;
    ASSERT_TRUE(l.run(record(QStringLiteral("A"), 1, 4, pairs(1))));
    EXPECT_FALSE(l.cat.LoadJoyList(QStringLiteral("/nonexistent/JoylistNew.ini"), l.prompter));
    EXPECT_EQ(l.cat.JoyCount(), 1);
    ASSERT_EQ(l.prompter.messages.size(), 1);
    EXPECT_TRUE(
        l.prompter.messages[0].detail.startsWith("cannot open '/nonexistent/JoylistNew.ini': "))
        << qPrintable(l.prompter.messages[0].detail);

    // A file that opens names itself in the detail of a fault further down.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("JoylistNew.ini"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write((kHeader + QStringLiteral("A\tn")).toLatin1());
    file.close();
    EXPECT_FALSE(l.cat.LoadJoyList(path, l.prompter));
    EXPECT_EQ(l.cat.JoyCount(), 0);
    EXPECT_EQ(l.cat.lastError(),
              QStringLiteral("'%1', line 2: Selectable is missing (too few fields)").arg(path));
}

TEST(JoyCatalogue, ShippedCatalogueFitsTheShippedMap) {
    JoyCatalogue joys;
    ScriptedPrompter prompter;
    ASSERT_TRUE(joys.LoadJoyList(test::sourcePath("res/ini/JoylistNew.ini"), prompter))
        << qPrintable(joys.lastError());
    EXPECT_EQ(joys.JoyCount(), JoyCatalogue::kMaxRecords);

    Catalogue map;
    ASSERT_TRUE(map.LoadCatalogue(test::sourcePath("res/ini/Ramlist.ini"), prompter));
    const CVarData& idVar = map.Var(HvcId::HVC_JOY_0_ID);
    QSet<int> ids;
    QSet<QString> codes;
    int notUsed = -1;
    for (int i = 0; i < joys.JoyCount(); ++i) {
        const CJoyData& r = joys.JoyList(i);
        EXPECT_FALSE(ids.contains(r.JoyID)) << "JoyID " << r.JoyID << " twice";
        EXPECT_FALSE(codes.contains(r.JoyCode)) << qPrintable(r.JoyCode) << " twice";
        ids.insert(r.JoyID);
        codes.insert(r.JoyCode);
        // A model must be choosable: its identifier fits the unit's identifier word.
        EXPECT_GE(r.JoyID, idVar.MinValue) << qPrintable(r.JoyCode);
        EXPECT_LE(r.JoyID, idVar.MaxValue) << qPrintable(r.JoyCode);
        EXPECT_TRUE(r.AxisNum >= 1 && r.AxisNum <= 4) << qPrintable(r.JoyCode);
        EXPECT_FALSE(r.JoyName.isEmpty() || r.JoyDesc1.isEmpty()) << qPrintable(r.JoyCode);
        if (r.JoyCode == QLatin1String("NOTUSED"))
            notUsed = i;
    }
    ASSERT_GE(notUsed, 0) << "the catalogue needs a NOTUSED record";
    // A unit whose identifier word is 0 shows "not used".
    EXPECT_EQ(joys.NotUsedJoyID(), 0);

    // The map's defaults name models of the catalogue, and the demo unit shows
    // an analog axis and a digital pair.
    const HvcId idWords[] = {HvcId::HVC_JOY_0_ID, HvcId::HVC_JOY_1_ID, HvcId::HVC_JOY_2_ID,
                             HvcId::HVC_JOY_3_ID};
    const HvcId configWords[] = {HvcId::HVC_JOY_0_CONFIG, HvcId::HVC_JOY_1_CONFIG,
                                 HvcId::HVC_JOY_2_CONFIG, HvcId::HVC_JOY_3_CONFIG};
    bool analog = false;
    bool digitalPair = false;
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(ids.contains(map.Var(idWords[k]).DefaultValue)) << "joystick " << k + 1;
        const auto w = static_cast<std::uint16_t>(map.Var(configWords[k]).DefaultValue);
        analog = analog || (w & 0xF) == 1;
        digitalPair = digitalPair || ((w & 0xF) >= 2 && (w >> 8 & 0xF) && (w >> 12 & 0xF));
    }
    EXPECT_TRUE(analog);
    EXPECT_TRUE(digitalPair);
}
