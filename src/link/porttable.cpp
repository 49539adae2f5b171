#include "link/porttable.h"

namespace hvc {

bool PortTable::parseMapping(const QString& text, int& n, QString& path) {
    const qsizetype eq = text.indexOf(u'=');
    if (eq < 0 || !text.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        return false;
    const QString number = text.mid(3, eq - 3);
    bool ok = false;
    const int value = number.toInt(&ok);
    // toInt accepts blanks and a sign; the number must be plain digits.
    if (!ok || value < 1 || number.isEmpty() || !number.front().isDigit() ||
        !number.back().isDigit())
        return false;
    const QString target = text.mid(eq + 1);
    if (target.isEmpty())
        return false;
    n = value;
    path = target;
    return true;
}

void PortTable::set(int n, const QString& path) {
    m_paths.insert(n, path);
}

QString PortTable::devicePath(int n) const {
    if (const auto it = m_paths.constFind(n); it != m_paths.constEnd())
        return *it;
    if (n < 1)
        return {};
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
}

} // namespace hvc
