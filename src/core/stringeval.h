#pragma once
// Text arithmetic of the variable map's conversion formulas, and the small field
// readers every data-file loader uses.
//
// Formulas are evaluated strictly left to right, with no operator priority and no
// unary minus; "(" ")" group; X, Y and Z are variables. Number texts follow the
// decimal separator of the default QLocale.
//
// An expression that cannot be evaluated -- an empty operand where a number is
// needed ("--", a leading operator before a number), an operand that is not a
// number ("1.2.3"), a division by zero, a power or "&" outside its domain, a
// result that is not a finite double, an unbalanced "(" -- yields a quiet NaN.
// Callers that need an integer pass the result through toInteger(), which maps
// NaN to 0; evalSucceeded() tells the two apart.

#include <QString>
#include <QStringList>
#include <cstdint>

namespace hvc {

// Evaluation takes time linear in the length of the text.
double evalFormula(const QString& formula, std::int32_t x, std::int32_t y, std::int32_t z);
double evalExpression(const QString& expr);
QString selectPart(const QString& formula, int part);
QString replaceVariable(const QString& expr, QChar letter, std::int64_t value);
QString removeSpaces(const QString& expr);
// Returns NaN when the operand is needed and is not a number, or the result is undefined.
double applyOperator(double running, const QString& operand, const QString& op);
QString nextField(QString& line);
QString nextPart(QString& line);
// The lines of a data file's text: lines end at CR LF, LF or a lone CR, and a
// final line end does not start another line.
QStringList splitLines(const QString& text);
QString localDecimal(const QString& text);

// The decimal separator of the default locale.
QChar decimalSeparator();
// A number as a whole under the locale's rules: optional sign, digits with at most
// one decimal separator, optional exponent. Nothing else, not even blanks.
bool parseLocaleNumber(QStringView text, double& out);
// Shortest text that reads back to the same double, fixed notation, locale separator.
QString formatLocaleNumber(double value);

// What a variable map may hold as a formula: real maps stay far below, and a map
// beyond them is refused at load instead of slowing every conversion.
inline constexpr qsizetype kMaxFormulaLength = 1024;
inline constexpr int kMaxFormulaDepth = 64;
// Why a formula of a map is refused: too long or groups nested too deep; "" when fine.
QString formulaLimitFault(const QString& formula);

inline bool evalSucceeded(double value) {
    return value == value;
}

// Nearest 32-bit integer, exact halves to the even neighbour. NaN gives 0; values
// beyond the 32-bit range saturate.
std::int32_t toInteger(double value);

} // namespace hvc
