#include "core/unitvariable.h"

#include "core/documentstate.h"

#include "core/catalogue.h"
#include "core/stringeval.h"
#include "core/textfile.h"

#include <cctype>
#include <cmath>
#include <limits>

namespace hvc {

namespace {

double convert(const QString& expression, std::int32_t x) {
    return evalFormula(expression, x, 0, 0);
}

// Address or sub-code field: every "0x" removed, left-padded and cut to `digits`.
bool hexField(QString text, int digits, std::uint32_t& out) {
    text.remove(QLatin1String("0x"));
    text = (QString(digits, u'0') + text).right(digits);
    bool ok = false;
    const uint v = text.toUInt(&ok, 16);
    for (QChar c : text)
        if (!std::isxdigit(static_cast<unsigned char>(c.toLatin1())) || c.unicode() > 127)
            ok = false;
    out = v;
    return ok;
}

bool intField(const QString& text, std::int32_t low, std::int32_t high, std::int32_t& out) {
    if (text.isEmpty())
        return true; // an empty field keeps the starting value
    return parseIntField(text, low, high, out);
}

bool int16Field(const QString& text, std::int16_t& field) {
    std::int32_t v = field;
    if (!intField(text, -32768, 32767, v))
        return false;
    field = static_cast<std::int16_t>(v);
    return true;
}

} // namespace

bool parseIntField(const QString& text, std::int32_t low, std::int32_t high, std::int32_t& out) {
    double v = 0;
    if (!parseLocaleNumber(text.trimmed(), v))
        return false;
    const double r = std::nearbyint(v);
    if (r < low || r > high)
        return false;
    out = static_cast<std::int32_t>(r);
    return true;
}

double numberPrefix(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    double value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = value * 10 + (text[i].unicode() - u'0');
    if (i < text.size() && text[i] == u'.') {
        double scale = 0.1;
        for (++i; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, scale /= 10)
            value += (text[i].unicode() - u'0') * scale;
    }
    return negative ? -value : value;
}

bool parseAddressText(const QString& text, std::int32_t& address) {
    const QString t = text.trimmed();
    const qsizetype dot = t.indexOf(u'.');
    const QString unit = dot < 0 ? t : t.left(dot);
    const QString sub = dot < 0 ? QString() : t.mid(dot + 1);
    if (unit.isEmpty() || unit.size() > (dot < 0 ? 6 : 4) || sub.size() > 2 ||
        (dot >= 0 && sub.isEmpty()))
        return false;
    bool ok1 = false;
    bool ok2 = true;
    const uint u = unit.toUInt(&ok1, 16);
    const uint s = sub.isEmpty() ? 0 : sub.toUInt(&ok2, 16);
    if (!ok1 || !ok2 || unit.startsWith(u'+') || unit.startsWith(u'-'))
        return false;
    address = static_cast<std::int32_t>(dot < 0 && unit.size() > 4 ? u : (u << 8 | s));
    return true;
}

QString formatAddressText(std::int32_t address) {
    const auto a = static_cast<std::uint32_t>(address);
    return QStringLiteral("%1.%2")
        .arg((a >> 8) & 0xFFFF, 4, 16, QChar(u'0'))
        .arg(a & 0xFF, 2, 16, QChar(u'0'))
        .toUpper();
}

QString UnitVariable::addressText() const {
    return formatAddressText(address);
}

Status UnitVariable::load(const QString& lineIn, Catalogue& catalogue) {
    const auto fault = [](const QString& reason) { return Status::failure(reason); };
    const auto int16Fault = [&fault](const char* column, const QString& text) {
        return fault(QStringLiteral("%1 '%2' is not a whole number from -32768 to 32767")
                         .arg(QLatin1String(column), excerpt(text)));
    };
    unitWord = 0;
    defaultValue = 0;
    unitRamWord = 0;
    shownValue = 0;
    ramShownValue = 0;
    workingWord = 0;
    ramWord = 0;
    formulaPart = 2;

    QString line = lineIn;
    name = nextField(line);
    std::uint32_t unit = 0;
    std::uint32_t sub = 0;
    const QString unitText = nextField(line);
    const QString subText = nextField(line);
    if (!hexField(unitText, 4, unit))
        return fault(
            QStringLiteral("Address '%1' is not a hexadecimal number").arg(excerpt(unitText)));
    if (!hexField(subText, 2, sub))
        return fault(
            QStringLiteral("SubCode '%1' is not a hexadecimal number").arg(excerpt(subText)));
    address = static_cast<std::int32_t>(unit << 8 | sub);
    catalogue.registerId(nextField(line), index);

    const QString saveNameText = nextField(line);
    if (!saveNameText.isEmpty())
        saveName = saveNameText;
    auto mask = static_cast<std::int16_t>(pageMask);
    const QString defaultText = nextField(line);
    if (!int16Field(defaultText, defaultValue))
        return int16Fault("Default", defaultText);
    const QString sectionText = nextField(line);
    if (!int16Field(sectionText, section))
        return int16Fault("Section", sectionText);
    const QString maskText = nextField(line);
    if (!int16Field(maskText, mask))
        return int16Fault("PageMask", maskText);
    const QString minText = nextField(line);
    if (!int16Field(minText, minValue))
        return int16Fault("Min", minText);
    pageMask = static_cast<std::uint16_t>(mask);
    const QString maxText = nextField(line);
    if (!maxText.isEmpty()) {
        // Only the leading digits count: "2.9" is 2, as the unit's tools read it.
        const double m = std::trunc(numberPrefix(maxText));
        if (m < std::numeric_limits<std::int32_t>::min() ||
            m > std::numeric_limits<std::int32_t>::max())
            return fault(QStringLiteral("Max '%1' is beyond 32 bits").arg(excerpt(maxText)));
        maxValue = static_cast<std::int32_t>(m);
    }
    if (line.isEmpty())
        return {};
    if (const QString f = nextField(line); !f.isEmpty())
        convText = f;
    if (const QString f = nextField(line); !f.isEmpty())
        extraText = f;
    if (line.isEmpty())
        return {};
    // Checked before the first conversion: a huge formula would cost every one.
    if (const QString f = nextField(line); !f.isEmpty()) {
        if (const QString limit = formulaLimitFault(f); !limit.isEmpty())
            return fault(QStringLiteral("Formula: ") + limit);
        formula = localDecimal(f);
    }
    if (const QString f = nextField(line); !f.isEmpty()) {
        if (const QString limit = formulaLimitFault(f); !limit.isEmpty())
            return fault(QStringLiteral("InverseFormula: ") + limit);
        inverseFormula = f;
    }
    return {};
}

void UnitVariable::takeUnitWord(std::int32_t e2Data) {
    unitWord = e2Data;
    workingWord = e2Data;
    replacedUnitWord.reset();
    shownValue = formula.isEmpty() ? e2Data : toInteger(convert(formula, e2Data));
}

void UnitVariable::takeUnitRamWord(std::int32_t ramData) {
    unitRamWord = ramData;
    ramWord = ramData;
    ramShownValue =
        formula.isEmpty() ? ramData : convert(selectPart(formula, formulaPart), ramData);
}

void UnitVariable::takeFileWord(std::int32_t val) {
    workingWord = val;
    shownValue = formula.isEmpty() ? val : toInteger(convert(formula, val));
}

void UnitVariable::setShownValue(double val, DocumentState& document) {
    shownValue = toInteger(val);
    document.markDataChanged();
    workingWord =
        inverseFormula.isEmpty() ? shownValue : toInteger(convert(inverseFormula, shownValue));
}

bool isNoValue(std::int32_t value) {
    return (value & 0xFFFF) == 0xFFFF;
}

std::optional<ShownWord> shownWord(const Catalogue& catalogue, const QString& name,
                                   std::int32_t address, std::int32_t word) {
    const int pos = catalogue.findByName(name);
    if (pos <= 0 || catalogue[pos].address != address)
        return std::nullopt;
    UnitVariable r = catalogue[pos];
    r.takeUnitWord(word);
    return ShownWord{r.shownValue, r.convText};
}

} // namespace hvc
