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

} // namespace hvc
