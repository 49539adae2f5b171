#include "core/diagnosticrows.h"

#include "core/unitlink.h"
#include "core/unitvariable.h"

namespace hvc {

std::optional<HvcId> diagnosticRowVar(int row) {
    if (row < 0 || row >= kDiagnosticBoundRows)
        return std::nullopt;
    return kDiagnosticRowVars[static_cast<size_t>(row)];
}

Status readErrorWord(UnitLink& link, const UnitVariable& record, std::int32_t& word) {
    return link.readRam(record.address, word)
        .prefixed(QStringLiteral("reading %1 (%2)").arg(record.name, record.addressText()));
}

Status readRamWords(UnitLink* link, const QList<const UnitVariable*>& records,
                    QList<std::int32_t>& words) {
    words.clear();
    const auto where = [&](qsizetype k) {
        return QStringLiteral("reading %1 (%2)").arg(records[k]->name, records[k]->addressText());
    };
    if (records.isEmpty())
        return {};
    // A closed link would hand back success without reading anything.
    if (link == nullptr || !link->isLinkOpen())
        return Status::linkFailure(QStringLiteral("port closed ") + where(0));
    QList<std::int32_t> addresses;
    for (const UnitVariable* r : records)
        addresses.append(r->address);
    Status status = link->readRamWords(addresses, words);
    if (words.size() >= records.size())
        return {};
    if (status)
        status = Status::linkFailure(QStringLiteral("words missing in the reply"));
    return status.prefixed(where(words.size()));
}

} // namespace hvc
