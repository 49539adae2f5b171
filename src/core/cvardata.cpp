#include "core/cvardata.h"

#include "core/documentstate.h"

#include "core/catalogue.h"
#include "core/stringeval.h"

#include <cctype>
#include <cmath>
#include <limits>

namespace hvc {

namespace {

double convert(const QString& expression, std::int32_t x) {
    return EvalFormula(expression, x, 0, 0);
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
    return ParseIntField(text, low, high, out);
}

bool int16Field(const QString& text, std::int16_t& field) {
    std::int32_t v = field;
    if (!intField(text, -32768, 32767, v))
        return false;
    field = static_cast<std::int16_t>(v);
    return true;
}

} // namespace

bool ParseIntField(const QString& text, std::int32_t low, std::int32_t high, std::int32_t& out) {
    double v = 0;
    if (!ParseLocaleNumber(text.trimmed(), v))
        return false;
    const double r = std::nearbyint(v);
    if (r < low || r > high)
        return false;
    out = static_cast<std::int32_t>(r);
    return true;
}

double NumberPrefix(QStringView text) {
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

bool ParseAddressText(const QString& text, std::int32_t& address) {
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

QString FormatAddressText(std::int32_t address) {
    const auto a = static_cast<std::uint32_t>(address);
    return QStringLiteral("%1.%2")
        .arg((a >> 8) & 0xFFFF, 4, 16, QChar(u'0'))
        .arg(a & 0xFF, 2, 16, QChar(u'0'))
        .toUpper();
}

QString CVarData::AddressText() const {
    return FormatAddressText(Address);
}

Status CVarData::Load(const QString& lineIn, Catalogue& catalogue) {
    const auto fault = [](const QString& reason) { return Status::failure(reason); };
    const auto int16Fault = [&fault](const char* column, const QString& text) {
        return fault(QStringLiteral("%1 '%2' is not a whole number from -32768 to 32767")
                         .arg(QLatin1String(column), text));
    };
    E2InECU = 0;
    DefaultValue = 0;
    RAMInECU = 0;
    E2Display = 0;
    RAMDisplay = 0;
    E2Value = 0;
    RAMValue = 0;
    FormulaPart = 2;

    QString line = lineIn;
    Name = NextField(line);
    std::uint32_t unit = 0;
    std::uint32_t sub = 0;
    const QString unitText = NextField(line);
    const QString subText = NextField(line);
    if (!hexField(unitText, 4, unit))
        return fault(QStringLiteral("Address '%1' is not a hexadecimal number").arg(unitText));
    if (!hexField(subText, 2, sub))
        return fault(QStringLiteral("SubCode '%1' is not a hexadecimal number").arg(subText));
    Address = static_cast<std::int32_t>(unit << 8 | sub);
    catalogue.RegisterId(NextField(line), Index);

    const QString saveName = NextField(line);
    if (!saveName.isEmpty())
        SaveName = saveName;
    std::int16_t pageMask = static_cast<std::int16_t>(PageMask);
    const QString defaultText = NextField(line);
    if (!int16Field(defaultText, DefaultValue))
        return int16Fault("Default", defaultText);
    const QString sectionText = NextField(line);
    if (!int16Field(sectionText, Section))
        return int16Fault("Section", sectionText);
    const QString maskText = NextField(line);
    if (!int16Field(maskText, pageMask))
        return int16Fault("PageMask", maskText);
    const QString minText = NextField(line);
    if (!int16Field(minText, MinValue))
        return int16Fault("Min", minText);
    PageMask = static_cast<std::uint16_t>(pageMask);
    const QString maxText = NextField(line);
    if (!maxText.isEmpty()) {
        // Only the leading digits count: "2.9" is 2, as the unit's tools read it.
        const double m = std::trunc(NumberPrefix(maxText));
        if (m < std::numeric_limits<std::int32_t>::min() ||
            m > std::numeric_limits<std::int32_t>::max())
            return fault(QStringLiteral("Max '%1' is beyond 32 bits").arg(maxText));
        MaxValue = static_cast<std::int32_t>(m);
    }
    if (line.isEmpty())
        return {};
    if (const QString f = NextField(line); !f.isEmpty())
        ConvText = f;
    if (const QString f = NextField(line); !f.isEmpty())
        ExtraText = f;
    if (line.isEmpty())
        return {};
    // Checked before the first conversion: a huge formula would cost every one.
    if (const QString f = NextField(line); !f.isEmpty()) {
        if (const QString limit = FormulaLimitFault(f); !limit.isEmpty())
            return fault(QStringLiteral("Formula: ") + limit);
        Formula = LocalDecimal(f);
    }
    if (const QString f = NextField(line); !f.isEmpty()) {
        if (const QString limit = FormulaLimitFault(f); !limit.isEmpty())
            return fault(QStringLiteral("InverseFormula: ") + limit);
        InverseFormula = f;
    }
    return {};
}

void CVarData::ReadE2FromECU(std::int32_t e2Data) {
    E2InECU = e2Data;
    E2Value = e2Data;
    E2Display = Formula.isEmpty() ? e2Data : ToInteger(convert(Formula, e2Data));
}

void CVarData::ReadRAMFromECU(std::int32_t ramData) {
    RAMInECU = ramData;
    RAMValue = ramData;
    RAMDisplay = Formula.isEmpty() ? ramData : convert(SelectPart(Formula, FormulaPart), ramData);
}

void CVarData::LoadFromFile(std::int32_t val) {
    E2Value = val;
    E2Display = Formula.isEmpty() ? val : ToInteger(convert(Formula, val));
}

void CVarData::HVCSetVar(double val, DocumentState& document) {
    E2Display = ToInteger(val);
    document.markDataChanged();
    E2Value = InverseFormula.isEmpty() ? E2Display : ToInteger(convert(InverseFormula, E2Display));
}

bool IsNoValue(std::int32_t value) {
    return (value & 0xFFFF) == 0xFFFF;
}

} // namespace hvc
