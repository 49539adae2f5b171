// What the monitor's status and configuration words mean for its indicators.

#include "core/monitorwords.h"
#include "core/prompter.h"
#include "support/shippedrecords.h"

#include <gtest/gtest.h>

using namespace hvc;

TEST(MonitorWords, ReadyIsTheErrorWordWithoutBit6) {
    EXPECT_TRUE(unitReady(0x0040));
    EXPECT_TRUE(unitReady(0x0000));
    EXPECT_FALSE(unitReady(0x0001));
    EXPECT_FALSE(unitReady(0x0041));
    EXPECT_FALSE(unitReady(0x8040));
    EXPECT_EQ(readyText(0x0040), QStringLiteral("READY"));
    EXPECT_EQ(readyText(0x0041), QStringLiteral("NOT READY"));
}

TEST(MonitorWords, OutputsAndInputsByBit) {
    // 0x0005 lights side A of sections 0 and 1 and nothing else.
    EXPECT_EQ(outputsOn(0x0005), (QList<QString>{QStringLiteral("1A"), QStringLiteral("2A")}));
    for (int section = 0; section < 4; ++section) {
        EXPECT_EQ(outputOn(0x0005, section, ValveSide::A), section < 2);
        EXPECT_FALSE(outputOn(0x0005, section, ValveSide::B));
    }
    EXPECT_EQ(outputsOn(0x0082), (QList<QString>{QStringLiteral("1B"), QStringLiteral("4B")}));
    EXPECT_FALSE(outputOn(0xFFFF, 4, ValveSide::A));
    // Input 0 watches bit 0.
    EXPECT_TRUE(inputActive(0x0001, 0));
    EXPECT_FALSE(inputActive(0x0002, 0));
    EXPECT_TRUE(inputActive(0x8000, 15));
    EXPECT_EQ(inputsActive(0x0203), (QList<int>{0, 1, 9}));
}

TEST(MonitorWords, InputIndicatorsTakeTheirNumbersFromTheConfigurationWords) {
    EXPECT_EQ(wordField(0x9001, 0), 1);
    EXPECT_EQ(wordField(0x9001, 3), 9);
    EXPECT_EQ(wordField(-28671, 3), 9) << "the same word read as a signed number";

    ScriptedPrompter prompter;
    AppState state;
    test::loadShippedRecordsAsRead(state, prompter);
    Catalogue& c = state.catalogue;
    c.Var(HvcId::HVC_JOY_0_CONFIG).E2InECU = 0x0051; // analog: no digital inputs
    c.Var(HvcId::HVC_JOY_1_CONFIG).E2InECU = 0x3202; // digital on inputs 2 and 3
    c.Var(HvcId::HVC_JOY_2_CONFIG).E2InECU = 0x0002; // digital, nothing connected
    c.Var(HvcId::HVC_JOY_3_CONFIG).E2InECU = 0x5403; // digital, but section 4 not configured
    c.Var(HvcId::HVC_FLOAT_CONFIG_1).E2InECU = 0;
    c.Var(HvcId::HVC_FLOAT_CONFIG_2).E2InECU = 0x00A7;
    QStringList seen;
    for (const InputIndicator& i : inputIndicators(c, 3))
        seen << QStringLiteral("%1=%2").arg(i.objectName, inputCaption(i.input, i.joystick));
    EXPECT_EQ(seen, (QStringList{
                        QStringLiteral("lblDinLJoy_1=DI_02"),
                        QStringLiteral("lblDinHJoy_1=DI_03"),
                        QStringLiteral("lblDinLJoy_2=OFF"),
                        QStringLiteral("lblDinHJoy_2=OFF"),
                        QStringLiteral("LblPinDM=N.C."),
                        QStringLiteral("LblPinSL=N.C."),
                        QStringLiteral("LblFL_0=N.C."),
                        QStringLiteral("LblFL_1=N.C."),
                        QStringLiteral("LblFL_2=DI_07"),
                        QStringLiteral("LblFL_3=DI_10"),
                    }));
}

TEST(MonitorWords, DisplayFormatsGiveTheirDecimals) {
    EXPECT_EQ(formatDisplayValue(24.13, QStringLiteral("####0.0")), QStringLiteral("24.1"));
    EXPECT_EQ(formatDisplayValue(49.6, QStringLiteral("####0")), QStringLiteral("50"));
    EXPECT_EQ(formatDisplayValue(-0.2, QStringLiteral("###0")), QStringLiteral("0"));
    EXPECT_EQ(formatDisplayValue(-3.0, QStringLiteral("###0")), QStringLiteral("-3"));
}
