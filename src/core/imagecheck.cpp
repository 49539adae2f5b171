#include "core/imagecheck.h"

#include <QMap>

namespace hvc {

namespace {

QMap<int, std::int32_t> lastValues(const ConfigFileData& data) {
    QMap<int, std::int32_t> values;
    for (const ConfigEntry& e : data.entries)
        values.insert(e.position, e.value);
    return values;
}

} // namespace

QList<ValueFault> checkFileValues(const Catalogue& catalogue, const ConfigFileData& data,
                                  bool allowBeyondLimits) {
    QList<ValueFault> faults;
    const QMap<int, std::int32_t> values = lastValues(data);
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const UnitVariable* r = catalogue.varTable(it.key());
        if (r == nullptr)
            continue;
        const std::int32_t v = it.value();
        const bool overWide = !fitsWord(v);
        if (overWide || (!allowBeyondLimits && (v < r->minValue || v > r->maxValue)))
            faults.append({it.key(), v, overWide});
    }
    return faults;
}

QStringList describeValueFaults(const Catalogue& catalogue, const QList<ValueFault>& faults) {
    QStringList texts;
    for (const ValueFault& f : faults) {
        const UnitVariable& r = catalogue[f.position];
        if (f.overWide)
            texts << QStringLiteral("%1 = %2 (does not fit a unit word, %3..%4)")
                         .arg(r.name)
                         .arg(f.value)
                         .arg(kWordLowest)
                         .arg(kWordHighest);
        else
            texts << QStringLiteral("%1 = %2 (allowed %3..%4)")
                         .arg(r.name)
                         .arg(f.value)
                         .arg(r.minValue)
                         .arg(r.maxValue);
    }
    return texts;
}

Status checkConfigFileValues(const Catalogue& catalogue, const ConfigFileData& data,
                             bool allowBeyondLimits) {
    const QList<ValueFault> faults = checkFileValues(catalogue, data, allowBeyondLimits);
    if (faults.isEmpty())
        return {};
    const QString count =
        faults.size() == 1 ? QStringLiteral("1 value the unit must not get: ")
                           : QStringLiteral("%1 values the unit must not get: ").arg(faults.size());
    return Status::failure(QString::fromLatin1(kErrorLoadingFile),
                           count +
                               describeValueFaults(catalogue, faults).join(QStringLiteral("; ")));
}

QList<int> missingFromFile(const Catalogue& catalogue, const ConfigFileData& data,
                           std::uint16_t mask) {
    const QMap<int, std::int32_t> values = lastValues(data);
    std::int32_t sections = 0;
    if (const int at = catalogue.idIndex(HvcId::HVC_NUM_PROP_REG); catalogue.varTable(at))
        sections = values.value(at, catalogue[at].workingWord);
    QList<int> missing;
    for (int i = 1; i <= catalogue.varCount(); ++i) {
        const UnitVariable& r = catalogue[i];
        // A line reaches the first variable with its address; later ones never.
        if ((r.pageMask & mask) != 0 && r.section < sections && !values.contains(i) &&
            catalogue.findByAddress(r.address) == i)
            missing << i;
    }
    return missing;
}

QString nameList(const Catalogue& catalogue, const QList<int>& positions, int shown) {
    QStringList names;
    for (qsizetype i = 0; i < positions.size() && i < shown; ++i)
        names << catalogue[positions[i]].name;
    QString text = names.join(QStringLiteral(", "));
    if (positions.size() > shown)
        text += QStringLiteral(" and %1 more").arg(positions.size() - shown);
    return text;
}

} // namespace hvc
