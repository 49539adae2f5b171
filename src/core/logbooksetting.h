#pragma once
// Where the desktop program keeps its logbook and whether it records at all: the
// Set menu's Logbook choice, kept beside colour.ini (the user's settings folder)
// as two lines "Record=1" and "Location=..." (empty: the default SQLite file).

#include "core/status.h"

#include <QString>

namespace hvc {

// The file's name in the settings folder.
inline constexpr const char* kLogbookSettingFile = "logbook.ini";

struct LogbookSetting {
    bool record = true;
    // An SQLite file, or a PostgreSQL URL; empty: Logbook::defaultLocation().
    QString location;
};

// Recording on, the default file, unless the file says otherwise; a missing or
// unreadable file keeps the defaults.
LogbookSetting loadLogbookSetting(const QString& path);
// Replaces the file as a whole; false when it cannot be written.
bool saveLogbookSetting(const QString& path, const LogbookSetting& setting);

// A PostgreSQL URL that carries a password is refused: the password would be kept
// in a plain file. libpq finds it in ~/.pgpass, PGPASSFILE, PGSERVICE or PGPASSWORD.
Status checkLogbookLocation(const QString& location);

} // namespace hvc
