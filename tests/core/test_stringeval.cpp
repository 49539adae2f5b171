#include "core/cvardata.h"
#include "core/stringeval.h"
#include "referenceeval.h"
#include "support/localeguard.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

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

namespace {
bool sameResult(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}
QString nested(int depth, const QString& core) {
    return QString(depth, u'(') + core + QString(depth, u')');
}
} // namespace

// The single-pass evaluator gives what the group-by-group rewriting gave, for
// every text: quirks included ("2(3)" is 23, a ")" that closes nothing is an
// unknown operator, "1+-2+-3" runs out of steps).
TEST(StringEval, AgreesWithTheRewritingEvaluator) {
    const QString alphabet = QStringLiteral("0123456789.,+-*/^&()()XYZxe %");
    for (const auto lang : {QLocale::English, QLocale::German}) {
        LocaleGuard guard(lang, lang == QLocale::German ? QLocale::Germany : QLocale::UnitedStates);
        std::mt19937 rng(20240611u + static_cast<unsigned>(lang));
        std::uniform_int_distribution<int> length(0, 20);
        std::uniform_int_distribution<qsizetype> pick(0, alphabet.size() - 1);
        std::uniform_int_distribution<int> value(-40000, 40000);
        for (int n = 0; n < 40000; ++n) {
            QString f;
            for (int i = length(rng); i > 0; --i)
                f += alphabet.at(pick(rng));
            const int x = value(rng), y = value(rng), z = value(rng);
            const double expected = reference::evalFormula(f, x, y, z);
            const double got = EvalFormula(f, x, y, z);
            ASSERT_TRUE(sameResult(got, expected))
                << f.toStdString() << " x=" << x << " y=" << y << " z=" << z << ": " << got
                << " instead of " << expected;
        }
    }
    for (const char* f : {"2(3)", "(1)(2)+1", "(1))+2", "1+-2+-3", "1+-2", "(0-1)*3", "3+(1-6)",
                          "(1-6)+3", "(1e3)", "(1)e(3)", "2*(x+1)"})
        EXPECT_TRUE(sameResult(eval(f, 5), reference::evalFormula(QString::fromLatin1(f), 5, 0, 0)))
            << f;
}

TEST(StringEval, DeepNestingEvaluates) {
    for (const int depth : {1000, 10000, 100000})
        EXPECT_DOUBLE_EQ(EvalFormula(nested(depth, QStringLiteral("1+X")), 2, 0, 0), 3) << depth;
    EXPECT_DOUBLE_EQ(EvalFormula(nested(5000, QStringLiteral("(2*3)+(X&6)")), 7, 0, 0), 12);
    EXPECT_TRUE(fails(qPrintable(nested(3000, QStringLiteral("1")).chopped(1))));
}

TEST(StringEval, NumbersTooCloseToZeroReadAsZero) {
    for (const char* f : {"1e-400", "1E-400", "-1e-400", "0.0001e-320", "(1e-400)+2"})
        EXPECT_DOUBLE_EQ(eval(f), std::string(f).back() == '2' ? 2 : 0) << f;
    double v = -1;
    EXPECT_TRUE(ParseLocaleNumber(u"1e-400", v));
    EXPECT_EQ(v, 0);
    EXPECT_FALSE(ParseLocaleNumber(u"1e400", v)) << "too large stays no number";
    EXPECT_FALSE(ParseLocaleNumber(u"0.001e99999999999999999999", v));
    v = -1;
    EXPECT_TRUE(ParseLocaleNumber(u"100000e-99999999999999999999", v));
    EXPECT_EQ(v, 0);
    std::int32_t field = 7;
    EXPECT_TRUE(ParseIntField(QStringLiteral("1e-400"), -10, 10, field));
    EXPECT_EQ(field, 0);
    EXPECT_DOUBLE_EQ(eval("5e-1"), 0.5);
}

TEST(StringEval, FormulaLimits) {
    EXPECT_EQ(FormulaLimitFault(QStringLiteral("((X*10)/4+(X&255))*2")), QString());
    EXPECT_EQ(FormulaLimitFault(nested(kMaxFormulaDepth, QStringLiteral("X"))), QString());
    EXPECT_EQ(FormulaLimitFault(nested(kMaxFormulaDepth + 1, QStringLiteral("X"))),
              QStringLiteral("formula with groups nested 65 deep (at most 64)"));
    // Depth counts open groups, not all "(" of the text.
    QString flat;
    for (int i = 0; i < 100; ++i)
        flat += QStringLiteral("(1)");
    EXPECT_EQ(FormulaLimitFault(flat), QString());
    EXPECT_EQ(FormulaLimitFault(QString(kMaxFormulaLength, u'1')), QString());
    EXPECT_EQ(FormulaLimitFault(QString(kMaxFormulaLength + 1, u'1')),
              QStringLiteral("formula of 1025 characters (at most 1024)"));
}
