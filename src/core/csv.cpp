#include "core/csv.h"

#include <algorithm>

namespace hvc {

namespace {

bool looksLikeFormula(const QString& text) {
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    if (first != u'=' && first != u'+' && first != u'-' && first != u'@' && first != u'\t' &&
        first != u'\r')
        return false;
    if (first == u'+' || first == u'-') {
        // A plain number in the C locale: sign, digits, a point, an exponent.
        bool ok = false;
        (void)text.toDouble(&ok);
        const auto plain = [](QChar c) {
            return c.isDigit() || QStringLiteral(".eE+-").contains(c);
        };
        return !ok || !std::all_of(text.cbegin(), text.cend(), plain);
    }
    return true;
}

} // namespace

QString csvField(const QString& text) {
    QString safe = looksLikeFormula(text) ? u'\'' + text : text;
    if (!safe.contains(u',') && !safe.contains(u'"') && !safe.contains(u'\n') &&
        !safe.contains(u'\r'))
        return safe;
    QString quoted = safe;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

} // namespace hvc
