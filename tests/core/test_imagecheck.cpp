#include "core/appstate.h"
#include "core/configfile.h"
#include "core/imagecheck.h"
#include "core/prompter.h"
#include "core/transfer.h"

#include <gtest/gtest.h>

using namespace hvc;

namespace {

struct Fixture {
    AppState state;
    ScriptedPrompter prompter;
    Fixture() {
        EXPECT_TRUE(
            state.catalogue.LoadCatalogue(QStringLiteral(HVC_TEST_DATA "/cfg_map.ini"), prompter));
    }
    int at(const char* name) const { return state.catalogue.FindByName(QString::fromLatin1(name)); }
};

} // namespace

TEST(ConfigImageCheck, ValuesOutsideTheLimitsOrAWordAreFound) {
    Fixture fx;
    const int sections = fx.at("HVC_NUM_PROP_REG");
    const int iMin = fx.at("HVC_I0_MIN"); // 0..1500
    ConfigFileData data;
    data.entries = {{iMin, 2000}, {sections, 9}, {iMin, 1500}, {fx.at("Zero Offset"), 70000}};
    const QList<ValueFault> faults = CheckFileValues(fx.state.catalogue, data);
    ASSERT_EQ(faults.size(), 2) << "the last line of a variable is the one that counts";
    EXPECT_EQ(DescribeValueFaults(fx.state.catalogue, faults),
              (QStringList{"Prop. Sections = 9 (allowed 1..4)",
                           "Zero Offset = 70000 (does not fit a unit word, -32768..65535)"}));
    const QList<ValueFault> forced = CheckFileValues(fx.state.catalogue, data, true);
    ASSERT_EQ(forced.size(), 1);
    EXPECT_TRUE(forced[0].overWide);

    const Status status = CheckConfigFileValues(fx.state.catalogue, data);
    EXPECT_EQ(status.text(), QStringLiteral("Error Loading File!"));
    EXPECT_TRUE(status.detail().startsWith("2 values the unit must not get: Prop. Sections = 9"));
    data.entries = {{iMin, 0}, {sections, 1}};
    EXPECT_TRUE(CheckConfigFileValues(fx.state.catalogue, data).ok());
}

TEST(ConfigImageCheck, AWordMatchesOnlyAValueItCanCarry) {
    EXPECT_TRUE(sameWord(800, 800));
    EXPECT_TRUE(sameWord(40000, 40000 - 65536)) << "the unit reads its words signed";
    EXPECT_TRUE(sameWord(-1, 65535));
    EXPECT_FALSE(sameWord(70000, 70000 - 65536)) << "low 16 bits alike, value not carried";
    EXPECT_FALSE(sameWord(-32769, 32767));
}

TEST(ConfigImageCheck, MissingVariablesFollowTheFilesSections) {
    Fixture fx;
    const std::uint16_t mask = readKeyAll(fx.state);
    // A file saved from these values is complete.
    const QByteArray whole = BuildConfigFile(fx.state);
    ConfigFileData data;
    ASSERT_TRUE(ParseConfigFile(whole, fx.state.catalogue, data).ok());
    EXPECT_TRUE(MissingFromFile(fx.state.catalogue, data, mask).isEmpty())
        << "a variable behind another with its address is never missing";

    const ConfigEntry last = data.entries.takeLast();
    const QList<int> missing = MissingFromFile(fx.state.catalogue, data, mask);
    EXPECT_EQ(missing, QList<int>{last.position});
    EXPECT_EQ(NameList(fx.state.catalogue, missing), fx.state.catalogue[last.position].Name);

    // With one section less in the file, what belongs to the dropped section is
    // not expected; with no lines at all, everything of the default sections is.
    const int sections = fx.at("HVC_NUM_PROP_REG");
    ConfigFileData none;
    const QList<int> all = MissingFromFile(fx.state.catalogue, none, mask);
    EXPECT_GE(all.size(), data.entries.size());
    none.entries = {{sections, 1}};
    EXPECT_LT(MissingFromFile(fx.state.catalogue, none, mask).size(), all.size());
    EXPECT_TRUE(NameList(fx.state.catalogue, all, 2)
                    .endsWith(QStringLiteral(" and %1 more").arg(all.size() - 2)));
}
