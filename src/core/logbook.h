#pragma once
// The unit logbook: every whole-image read and every write of a unit, kept in a
// database (an SQLite file, or PostgreSQL) under the unit's identity. Schema and
// migrations: docs/logbook.md.

#include "core/logentry.h"
#include "core/status.h"
#include "core/unitidentity.h"
#include "core/unitlog.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QSqlDatabase>
#include <QString>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace hvc {

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
    // The entries newest first, without their words (changedCount says how many changed).
    Status list(const LogFilter& filter, QList<LogEntry>& out);
    // The entry with its words; Status fails with "no entry N" when there is none.
    Status entry(qint64 id, LogEntry& out);
    // The unit's image as of entry `id` (`at`, with its words): the newest whole-image
    // read of its unit at or before it, with every later entry's words up to it laid
    // over (address to word). Fails when no whole image was read before.
    Status imageAt(qint64 id, QMap<std::int32_t, std::int32_t>& image, LogEntry& at);

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

// The transfer log over a logbook: each entry is stamped with the time, the user,
// the program and its version and written (recordEntry). The first failure after
// a success is told through onFailure; the entries are kept pending all the same.
class LogbookRecorder : public TransferLog {
public:
    explicit LogbookRecorder(QString program);
    ~LogbookRecorder() override;
    LogbookRecorder(const LogbookRecorder&) = delete;
    LogbookRecorder& operator=(const LogbookRecorder&) = delete;
    // Empty: the default logbook.
    void setLocation(const QString& location);
    // Opens the logbook now on a thread of its own (the file's check, the pending
    // entries), beside the transfer about to start: recording then waits only for
    // the entry's own transaction. Without it each entry opens the logbook itself.
    void prepare();
    QString location() const { return m_location; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool enabled() const { return m_enabled; }
    void record(LogEntry& entry) override;

    // Why the logbook could not be written, and the file the entry is kept in (empty
    // when it could not be kept either).
    std::function<void(const Status& why, const QString& pendingFile)> onFailure;
    // An entry written into the logbook.
    std::function<void(const LogEntry& entry)> onRecorded;

private:
    void stopWorker();
    void work(const QString& location);
    Status write(LogEntry& entry, QString& pending);

    QString m_program;
    QString m_location = Logbook::defaultLocation();
    bool m_enabled = true;
    bool m_failing = false;

    // The thread prepare() starts; it takes one entry at a time.
    std::thread m_worker;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    LogEntry* m_job = nullptr;
    bool m_stop = false;
    Status m_jobStatus;
    QString m_jobPending;
};

} // namespace hvc
