#include "core/stringeval.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace hvc {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

std::optional<double> roundTo32(double v);

// Reads an unsigned operand made of digits and the separator, as the flat
// evaluation collects them.
std::optional<double> readOperand(QStringView text) {
    double v = 0;
    if (text.isEmpty() || !parseLocaleNumber(text, v))
        return std::nullopt;
    return v;
}

// One step of the running value; a null `op` is no operator at all (gives 0).
double applyOp(double running, QStringView operand, QChar op) {
    if (op != u'+' && op != u'-' && op != u'*' && op != u'/' && op != u'^' && op != u'&')
        return 0;
    const auto n = readOperand(operand);
    if (!n)
        return kNaN;
    double r = kNaN;
    switch (op.unicode()) {
    case u'+':
        r = running + *n;
        break;
    case u'-':
        r = running - *n;
        break;
    case u'*':
        r = running * *n;
        break;
    case u'/':
        r = *n == 0 ? kNaN : running / *n;
        break;
    case u'^':
        r = std::pow(running, *n);
        break;
    case u'&': {
        const auto a = roundTo32(running);
        const auto b = roundTo32(*n);
        if (a && b)
            r = static_cast<double>(static_cast<std::int32_t>(*a) & static_cast<std::int32_t>(*b));
        break;
    }
    default:
        break;
    }
    return std::isfinite(r) ? r : kNaN;
}

// An expression without groups, left to right. "+-" reads as "-" (a "+" whose next
// other sign is "-" goes). The scan still runs over the length the text had
// before, and each of those extra steps sees no character: that is how the
// maps' formulas have always been read, so the results stay as they were.
std::optional<double> evalFlat(const QString& text, QChar sep) {
    QString expr;
    expr.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'-')
            while (!expr.isEmpty() && expr.back() == u'+')
                expr.chop(1);
        expr.append(c);
    }
    const QStringView e(expr);
    const qsizetype n = e.size();
    const qsizetype steps = text.size();
    double running = 0;
    qsizetype start = 0; // the operand is e[start, i)
    QChar op;            // null: none yet
    for (qsizetype i = 0; i < steps; ++i) {
        const QChar c = i < n ? e[i] : QChar();
        if (!c.isNull() && (isDigit(c) || c == sep))
            continue;
        const QStringView operand = e.mid(start, std::min(i, n) - start);
        if (running == 0) {
            const auto v = readOperand(operand);
            if (!v)
                return std::nullopt;
            running = *v;
        } else {
            running = applyOp(running, operand, op);
            if (!evalSucceeded(running))
                return std::nullopt;
        }
        start = std::min(i + 1, n);
        op = c;
    }
    if (start < n) {
        running = applyOp(running, e.mid(start), op);
        if (!evalSucceeded(running))
            return std::nullopt;
    }
    return running;
}

std::optional<double> wholeOrFlat(const QString& expr, QChar sep) {
    double v = 0;
    if (parseLocaleNumber(expr, v))
        return v;
    return evalFlat(expr, sep);
}

// A group's text once its inner groups are replaced by their values: letters in
// either case, X, Y and Z as 0.
double evalGroup(const QString& inner, QChar sep) {
    QString expr = inner.toUpper();
    for (const QChar letter : {u'X', u'Y', u'Z'})
        expr.replace(letter, u'0');
    const auto v = wholeOrFlat(expr, sep);
    return v ? *v : kNaN;
}

std::optional<double> roundTo32(double v) {
    if (!std::isfinite(v))
        return std::nullopt;
    const double r = std::nearbyint(v); // default rounding mode: halves to even
    if (r < std::numeric_limits<std::int32_t>::min() ||
        r > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return r;
}

// Whether a number text out of the double range ("[-]digits[.digits][e[+-]digits]")
// is out of it because it is too close to 0, rather than too large.
bool tooSmallForDouble(const std::string& ascii) {
    std::size_t i = ascii[0] == '-' ? 1 : 0;
    long long integerDigits = 0;
    bool leading = true;
    for (; i < ascii.size() && ascii[i] >= '0' && ascii[i] <= '9'; ++i) {
        leading = leading && ascii[i] == '0';
        if (!leading)
            ++integerDigits;
    }
    long long magnitude = integerDigits - 1; // decimal exponent of the first significant digit
    if (integerDigits == 0 && i < ascii.size() && ascii[i] == '.') {
        for (++i; i < ascii.size() && ascii[i] == '0'; ++i)
            --magnitude;
    }
    const std::size_t e = ascii.find('e');
    long long exponent = 0;
    if (e != std::string::npos) {
        std::size_t j = e + 1;
        const bool negative = j < ascii.size() && ascii[j] == '-';
        if (j < ascii.size() && (ascii[j] == '-' || ascii[j] == '+'))
            ++j;
        for (; j < ascii.size(); ++j)
            exponent = std::min(exponent * 10 + (ascii[j] - '0'), 1'000'000'000LL);
        if (negative)
            exponent = -exponent;
    }
    return magnitude + exponent < 0;
}

} // namespace

QChar decimalSeparator() {
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? QChar(u'.') : point.at(0);
}

bool parseLocaleNumber(QStringView text, double& out) {
    const QChar sep = decimalSeparator();
    std::string ascii;
    ascii.reserve(static_cast<size_t>(text.size()));
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            ascii.push_back('-');
        ++i;
    }
    int mantissaDigits = 0;
    bool seenSep = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (isDigit(c)) {
            ascii.push_back(static_cast<char>(c.unicode()));
            ++mantissaDigits;
        } else if (c == sep && !seenSep) {
            ascii.push_back('.');
            seenSep = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0)
        return false;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ascii.push_back('e');
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            ascii.push_back(static_cast<char>(text[i++].unicode()));
        int expDigits = 0;
        for (; i < n && isDigit(text[i]); ++i, ++expDigits)
            ascii.push_back(static_cast<char>(text[i].unicode()));
        if (expDigits == 0)
            return false;
    }
    if (i != n)
        return false;
    double v = 0;
    const auto res = std::from_chars(ascii.data(), ascii.data() + ascii.size(), v);
    if (res.ptr != ascii.data() + ascii.size())
        return false;
    if (res.ec == std::errc::result_out_of_range && tooSmallForDouble(ascii))
        v = 0; // "1e-400" is 0, as every other number reader of the program takes it
    else if (res.ec != std::errc() || !std::isfinite(v))
        return false;
    out = v;
    return true;
}

QString formatLocaleNumber(double value) {
    char buf[512];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    if (res.ec != std::errc())
        return QString::number(value, 'g', 17);
    QString text = QString::fromLatin1(buf, res.ptr - buf);
    const QChar sep = decimalSeparator();
    if (sep != u'.')
        text.replace(u'.', sep);
    return text;
}

std::int32_t toInteger(double value) {
    if (std::isnan(value))
        return 0;
    const double r = std::nearbyint(value);
    if (r <= std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    if (r >= std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(r);
}

QString replaceVariable(const QString& expr, QChar letter, std::int64_t value) {
    QString copy = expr;
    return copy.replace(letter, QString::number(value));
}

QString removeSpaces(const QString& expr) {
    QString copy = expr;
    return copy.remove(u' ');
}

double applyOperator(double running, const QString& operand, const QString& op) {
    if (op.size() != 1)
        return 0;
    return applyOp(running, operand, op.at(0));
}

double evalFormula(const QString& formula, std::int32_t x, std::int32_t y, std::int32_t z) {
    QString expr = formula.toUpper();
    if (expr.contains(u'X'))
        expr = replaceVariable(expr, u'X', x);
    expr = replaceVariable(expr, u'Y', std::abs(static_cast<std::int64_t>(y)));
    expr = replaceVariable(expr, u'Z', std::abs(static_cast<std::int64_t>(z)));
    return evalExpression(expr);
}

double evalExpression(const QString& exprIn) {
    const QChar sep = decimalSeparator();
    const QString expr = exprIn.contains(u' ') ? removeSpaces(exprIn) : exprIn;
    // One pass: each "(" opens a text of its own; its ")" evaluates it and writes
    // the value into the enclosing text, innermost first, as the value's digits
    // (so "2(3)" reads 23). A ")" that closes nothing stays as a character.
    std::vector<QString> open(1);
    for (const QChar c : expr) {
        if (c == u'(') {
            open.emplace_back();
        } else if (c == u')' && open.size() > 1) {
            const double inner = evalGroup(open.back(), sep);
            open.pop_back();
            if (!evalSucceeded(inner))
                return kNaN;
            open.back() += formatLocaleNumber(inner);
        } else {
            open.back() += c;
        }
    }
    if (open.size() > 1)
        return kNaN; // a group that never closes
    const auto v = wholeOrFlat(open.front(), sep);
    return v ? *v : kNaN;
}

QString formulaLimitFault(const QString& formula) {
    if (formula.size() > kMaxFormulaLength)
        return QStringLiteral("formula of %1 characters (at most %2)")
            .arg(formula.size())
            .arg(kMaxFormulaLength);
    int depth = 0;
    int deepest = 0;
    for (const QChar c : formula) {
        if (c == u'(')
            deepest = std::max(deepest, ++depth);
        else if (c == u')' && depth > 0)
            --depth;
    }
    if (deepest > kMaxFormulaDepth)
        return QStringLiteral("formula with groups nested %1 deep (at most %2)")
            .arg(deepest)
            .arg(kMaxFormulaDepth);
    return {};
}

QString selectPart(const QString& formula, int part) {
    if (formula.isEmpty())
        return {};
    if (!formula.contains(u'|'))
        return formula;
    QString rest = formula;
    QString p1 = nextPart(rest);
    QString p2 = nextPart(rest);
    QString p3 = nextPart(rest);
    switch (part) {
    case 1:
        return p1;
    case 2:
        return p2;
    case 3:
        return p3;
    default:
        return {};
    }
}

namespace {
QString nextSeparated(QString& line, QChar sep) {
    const qsizetype at = line.indexOf(sep);
    if (at < 0) {
        QString whole;
        whole.swap(line);
        return whole;
    }
    QString head = line.left(at);
    line.remove(0, at + 1);
    return head;
}
} // namespace

QString nextField(QString& line) {
    return nextSeparated(line, u'\t');
}
QString nextPart(QString& line) {
    return nextSeparated(line, u'|');
}

QStringList splitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines << text.mid(start);
    return lines;
}

QString localDecimal(const QString& text) {
    const QChar sep = decimalSeparator();
    if (sep == u'.')
        return text;
    QString copy = text;
    return copy.replace(u'.', sep);
}

} // namespace hvc
