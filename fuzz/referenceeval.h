#pragma once
// The formula evaluator as it was before it became a single pass: it rewrites the
// text group by group and rescans it. Kept only as the reference the single-pass
// evaluator must agree with on every input (it takes cubic time on deep nesting).

#include "core/stringeval.h"

#include <QString>
#include <cmath>
#include <limits>
#include <optional>

namespace hvc::reference {

inline std::optional<double> readOperand(const QString& text) {
    double v = 0;
    if (text.isEmpty() || !parseLocaleNumber(text, v))
        return std::nullopt;
    return v;
}

inline std::optional<double> evalFlat(QString expr, QChar sep) {
    double running = 0;
    QString operand;
    QString op;
    const qsizetype length = expr.size();
    for (qsizetype i = 0; i < length; ++i) {
        while (expr.contains(QLatin1String("+-")))
            expr.replace(QLatin1String("+-"), QLatin1String("-"));
        const QChar c = i < expr.size() ? expr.at(i) : QChar();
        if (!c.isNull() && ((c >= u'0' && c <= u'9') || c == sep)) {
            operand.append(c);
            continue;
        }
        if (running == 0) {
            const auto v = readOperand(operand);
            if (!v)
                return std::nullopt;
            running = *v;
        } else {
            running = applyOperator(running, operand, op);
            if (!evalSucceeded(running))
                return std::nullopt;
        }
        operand.clear();
        op = c.isNull() ? QString() : QString(c);
    }
    if (!operand.isEmpty()) {
        running = applyOperator(running, operand, op);
        if (!evalSucceeded(running))
            return std::nullopt;
    }
    return running;
}

double evalExpression(const QString& exprIn);

inline double evalFormula(const QString& formula, std::int32_t x, std::int32_t y, std::int32_t z) {
    QString expr = formula.toUpper();
    if (expr.contains(u'X'))
        expr = replaceVariable(expr, u'X', x);
    expr = replaceVariable(expr, u'Y', std::abs(static_cast<std::int64_t>(y)));
    expr = replaceVariable(expr, u'Z', std::abs(static_cast<std::int64_t>(z)));
    return evalExpression(expr);
}

inline double evalExpression(const QString& exprIn) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    const QChar sep = decimalSeparator();
    QString expr = exprIn.contains(u' ') ? removeSpaces(exprIn) : exprIn;
    while (expr.contains(u'(')) {
        qsizetype start = 0;
        qsizetype p = -1;
        qsizetype r = -1;
        for (;;) {
            p = expr.indexOf(u'(', start);
            const qsizetype q = expr.indexOf(u'(', p + 1);
            r = expr.indexOf(u')', p + 1);
            if (r < 0)
                return kNaN;
            if (q >= 0 && q < r) {
                start = q;
                continue;
            }
            break;
        }
        const double inner = evalFormula(expr.mid(p + 1, r - p - 1), 0, 0, 0);
        if (!evalSucceeded(inner))
            return kNaN;
        expr.replace(p, r - p + 1, formatLocaleNumber(inner));
    }
    double v = 0;
    if (parseLocaleNumber(expr, v))
        return v;
    const auto flat = evalFlat(expr, sep);
    return flat ? *flat : kNaN;
}

} // namespace hvc::reference
