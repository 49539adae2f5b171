// The joystick catalogue file, the shipped one against the shipped map, pin captions
// of the input words and the catalogue position of each input's model.

#include "core/catalogue.h"
#include "core/joycansettings.h"
#include "core/joycatalogue.h"
#include "core/joyinputs.h"
#include "core/prompter.h"
#include "support/paths.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace hvc;

namespace {

const QString kHeader = QStringLiteral("JoyCode\tJoyName\tD1\tD2\tD3\tD4\tSel\tAxes\tId\n");

// A record line: code, the texts, Selectable, axisNum, joyId, then `rest` as it stands.
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
    bool run(const QString& body) { return cat.loadJoyListText(kHeader + body, prompter); }
};

} // namespace

TEST(JoyCatalogue, FieldsInFileOrderAndTheAxisCountSaysHowManyALineHas) {
    Load one;
    EXPECT_TRUE(one.cat.loadJoyListText(QStringLiteral("JoyCode\r\n"), one.prompter));
    ASSERT_TRUE(one.run(" A b \tLong name, with comma\t d1\t\td3\td4 \t0\t4\t-7\t" + pairs(4)));
    ASSERT_EQ(one.cat.joyCount(), 1);
    const JoyModel& r = one.cat.joyList(0);
    EXPECT_EQ((QStringList{r.joyCode, r.joyName, r.joyDesc1, r.joyDesc2, r.joyDesc4}),
              (QStringList{" A b ", "Long name, with comma", " d1", "", "d4 "}));
    EXPECT_EQ((std::vector<int>{r.selectable, r.axisNum, r.joyId, r.axisConfig[0], r.axisSpare[0],
                                r.axisConfig[3], r.axisSpare[3]}),
              (std::vector<int>{0, 4, -7, 11, 12, 41, 42}));
    // 1, 2 and 3 axes take 11, 13 and 15 fields; whatever follows, even text that
    // is no number, is ignored and those axes stay 0; one field short is a fault.
    for (int axes = 1; axes <= 3; ++axes) {
        Load l;
        ASSERT_TRUE(l.run(record("J", axes, 5, pairs(axes) + "\tnot a number\t\t99\n"))) << axes;
        const auto& config = l.cat.joyList(0).axisConfig;
        EXPECT_EQ(config[static_cast<size_t>(axes - 1)], 10 * axes + 1) << axes;
        EXPECT_EQ(config[static_cast<size_t>(axes)], 0) << axes;
        EXPECT_FALSE(l.run(record("J", axes, 5, pairs(axes).chopped(3)))) << "one field short";
    }
}

TEST(JoyCatalogue, FaultsNameTheFieldAndTheLineAndLoadNothing) {
    const QString range = QStringLiteral(" is not a whole number from -32768 to 32767");
    const QString good = record("OK", 1, 1, pairs(1)) + u'\n';
    const std::pair<QString, QString> cases[] = {
        {"E\tn\t1\t2\t3\t4\t1\t1\t\t1\t2", "JoyID is empty"},
        {"E\tn\t1\t2\t3\t4\tyes\t1\t3\t1\t2", "Selectable 'yes'" + range},
        {"E\tn\t1\t2\t3\t4\t1\t1\t40000\t1\t2", "JoyID '40000'" + range},
        {"E\tn\t1\t2\t3\t4\t1\t2\t3\t1\t2\t0x10\t0", "AxisConfig(2) '0x10'" + range},
        {"E\tn\t1\t2", "Selectable is missing (too few fields)"},
        // A blank line is a record, a final line break is not.
        {"", "Selectable is missing (too few fields)"},
    };
    for (const auto& [line, reason] : cases) {
        Load l;
        EXPECT_FALSE(l.run(good + line + u'\n'));
        EXPECT_EQ(l.cat.joyCount(), 0);
        EXPECT_EQ(l.prompter.texts(), QStringList{QString::fromLatin1(kJoyListMessage)});
        EXPECT_EQ(l.prompter.messages.value(0).detail, "line 3: " + reason);
    }
    for (const char* end : {"\n", "\r\n", "\r"}) {
        Load l;
        EXPECT_TRUE(l.run(good + good.chopped(1) + QLatin1String(end)) && l.cat.joyCount() == 2);
    }

    // kMaxRecords at most: one more fails the load, also after a good one.
    QString body;
    for (int i = 0; i < JoyCatalogue::kMaxRecords; ++i)
        body += record(QStringLiteral("J%1").arg(i), 1, i, pairs(1)) + u'\n';
    Load l;
    ASSERT_TRUE(l.run(body));
    EXPECT_EQ(l.cat.joyList(JoyCatalogue::kMaxRecords - 1).joyCode,
              QStringLiteral("J%1").arg(JoyCatalogue::kMaxRecords - 1));
    EXPECT_FALSE(l.run(body + record("X", 1, 99, pairs(1))));
    EXPECT_EQ(l.cat.joyCount(), 0);
    EXPECT_EQ(l.cat.lastError(), QStringLiteral("line %1: more than %2 records")
                                     .arg(JoyCatalogue::kMaxRecords + 2)
                                     .arg(JoyCatalogue::kMaxRecords));

    // A file that cannot be read keeps the count.
    ASSERT_TRUE(l.run(record("A", 1, 4, pairs(1))));
    EXPECT_FALSE(l.cat.loadJoyList(QStringLiteral("/nonexistent/JoylistNew.ini"), l.prompter));
    EXPECT_EQ(l.cat.joyCount(), 1);
    EXPECT_TRUE(l.cat.lastError().startsWith("cannot open '/nonexistent/JoylistNew.ini': "));
}

TEST(JoyCatalogue, TheLastNotUsedRecordCountsAndTheShippedCatalogueFitsTheMap) {
    Load l;
    QStringList lines;
    for (const auto& [code, id] :
         {std::pair{"NOTUSED", 3}, {"A", 4}, {"NOTUSED", 9}, {"notused", 11}, {"NOTUSED ", 12}})
        lines << record(QLatin1String(code), 1, id, pairs(1));
    ASSERT_TRUE(l.run(lines.join(u'\n')));
    EXPECT_EQ(l.cat.notUsedJoyId(), 9);
    // A catalogue without one keeps the identifier of the previous load.
    ASSERT_TRUE(l.run(record("A", 1, 4, pairs(1))));
    EXPECT_EQ(l.cat.notUsedJoyId(), 9);
    EXPECT_EQ(JoyCatalogue().notUsedJoyId(), 0);
    // The shipped catalogue fits the shipped map.
    JoyCatalogue joys;
    Catalogue map;
    ScriptedPrompter prompter;
    ASSERT_TRUE(joys.loadJoyList(test::sourcePath("res/ini/JoylistNew.ini"), prompter))
        << qPrintable(joys.lastError());
    ASSERT_TRUE(map.loadCatalogue(test::sourcePath("res/ini/Ramlist.ini"), prompter));
    EXPECT_EQ(joys.joyCount(), 21);
    const UnitVariable& idVar = map.var(HvcId::HVC_JOY_0_ID);
    QSet<int> ids;
    for (int i = 0; i < joys.joyCount(); ++i) {
        const JoyModel& r = joys.joyList(i);
        EXPECT_FALSE(ids.contains(r.joyId)) << qPrintable(r.joyCode);
        ids.insert(r.joyId);
        // A model must be choosable: its identifier fits the unit's identifier word.
        EXPECT_TRUE(r.joyId >= idVar.minValue && r.joyId <= idVar.maxValue) << r.joyId;
    }
    // Every identifier the joystick settings page writes has its record; "OFF" is not used.
    for (int id : {0, 1, 2, 5, 8})
        EXPECT_TRUE(ids.contains(id)) << id;
    EXPECT_EQ(joys.notUsedJoyId(), 8);

    for (int k = 0; k < 4; ++k) // the map's defaults name models of the catalogue
        EXPECT_TRUE(ids.contains(map.var(idAfter(HvcId::HVC_JOY_0_ID, k)).defaultValue)) << k;
}

// The common captions and the model a known identifier finds are checked on the
// configuration page (test_frmconfig); these are the corners.
TEST(JoyInputs, PinCaptionsAndTheCatalogueSlotOfEachInputsModel) {
    QStringList captions; // the axis field means nothing to a digital input (0x30F3)
    for (std::uint16_t word : {0x00F0, 0x0021, 0x0031, 0x0061, 0x8102, 0x000F, 0xFF0F, 0x30F3})
        captions << pinLabelText(word, QStringLiteral("before"));
    EXPECT_EQ(captions, (QStringList{"", "n.a.", "n.a", "J axis", "DI_01-DI_08", "OFF-OFF",
                                     "DI_15-DI_15", "OFF-DI_03"}));

    using Slots = std::array<int, 4>;
    const auto find = [](std::vector<std::int32_t> table, std::array<std::int32_t, 4> ids,
                         int count = -1) {
        return findJoyId(
            count < 0 ? static_cast<int>(table.size()) : count,
            [&table](int p) { return table[static_cast<size_t>(p)]; }, 99, ids);
    };
    // An unknown identifier shows the not-used record (99), or position 0 when the
    // table has none; of two records with one identifier the later one is taken;
    // only the records loaded are searched.
    EXPECT_EQ(find({5, 6, 7}, {7, 42, 0, 6}), (Slots{2, 0, 0, 1}));
    EXPECT_EQ(find({}, {1, 2, 3, 4}), (Slots{0, 0, 0, 0}));
    EXPECT_EQ(find({7, 99, 7, 99}, {7, 1, 99, 7}), (Slots{2, 3, 3, 2}));
    EXPECT_EQ(find({7, 99, 8}, {8, 7, 8, 7}, 2), (Slots{1, 0, 1, 0}));
}
