#pragma once
// The error words the diagnostic page shows, one per row, and how one of them is
// read from the unit. Rows 7-10 of the page are spare and bound to nothing.

#include "core/hvcids.h"
#include "core/status.h"

#include <QList>
#include <array>
#include <cstdint>
#include <optional>

namespace hvc {

struct UnitVariable;
class UnitLink;

// Row r shows bits 0-7 of kDiagnosticRowVars[r].
inline constexpr std::array<HvcId, 7> kDiagnosticRowVars = {
    HvcId::HVC_ERROR_CODE,  HvcId::HVC_VBB_ERROR,   HvcId::HVC_HSD_ERROR,   HvcId::HVC_ERROR_SEC_1,
    HvcId::HVC_ERROR_SEC_2, HvcId::HVC_ERROR_SEC_3, HvcId::HVC_ERROR_SEC_4,
};
inline constexpr int kDiagnosticBoundRows = static_cast<int>(kDiagnosticRowVars.size());
inline constexpr int kDiagnosticShownBits = 8;
// Bits of an error word that may carry an error (the rows show bits 0-7 only).
inline constexpr int kDiagnosticWordBits = 16;

// The variable a row shows; nullopt for the spare rows and anything out of range.
std::optional<HvcId> diagnosticRowVar(int row);

// Reads the live (RAM) word of an error word's record, as the signed 16-bit value
// the link hands over; no conversion formula applies. A failure's detail names
// the word ("reading Section 2 Error (2012.00): time-out ...").
Status readErrorWord(UnitLink& link, const UnitVariable& record, std::int32_t& word);
// The RAM words of a polling pass as one word list (the link sends it in as few
// exchanges as it can). `words` gets those read, in order; a failure names the
// record whose word did not come, "port closed reading ..." on a closed link.
Status readRamWords(UnitLink* link, const QList<const UnitVariable*>& records,
                    QList<std::int32_t>& words);

} // namespace hvc
