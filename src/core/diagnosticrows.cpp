#include "core/diagnosticrows.h"

#include "core/cvardata.h"
#include "core/unitlink.h"

namespace hvc {

std::optional<HvcId> DiagnosticRowVar(int row) {
    if (row < 0 || row >= kDiagnosticBoundRows)
        return std::nullopt;
    return kDiagnosticRowVars[static_cast<size_t>(row)];
}

Status ReadErrorWord(UnitLink& link, const CVarData& record, std::int32_t& word) {
    return link.readRam(record.Address, word)
        .prefixed(QStringLiteral("reading %1 (%2)").arg(record.Name, record.AddressText()));
}

} // namespace hvc
