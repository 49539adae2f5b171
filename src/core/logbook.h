#pragma once
// The unit logbook: every whole-image read and every write of a unit, kept in a
// database (an SQLite file, or PostgreSQL) under the unit's identity. Schema and
// migrations: docs/logbook.md.

#include "core/status.h"
#include "core/unitidentity.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <cstdint>
#include <optional>

namespace hvc {

// One word of an entry: what the unit held before, what was sent, what it held after.
struct LogWord {
    QString name;
    std::int32_t address = 0;
    std::optional<std::int32_t> before;
    std::optional<std::int32_t> sent;
    std::optional<std::int32_t> readBack;
    // The word the unit holds after the entry, as far as known.
    std::optional<std::int32_t> image() const;
};

struct LogEntry {
    qint64 id = 0;
    QString kind;   // read-all, set, write-all, defaults
    QDateTime time; // UTC
    QString user;
    bool serviceLogin = false;
    QString program;
    QString version;
    QString port;
    QString outcome; // "ok", "differs", "failed: ..."
    UnitIdentity unit;
    QList<LogWord> words;
    // Words whose value the entry changed: the word read back, else the one sent,
    // differs from the one before (compared as 16-bit unit words).
    int changedWords() const;
    QJsonObject toJson(bool withWords) const;
    static LogEntry fromJson(const QJsonObject& object);
};

struct LogUnit {
    UnitIdentity unit;
    int entries = 0;
    QDateTime lastSeen;
};

struct LogFilter {
    QString serial;  // empty: every unit
    QDateTime since; // invalid: from the start
};

// The connection to one logbook. `location` is "sqlite:PATH", a plain path, or
// "postgresql://[user@]host[:port]/dbname" ("postgresql:///dbname?host=/socket/dir");
// a password is never taken from it: libpq finds one in ~/.pgpass, PGPASSFILE,
// PGSERVICE or PGPASSWORD.
class Logbook {
public:
    Logbook();
    ~Logbook();
    Logbook(const Logbook&) = delete;
    Logbook& operator=(const Logbook&) = delete;

    // The newest schema version this program writes.
    static int schemaVersion();
    // ~/.local/share/hvc-configurator/logbook.sqlite (the user's data folder).
    static QString defaultLocation();
    static QString dataFolder();

    // Connects, checks the file (SQLite) and, with `upgrade`, brings the schema up
    // to date (without, the tables stay as they are: for inspecting a logbook).
    Status open(const QString& location, bool upgrade = true);
    // The open connection, for readers beyond the ones here.
    QSqlDatabase database() const { return db(); }
    void close();
    bool isOpen() const;
    QString location() const { return m_location; }

    // One entry and its words in one transaction; `entry.id` is set.
    Status add(LogEntry& entry);
    Status units(QList<LogUnit>& out);
    Status list(const LogFilter& filter, QList<LogEntry>& out);
    // The entry with its words; Status fails with "no entry N" when there is none.
    Status entry(qint64 id, LogEntry& out);

private:
    Status exec(const QString& sql);
    Status migrate();
    Status addUnit(const UnitIdentity& unit, qint64& id);
    QSqlDatabase db() const;

    QString m_connection;
    QString m_location;
    bool m_sqlite = true;
    bool m_readOnly = false;
};

// Writes `entry` into the logbook at `location`, first the entries kept pending for
// it. When the logbook cannot be written the entry is appended to the pending file
// (JSON lines in the data folder, each with its logbook's location) and the
// returned Status says why; `pendingFile` names the file.
Status recordEntry(const QString& location, LogEntry& entry, QString& pendingFile);
QString pendingFilePath();
// Writes the pending entries of `location` into the open `book`; those it cannot
// write stay pending.
Status flushPending(Logbook& book);

} // namespace hvc
