#pragma once
// What the transfers leave in the unit logbook: the entries the commands build
// and the log they hand them to. The desktop program and hvcctl each give the
// state a log over their logbook; without one nothing is recorded.

#include "core/logentry.h"
#include "core/status.h"
#include "core/writereview.h"

#include <QMap>
#include <QString>
#include <cstdint>
#include <optional>

namespace hvc {

class AppState;

class TransferLog {
public:
    virtual ~TransferLog() = default;
    // Completes `entry` (time, user, program, version) and keeps it. A logbook
    // that cannot be written never fails the transfer: the log says so itself.
    virtual void record(LogEntry& entry) = 0;
};

// The operating-system user running the program.
QString osUserName();
// The port the session talks on: its device name, else "COM n".
QString sessionPortText(const AppState& state);
// The unit as far as its identity words were read on this connection; else
// "unknown unit" on the session's port.
UnitIdentity identitySeen(const AppState& state);

// Stamps `entry` with the session (port, service login and, unless set, the unit)
// and hands it to the state's log, if there is one.
void recordTransfer(AppState& state, LogEntry& entry);

// A whole-image read (`kind` "connect" or "read-all"): every word the read with
// `readMask` took, as read.
LogEntry imageEntry(AppState& state, std::uint16_t readMask, const QString& kind);

// writeReviewed, recorded: the words sent, the words before and read back, and an
// outcome that says how far a failed write got ("failed after 3 of 40 words: ...").
// `kind` is "write", "write-all" or "restore".
Status writeRecorded(AppState& state, std::uint16_t mask, const WriteChoice& choice, bool verify,
                     const QString& kind, ReviewedWrite& out);

// Load-defaults, recorded as "defaults" (shown as Reset).
Status loadDefaultsRecorded(AppState& state);

} // namespace hvc
