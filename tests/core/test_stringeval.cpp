#include "core/stringeval.h"
#include "core/unitvariable.h"
#include "support/localeguard.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace hvc;

namespace {

constexpr double kFails = std::numeric_limits<double>::quiet_NaN();

bool sameResult(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

QString nested(int depth, const QString& core) {
    return QString(depth, u'(') + core + QString(depth, u')');
}

struct Case {
    const char* formula;
    double result; // kFails: the formula cannot be evaluated
    int x = 0, y = 0, z = 0;
    bool comma = false; // under a locale with "," as its decimal separator
};

} // namespace

TEST(StringEval, FormulasPartsWholeNumbersAndTheExactLimits) {
    // Left to right without priority; a zero running value takes the next operand;
    // Y and Z go in as absolute values; an unknown operator gives 0, "&" rounds halves
    // to even; faults give NaN; the decimal separator is the locale's.
    const std::pair<const char*, double> plain[] = {
        {"2+3*4", 20},  {"2*(3+4)", 14}, {"((1+1)*(2+2))", 8}, {"10&6", 2}, {"2^10", 1024},
        {" 2 + 3 ", 5}, {"3-3*4+1", 5},  {"5-5+2", 2},         {"(5)", 5},  {"10-3", 7},
        {"1e3", 1000},  {"", 0},         {"5e-1", 0.5},        {"5%3", 0},  {"2.5&3", 2},
        {"3.5&7", 4},   {"1e-400", 0}};
    const std::pair<const char*, double> edges[] = {
        {"-1e-400", 0},     {"0.0001e-320", 0},       {"(1e-400)+2", 2},   {"2--3", kFails},
        {"4/0", kFails},    {"4/(2-2)", kFails},      {"1.2.3+1", kFails}, {"(1+2", kFails},
        {"10^400", kFails}, {"5000000000&1", kFails}, {"abc", kFails},     {"(1/4)*2", 0.5},
        {"1,5+1", 1}};
    // Quirks kept from the earlier evaluator: "2(3)" is 23, a ")" that closes
    // nothing is an unknown operator, "1+-2+-3" runs out of steps.
    const std::pair<const char*, double> quirks[] = {
        {"2(3)", 23},        {"(1)(2)+1", 13}, {"(1))+2", 2},       {"1+-2+-3", 0},
        {"1+-2", -1},        {"10+-3", 7},     {"(0-1)*3", kFails}, {"3+(1-6)", -2},
        {"(1-6)+3", kFails}, {"(1e3)", 1000},  {"(1)e(3)", 1000}};
    std::vector<Case> cases = {
        {"X*10/4", 7.5, 3, 0, 0, false},  {"X", -300, -300, 0, 0, false},
        {"10+X", 7, -3, 0, 0, false},     {"Y+1", 5, 0, -4, 0, false},
        {"z*2", 12, 0, 0, -6, false},     {"x+1", 5, 4, 0, 0, false},
        {"2*(x+1)", 12, 5, 0, 0, false},  {"Y", 2147483648.0, 0, INT32_MIN, 0, false},
        {"X*2", kFails, -3, 0, 0, false}, {"X*2,5", 5, 2, 0, 0, true},
        {"(1/4)*2", 0.5, 0, 0, 0, true},  {"1.5+1", 1, 0, 0, 0, true}};
    const auto add = [&cases](const auto& table) {
        for (const auto& [formula, result] : table)
            cases.push_back({formula, result});
    };
    add(plain), add(edges), add(quirks);
    for (const Case& c : cases) {
        LocaleGuard guard(c.comma ? QLocale::German : QLocale::English,
                          c.comma ? QLocale::Germany : QLocale::UnitedStates);
        const double got = evalFormula(QString::fromLatin1(c.formula), c.x, c.y, c.z);
        EXPECT_TRUE(sameResult(got, c.result)) << c.formula << " gave " << got;
    }
    EXPECT_EQ(toInteger(kFails), 0);
    EXPECT_DOUBLE_EQ(applyOperator(5, QStringLiteral("3"), QString()), 0);
    EXPECT_DOUBLE_EQ(applyOperator(5, QStringLiteral("3"), QStringLiteral("-")), 2);
    LocaleGuard german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(decimalSeparator(), QChar(u','));
    EXPECT_EQ(localDecimal(QStringLiteral("X*0.5")), QStringLiteral("X*0,5"));
    LocaleGuard english(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(localDecimal(QStringLiteral("X*0.5")), QStringLiteral("X*0.5"));
    // Parts, whole numbers and the parser's corners.
    // A formula without parts is the same in every part; a part beyond the last is empty.
    EXPECT_EQ(selectPart(QStringLiteral("A|B|C|D"), 3) + selectPart(QStringLiteral("X/2"), 7) +
                  selectPart(QStringLiteral("A|B"), 3),
              QStringLiteral("CX/2"));
    for (const auto& [value, whole] :
         {std::pair{2.5, 2}, {3.5, 4}, {-2.5, -2}, {1e300, INT32_MAX}, {-1e300, INT32_MIN}})
        EXPECT_EQ(toInteger(value), whole) << value;
    std::int32_t field = 7;
    EXPECT_TRUE(parseIntField(QStringLiteral("1e-400"), -10, 10, field));
    EXPECT_EQ(field, 0);
    // Deep nesting evaluates; the limits are exact.
    for (const int depth : {1000, 100000})
        EXPECT_DOUBLE_EQ(evalFormula(nested(depth, QStringLiteral("1+X")), 2, 0, 0), 3) << depth;
    EXPECT_DOUBLE_EQ(evalFormula(nested(5000, QStringLiteral("(2*3)+(X&6)")), 7, 0, 0), 12);
    EXPECT_FALSE(evalSucceeded(evalFormula(nested(3000, QStringLiteral("1")).chopped(1), 0, 0, 0)));

    EXPECT_EQ(formulaLimitFault(nested(kMaxFormulaDepth, QStringLiteral("X"))), QString());
    EXPECT_EQ(formulaLimitFault(nested(kMaxFormulaDepth + 1, QStringLiteral("X"))),
              QStringLiteral("formula with groups nested 65 deep (at most 64)"));
    EXPECT_EQ(formulaLimitFault(QString(kMaxFormulaLength, u'1')), QString());
    EXPECT_EQ(formulaLimitFault(QString(kMaxFormulaLength + 1, u'1')),
              QStringLiteral("formula of 1025 characters (at most 1024)"));
}
