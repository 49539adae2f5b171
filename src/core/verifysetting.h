#pragma once
// Whether Write and Write All read the written words back: the Set menu's choice,
// kept beside colour.ini (the user's settings folder) as one line "VerifyWrites=1" (or 0).

#include <QString>

namespace hvc {

// On unless the file says "VerifyWrites=0"; a missing or unreadable file keeps it on.
bool loadVerifySetting(const QString& path);
// Replaces the file as a whole; false when it cannot be written.
bool saveVerifySetting(const QString& path, bool on);

} // namespace hvc
