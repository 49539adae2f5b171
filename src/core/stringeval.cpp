#include "core/stringeval.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

namespace hvc {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Reads an unsigned operand made of digits and the separator, as the flat
// evaluation collects them.
std::optional<double> readOperand(const QString& text) {
    double v = 0;
    if (text.isEmpty() || !ParseLocaleNumber(text, v))
        return std::nullopt;
    return v;
}

std::optional<double> evalFlat(QString expr, QChar sep) {
    double running = 0;
    QString operand;
    QString op;
    const qsizetype length = expr.size();
    for (qsizetype i = 0; i < length; ++i) {
        while (expr.contains(QLatin1String("+-")))
            expr.replace(QLatin1String("+-"), QLatin1String("-"));
        const QChar c = i < expr.size() ? expr.at(i) : QChar();
        if (!c.isNull() && (isDigit(c) || c == sep)) {
            operand.append(c);
            continue;
        }
        if (running == 0) {
            const auto v = readOperand(operand);
            if (!v)
                return std::nullopt;
            running = *v;
        } else {
            running = ApplyOperator(running, operand, op);
            if (!EvalSucceeded(running))
                return std::nullopt;
        }
        operand.clear();
        op = c.isNull() ? QString() : QString(c);
    }
    if (!operand.isEmpty()) {
        running = ApplyOperator(running, operand, op);
        if (!EvalSucceeded(running))
            return std::nullopt;
    }
    return running;
}

std::optional<double> wholeOrFlat(const QString& expr, QChar sep) {
    double v = 0;
    if (ParseLocaleNumber(expr, v))
        return v;
    return evalFlat(expr, sep);
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

} // namespace

QChar DecimalSeparator() {
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? QChar(u'.') : point.at(0);
}

bool ParseLocaleNumber(QStringView text, double& out) {
    const QChar sep = DecimalSeparator();
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
    if (res.ec != std::errc() || res.ptr != ascii.data() + ascii.size() || !std::isfinite(v))
        return false;
    out = v;
    return true;
}

QString FormatLocaleNumber(double value) {
    char buf[512];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    if (res.ec != std::errc())
        return QString::number(value, 'g', 17);
    QString text = QString::fromLatin1(buf, res.ptr - buf);
    const QChar sep = DecimalSeparator();
    if (sep != u'.')
        text.replace(u'.', sep);
    return text;
}

std::int32_t ToInteger(double value) {
    if (std::isnan(value))
        return 0;
    const double r = std::nearbyint(value);
    if (r <= std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    if (r >= std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(r);
}

QString ReplaceVariable(const QString& expr, QChar letter, std::int64_t value) {
    QString copy = expr;
    return copy.replace(letter, QString::number(value));
}

QString RemoveSpaces(const QString& expr) {
    QString copy = expr;
    return copy.remove(u' ');
}

double ApplyOperator(double running, const QString& operand, const QString& op) {
    if (op.size() != 1)
        return 0;
    const QChar o = op.at(0);
    if (o != u'+' && o != u'-' && o != u'*' && o != u'/' && o != u'^' && o != u'&')
        return 0;
    const auto n = readOperand(operand);
    if (!n)
        return kNaN;
    double r = kNaN;
    switch (o.unicode()) {
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

double EvalFormula(const QString& formula, std::int32_t x, std::int32_t y, std::int32_t z) {
    QString expr = formula.toUpper();
    if (expr.contains(u'X'))
        expr = ReplaceVariable(expr, u'X', x);
    expr = ReplaceVariable(expr, u'Y', std::abs(static_cast<std::int64_t>(y)));
    expr = ReplaceVariable(expr, u'Z', std::abs(static_cast<std::int64_t>(z)));
    return EvalExpression(expr);
}

double EvalExpression(const QString& exprIn) {
    const QChar sep = DecimalSeparator();
    QString expr = exprIn.contains(u' ') ? RemoveSpaces(exprIn) : exprIn;
    while (expr.contains(u'(')) {
        qsizetype start = 0;
        qsizetype p = -1;
        qsizetype r = -1;
        for (;;) {
            p = expr.indexOf(u'(', start);
            const qsizetype q = expr.indexOf(u'(', p + 1);
            r = expr.indexOf(u')', p + 1);
            if (r < 0)
                return kNaN; // a group that never closes
            if (q >= 0 && q < r) {
                start = q;
                continue;
            }
            break;
        }
        const double inner = EvalFormula(expr.mid(p + 1, r - p - 1), 0, 0, 0);
        if (!EvalSucceeded(inner))
            return kNaN;
        expr.replace(p, r - p + 1, FormatLocaleNumber(inner));
    }
    const auto v = wholeOrFlat(expr, sep);
    return v ? *v : kNaN;
}

QString SelectPart(const QString& formula, int part) {
    if (formula.isEmpty())
        return {};
    if (!formula.contains(u'|'))
        return formula;
    QString rest = formula;
    QString p1 = NextPart(rest);
    QString p2 = NextPart(rest);
    QString p3 = NextPart(rest);
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

QString NextField(QString& line) {
    return nextSeparated(line, u'\t');
}
QString NextPart(QString& line) {
    return nextSeparated(line, u'|');
}

QString LocalDecimal(const QString& text) {
    const QChar sep = DecimalSeparator();
    if (sep == u'.')
        return text;
    QString copy = text;
    return copy.replace(u'.', sep);
}

} // namespace hvc
