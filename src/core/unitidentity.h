#pragma once
// Who a unit is: its model (from the number of sections), serial number and
// firmware (program version). A unit whose words could not be read is "unknown
// unit" and is told apart only by the port it was on.

#include "core/status.h"

#include <QString>

namespace hvc {

class AppState;
class Catalogue;

inline constexpr const char* kUnknownUnit = "unknown unit";

struct UnitIdentity {
    bool known = false;
    QString model;
    QString serial;
    QString firmware;
    QString port; // only for an unknown unit
    // The key that keeps one unit's history apart from every other's.
    QString key() const;
    QString text() const;
};

// "VCU 1W" .. "VCU 4W" for 1..4 sections, "---" for anything else.
QString unitModelText(int sections);
// "----" for 0, else "v" and the version as three digits, ".", two digits.
QString firmwareText(int displayValue);

// The identity as the catalogue holds it after the words were taken in.
UnitIdentity identityFromCatalogue(const Catalogue& catalogue);
// Reads the serial number, program version and section count from the unit on the
// session's link into the catalogue and returns the identity; on any failure an
// unknown unit on `port`.
UnitIdentity readUnitIdentity(AppState& state, const QString& port);
UnitIdentity unknownUnit(const QString& port);

} // namespace hvc
