#include "core/stringeval.h"
#include "support/localeguard.h"

#include <gtest/gtest.h>

using namespace hvc;

namespace {
double eval(const char* f, int x = 0, int y = 0, int z = 0) {
    return EvalFormula(QString::fromLatin1(f), x, y, z);
}
bool fails(const char* f, int x = 0) {
    return !EvalSucceeded(eval(f, x));
}
} // namespace

TEST(StringEval, LeftToRightWithoutPriority) {
    EXPECT_DOUBLE_EQ(eval("X*10/4", 3), 7.5);
    EXPECT_DOUBLE_EQ(eval("2+3*4"), 20);
    EXPECT_DOUBLE_EQ(eval("2*(3+4)"), 14);
    EXPECT_DOUBLE_EQ(eval("(2+3)*4"), 20);
    EXPECT_DOUBLE_EQ(eval("((1+1)*(2+2))"), 8);
    EXPECT_DOUBLE_EQ(eval("10&6"), 2);
    EXPECT_DOUBLE_EQ(eval("2^10"), 1024);
    EXPECT_DOUBLE_EQ(eval(" 2 + 3 "), 5);
}

TEST(StringEval, NumbersAsAWhole) {
    EXPECT_DOUBLE_EQ(eval("5"), 5);
    EXPECT_DOUBLE_EQ(eval("(5)"), 5);
    EXPECT_DOUBLE_EQ(eval("(2+3)"), 5);
    EXPECT_DOUBLE_EQ(eval("X", 300), 300);
    EXPECT_DOUBLE_EQ(eval("X", -300), -300); // a signed number is a number as a whole
    EXPECT_DOUBLE_EQ(eval("1e3"), 1000);
    EXPECT_DOUBLE_EQ(eval(""), 0);
}

TEST(StringEval, ZeroRunningValueTakesTheNextOperand) {
    EXPECT_DOUBLE_EQ(eval("3-3*4+1"), 5);
    EXPECT_DOUBLE_EQ(eval("0+7"), 7);
    EXPECT_DOUBLE_EQ(eval("5-5+2"), 2);
}

TEST(StringEval, SignsOfSubstitutedVariables) {
    EXPECT_DOUBLE_EQ(eval("10+X", -3), 7);   // 10+-3 reads 10-3
    EXPECT_DOUBLE_EQ(eval("Y+1", 0, -4), 5); // Y and Z go in as absolute values
    EXPECT_DOUBLE_EQ(eval("z*2", 0, 0, -6), 12);
    EXPECT_DOUBLE_EQ(eval("x+1", 4), 5); // letters in either case
    // The absolute value of the most negative 32-bit number does not fit 32 bits.
    EXPECT_DOUBLE_EQ(eval("Y", 0, INT32_MIN), 2147483648.0);
}

TEST(StringEval, FaultsGiveNaNNotACrash) {
    EXPECT_TRUE(fails("X*2", -3)); // leading operator: no operand before "-"
    EXPECT_TRUE(fails("2--3"));
    EXPECT_TRUE(fails("4/0"));
    EXPECT_TRUE(fails("4/(2-2)"));
    EXPECT_TRUE(fails("1.2.3+1"));
    EXPECT_TRUE(fails("(1+2"));
    EXPECT_TRUE(fails("10^400"));
    EXPECT_TRUE(fails("5000000000&1"));
    EXPECT_TRUE(fails("abc"));
    EXPECT_EQ(ToInteger(eval("4/0")), 0);
}

TEST(StringEval, UnknownOperatorGivesZero) {
    EXPECT_DOUBLE_EQ(eval("5%3"), 0);
    EXPECT_DOUBLE_EQ(ApplyOperator(5, QStringLiteral("3"), QString()), 0);
    EXPECT_DOUBLE_EQ(ApplyOperator(5, QStringLiteral("3"), QStringLiteral("-")), 2);
}

TEST(StringEval, AndRoundsHalvesToEven) {
    EXPECT_DOUBLE_EQ(eval("2.5&3"), 2); // 2.5 rounds to 2
    EXPECT_DOUBLE_EQ(eval("3.5&7"), 4); // 3.5 rounds to 4
}

TEST(StringEval, CommaLocale) {
    LocaleGuard guard(QLocale::German, QLocale::Germany);
    EXPECT_EQ(DecimalSeparator(), QChar(u','));
    EXPECT_DOUBLE_EQ(eval("X*2,5", 2), 5);
    EXPECT_DOUBLE_EQ(eval("(1/4)*2"), 0.5); // the group's value is written back with ","
    // "." is no decimal point here but an unknown operator: 1 . 5 gives 0, then +1.
    EXPECT_DOUBLE_EQ(eval("1.5+1"), 1);
    EXPECT_EQ(LocalDecimal(QStringLiteral("X*0.5")), QStringLiteral("X*0,5"));
}

TEST(StringEval, DotLocale) {
    LocaleGuard guard(QLocale::English, QLocale::UnitedStates);
    EXPECT_DOUBLE_EQ(eval("(1/4)*2"), 0.5);
    EXPECT_DOUBLE_EQ(eval("1,5+1"), 1);
    EXPECT_EQ(LocalDecimal(QStringLiteral("X*0.5")), QStringLiteral("X*0.5"));
}

TEST(StringEval, SelectPart) {
    EXPECT_EQ(SelectPart(QStringLiteral("A|B"), 3), QString());
    EXPECT_EQ(SelectPart(QStringLiteral("A|B"), 2), QStringLiteral("B"));
    EXPECT_EQ(SelectPart(QStringLiteral("A|B|C|D"), 3), QStringLiteral("C"));
    EXPECT_EQ(SelectPart(QStringLiteral("A|B|C"), 4), QString());
    EXPECT_EQ(SelectPart(QStringLiteral("X/2"), 7), QStringLiteral("X/2"));
    EXPECT_EQ(SelectPart(QString(), 1), QString());
}

TEST(StringEval, FieldReaders) {
    QString line = QStringLiteral("a\tb\t");
    EXPECT_EQ(NextField(line), QStringLiteral("a"));
    EXPECT_EQ(line, QStringLiteral("b\t"));
    EXPECT_EQ(NextField(line), QStringLiteral("b"));
    EXPECT_TRUE(line.isEmpty());
    QString parts = QStringLiteral("x|y");
    EXPECT_EQ(NextPart(parts), QStringLiteral("x"));
    EXPECT_EQ(NextPart(parts), QStringLiteral("y"));
    EXPECT_EQ(NextPart(parts), QString());
}

TEST(StringEval, ToIntegerHalvesToEven) {
    EXPECT_EQ(ToInteger(2.5), 2);
    EXPECT_EQ(ToInteger(3.5), 4);
    EXPECT_EQ(ToInteger(-2.5), -2);
    EXPECT_EQ(ToInteger(1e300), INT32_MAX);
    EXPECT_EQ(ToInteger(-1e300), INT32_MIN);
}
