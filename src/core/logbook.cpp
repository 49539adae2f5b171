#include "core/logbook.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLockFile>
#include <QMutex>
#include <QSaveFile>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>
#include <QVariant>
#include <functional>

namespace hvc {

namespace {

QAtomicInt connectionCount;

// The SQLite files this program has found whole, under their lock.
QSet<QString>& checkedFiles() {
    static QSet<QString> files;
    return files;
}
QMutex checkedFilesLock;

bool firstOpenOf(const QString& location) {
    const QMutexLocker lock(&checkedFilesLock);
    return !checkedFiles().contains(location);
}

// The schema, one step per version; a new version appends a step. `%ID%` is the
// database's own auto-numbered key, `%BIG%` its 64-bit integer.
const QList<QStringList>& migrations() {
    static const QList<QStringList> kSteps = {
        // 1: units, their entries and the entries' words.
        {QStringLiteral("CREATE TABLE units (id %ID%, unit_key TEXT NOT NULL UNIQUE, "
                        "known INTEGER NOT NULL, model TEXT NOT NULL, serial TEXT NOT NULL, "
                        "firmware TEXT NOT NULL, port TEXT NOT NULL)"),
         QStringLiteral("CREATE TABLE entries (id %ID%, unit_id %BIG% NOT NULL REFERENCES "
                        "units(id), kind TEXT NOT NULL, at_utc TEXT NOT NULL, os_user TEXT NOT "
                        "NULL, service_login INTEGER NOT NULL, program TEXT NOT NULL, version "
                        "TEXT NOT NULL, port TEXT NOT NULL, outcome TEXT NOT NULL)"),
         QStringLiteral("CREATE TABLE words (entry_id %BIG% NOT NULL REFERENCES entries(id) ON "
                        "DELETE CASCADE, seq INTEGER NOT NULL, name TEXT NOT NULL, address "
                        "INTEGER NOT NULL, before_word INTEGER, sent_word INTEGER, read_word "
                        "INTEGER, PRIMARY KEY (entry_id, seq))")},
        // 2: a unit's history by time.
        {QStringLiteral("CREATE INDEX entries_unit_time ON entries (unit_id, at_utc)")},
        // 3: each entry's count of changed words, so that a list need not count them.
        {QStringLiteral("ALTER TABLE entries ADD COLUMN changed INTEGER"),
         QStringLiteral("UPDATE entries SET changed = (SELECT COUNT(*) FROM words w WHERE "
                        "w.entry_id = entries.id AND w.before_word IS NOT NULL AND "
                        "COALESCE(w.read_word, w.sent_word) IS NOT NULL AND "
                        "(COALESCE(w.read_word, w.sent_word) - w.before_word) % 65536 <> 0)")},
    };
    return kSteps;
}

QString timeText(const QDateTime& t) {
    return t.toUTC().toString(Qt::ISODateWithMs);
}

// A text column is never NULL: an empty text is bound as "".
QVariant text(const QString& s) {
    return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s);
}

QDateTime timeFrom(const QString& text) {
    QDateTime t = QDateTime::fromString(text, Qt::ISODateWithMs);
    t.setTimeSpec(Qt::UTC);
    return t;
}

QVariant optionalWord(const std::optional<std::int32_t>& word) {
    return word ? QVariant(*word) : QVariant(QMetaType::fromType<int>());
}

std::optional<std::int32_t> wordFrom(const QVariant& v) {
    if (v.isNull())
        return std::nullopt;
    return static_cast<std::int32_t>(v.toLongLong());
}

Status sqlFailure(const QString& what, const QSqlError& error) {
    // The first line only: PostgreSQL adds the statement and a pointer into it.
    QString reason = error.databaseText().trimmed();
    if (reason.isEmpty())
        reason = error.text().trimmed();
    reason = reason.section(u'\n', 0, 0).simplified();
    if (reason.startsWith(QLatin1String("ERROR: ")))
        reason = reason.mid(7);
    return Status::failure(what + QStringLiteral(": ") + reason);
}

// exec with the values bound in order.
// A statement without values is sent as it is (PostgreSQL prepares no DDL).
Status run(QSqlQuery& q, const QString& sql, const QVariantList& values = {}) {
    if (values.isEmpty()) {
        if (!q.exec(sql))
            return sqlFailure(QStringLiteral("the logbook refused a statement"), q.lastError());
        return {};
    }
    if (!q.prepare(sql))
        return sqlFailure(QStringLiteral("the logbook refused a statement"), q.lastError());
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        return sqlFailure(QStringLiteral("the logbook refused a statement"), q.lastError());
    return {};
}

// "sqlite:" and the absolute path, or the PostgreSQL URL as given.
QString normalLocation(const QString& location) {
    if (location.startsWith(QLatin1String("postgresql:")) ||
        location.startsWith(QLatin1String("postgres:")))
        return location;
    QString path = location;
    if (path.startsWith(QLatin1String("sqlite:")))
        path = path.mid(7);
    return QStringLiteral("sqlite:") + QFileInfo(path).absoluteFilePath();
}

} // namespace

Logbook::Logbook()
    : m_connection(QStringLiteral("hvc-logbook-%1").arg(connectionCount.fetchAndAddRelaxed(1))) {}

Logbook::~Logbook() {
    close();
}

int Logbook::schemaVersion() {
    return static_cast<int>(migrations().size());
}

QString Logbook::dataFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("hvc-configurator"));
}

QString Logbook::defaultLocation() {
    return QDir(dataFolder()).filePath(QStringLiteral("logbook.sqlite"));
}

QSqlDatabase Logbook::db() const {
    return QSqlDatabase::database(m_connection, false);
}

bool Logbook::isOpen() const {
    return QSqlDatabase::contains(m_connection) && db().isOpen();
}

void Logbook::close() {
    if (!QSqlDatabase::contains(m_connection))
        return;
    {
        QSqlDatabase d = db();
        d.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

Status Logbook::exec(const QString& sql) {
    QSqlQuery q(db());
    return run(q, sql);
}

Status Logbook::open(const QString& location, bool upgrade) {
    close();
    m_location = normalLocation(location);
    m_sqlite = m_location.startsWith(QLatin1String("sqlite:"));
    m_readOnly = false;
    const QString driver = m_sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL");
    if (!QSqlDatabase::isDriverAvailable(driver))
        return Status::failure(QStringLiteral("the Qt SQL driver %1 is not installed").arg(driver));
    QSqlDatabase d = QSqlDatabase::addDatabase(driver, m_connection);
    if (m_sqlite) {
        const QString path = m_location.mid(7);
        QDir().mkpath(QFileInfo(path).absolutePath());
        d.setDatabaseName(path);
        d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        // A file the user may not write is only read, as it is: opened otherwise,
        // SQLite would leave read-only journal files beside it that then keep
        // the file from being written once it may be again.
        const QFileInfo file(path);
        m_readOnly = file.exists() && !file.isWritable();
        if (m_readOnly) {
            d.setDatabaseName(QUrl::fromLocalFile(file.absoluteFilePath()).toString() +
                              QStringLiteral("?immutable=1"));
            d.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY"));
        }
    } else {
        const QUrl url(m_location);
        if (!url.isValid() || url.path().size() < 2)
            return Status::failure(
                QStringLiteral("'%1' is not postgresql://[user@]host[:port]/dbname").arg(location));
        const QString socketDir = QUrlQuery(url).queryItemValue(QStringLiteral("host"));
        d.setHostName(socketDir.isEmpty() ? url.host() : socketDir);
        if (url.port() > 0)
            d.setPort(url.port());
        d.setUserName(url.userName());
        d.setDatabaseName(url.path().mid(1));
        d.setConnectOptions(QStringLiteral("connect_timeout=5"));
    }
    if (!d.open())
        return sqlFailure(QStringLiteral("cannot open the logbook"), d.lastError());
    if (m_sqlite) {
        QSqlQuery q(d);
        // The whole file is checked at its first open in this program; each entry
        // opens the logbook again, and the check's cost grows with the file. The
        // quick check reads every page as the full one does but leaves out the
        // indexes' agreement with their tables, at half the cost.
        if (firstOpenOf(m_location)) {
            if (!q.exec(QStringLiteral("PRAGMA quick_check")) || !q.next())
                return sqlFailure(QStringLiteral("cannot read the logbook"), q.lastError());
            if (q.value(0).toString() != QLatin1String("ok"))
                return Status::failure(QStringLiteral("the logbook file is damaged: ") +
                                       q.value(0).toString());
            q.finish();
            const QMutexLocker lock(&checkedFilesLock);
            checkedFiles().insert(m_location);
        }
        if (!m_readOnly)
            (void)q.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        (void)q.exec(QStringLiteral("PRAGMA foreign_keys=ON"));
    }
    // PostgreSQL's notices ("already exists, skipping") are not for the user.
    if (!m_sqlite)
        if (Status s = exec(QStringLiteral("SET client_min_messages TO WARNING")); !s)
            return s;
    return upgrade ? migrate() : Status();
}

Status Logbook::migrate() {
    // An up-to-date logbook is not locked for writing: a read-only one can be read.
    {
        QSqlQuery q(db());
        if (q.exec(QStringLiteral("SELECT MAX(version) FROM schema_version")) && q.next() &&
            q.value(0).toInt() == schemaVersion())
            return {};
    }
    // One migration at a time: SQLite's write lock, PostgreSQL's advisory lock.
    if (Status s = exec(m_sqlite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN")); !s)
        return s;
    Status status = [this]() -> Status {
        if (!m_sqlite)
            if (Status s = exec(QStringLiteral("SELECT pg_advisory_xact_lock(4823001)")); !s)
                return s;
        if (Status s = exec(QStringLiteral(
                "CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"));
            !s)
            return s;
        QSqlQuery q(db());
        if (Status s = run(q, QStringLiteral("SELECT MAX(version) FROM schema_version")); !s)
            return s;
        const int current = q.next() ? q.value(0).toInt() : 0;
        q.finish();
        if (current > schemaVersion())
            return Status::failure(
                QStringLiteral("the logbook has schema version %1; this program knows up to %2")
                    .arg(current)
                    .arg(schemaVersion()));
        if (current == schemaVersion())
            return {};
        for (int v = current; v < schemaVersion(); ++v)
            for (QString sql : migrations().at(v)) {
                sql.replace(QLatin1String("%ID%"), m_sqlite
                                                       ? QStringLiteral("INTEGER PRIMARY KEY")
                                                       : QStringLiteral("BIGSERIAL PRIMARY KEY"));
                sql.replace(QLatin1String("%BIG%"), QStringLiteral("BIGINT"));
                if (Status s = exec(sql); !s)
                    return s.ok() ? s
                                  : Status::failure(QStringLiteral("migration %1: ").arg(v + 1) +
                                                    s.text());
            }
        if (Status s = exec(QStringLiteral("DELETE FROM schema_version")); !s)
            return s;
        return run(q, QStringLiteral("INSERT INTO schema_version (version) VALUES (?)"),
                   {schemaVersion()});
    }();
    if (status)
        status = exec(QStringLiteral("COMMIT"));
    if (!status)
        (void)exec(QStringLiteral("ROLLBACK"));
    return status;
}

Status Logbook::addUnit(const UnitIdentity& unit, qint64& id) {
    QSqlQuery q(db());
    const QString key = unit.key();
    if (Status s =
            run(q,
                QStringLiteral("INSERT INTO units (unit_key, known, model, serial, firmware, "
                               "port) VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT (unit_key) DO "
                               "NOTHING"),
                {key, unit.known ? 1 : 0, text(unit.known ? unit.model : QString()),
                 text(unit.serial), text(unit.firmware), text(unit.known ? QString() : unit.port)});
        !s)
        return s;
    if (Status s = run(q, QStringLiteral("SELECT id FROM units WHERE unit_key = ?"), {key}); !s)
        return s;
    if (!q.next())
        return Status::failure(QStringLiteral("the logbook lost the unit ") + unit.text());
    id = q.value(0).toLongLong();
    return {};
}

Status Logbook::add(LogEntry& entry) {
    if (!isOpen())
        return Status::failure(QStringLiteral("the logbook is not open"));
    if (m_readOnly)
        return Status::failure(QStringLiteral("the logbook file %1 is read-only")
                                   .arg(QDir::toNativeSeparators(m_location.mid(7))));
    if (Status s = exec(m_sqlite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN")); !s)
        return s;
    Status status = [this, &entry]() -> Status {
        qint64 unitId = 0;
        if (Status s = addUnit(entry.unit, unitId); !s)
            return s;
        QSqlQuery q(db());
        if (Status s =
                run(q,
                    QStringLiteral("INSERT INTO entries (unit_id, kind, at_utc, os_user, "
                                   "service_login, program, version, port, outcome, changed) "
                                   "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING id"),
                    {unitId, text(entry.kind), timeText(entry.time), text(entry.user),
                     entry.serviceLogin ? 1 : 0, text(entry.program), text(entry.version),
                     text(entry.port), text(entry.outcome), entry.changedWords()});
            !s)
            return s;
        if (!q.next())
            return Status::failure(QStringLiteral("the logbook gave no number for the entry"));
        const qint64 id = q.value(0).toLongLong();
        q.finish();
        if (!q.prepare(QStringLiteral("INSERT INTO words (entry_id, seq, name, address, "
                                      "before_word, sent_word, read_word) VALUES (?, ?, ?, ?, ?, "
                                      "?, ?)")))
            return sqlFailure(QStringLiteral("the logbook refused a statement"), q.lastError());
        for (int i = 0; i < entry.words.size(); ++i) {
            const LogWord& w = entry.words.at(i);
            for (const QVariant& v :
                 QVariantList{id, i, text(w.name), w.address, optionalWord(w.before),
                              optionalWord(w.sent), optionalWord(w.readBack)})
                q.addBindValue(v);
            if (!q.exec())
                return sqlFailure(QStringLiteral("the logbook refused a word"), q.lastError());
        }
        entry.id = id;
        return {};
    }();
    if (status)
        status = exec(QStringLiteral("COMMIT"));
    if (!status) {
        (void)exec(QStringLiteral("ROLLBACK"));
        entry.id = 0;
    }
    return status;
}

Status Logbook::units(QList<LogUnit>& out) {
    out.clear();
    QSqlQuery q(db());
    if (Status s = run(q, QStringLiteral("SELECT u.known, u.model, u.serial, u.firmware, u.port, "
                                         "COUNT(e.id), MAX(e.at_utc) FROM units u LEFT JOIN "
                                         "entries e ON e.unit_id = u.id GROUP BY u.id, u.known, "
                                         "u.model, u.serial, u.firmware, u.port ORDER BY "
                                         "MAX(e.at_utc) DESC, u.id"));
        !s)
        return s;
    while (q.next()) {
        LogUnit u;
        u.unit.known = q.value(0).toInt() != 0;
        u.unit.model = q.value(1).toString();
        u.unit.serial = q.value(2).toString();
        u.unit.firmware = q.value(3).toString();
        u.unit.port = q.value(4).toString();
        u.entries = q.value(5).toInt();
        u.lastSeen = timeFrom(q.value(6).toString());
        out.append(u);
    }
    return {};
}

namespace {
const char* const kEntryColumns =
    "SELECT e.id, e.kind, e.at_utc, e.os_user, e.service_login, e.program, e.version, e.port, "
    "e.outcome, u.known, u.model, u.serial, u.firmware, e.changed FROM entries e JOIN units u "
    "ON u.id = e.unit_id ";

LogEntry entryFrom(const QSqlQuery& q) {
    LogEntry e;
    e.id = q.value(0).toLongLong();
    e.kind = q.value(1).toString();
    e.time = timeFrom(q.value(2).toString());
    e.user = q.value(3).toString();
    e.serviceLogin = q.value(4).toInt() != 0;
    e.program = q.value(5).toString();
    e.version = q.value(6).toString();
    e.port = q.value(7).toString();
    e.outcome = q.value(8).toString();
    e.unit.known = q.value(9).toInt() != 0;
    e.unit.model = q.value(10).toString();
    e.unit.serial = q.value(11).toString();
    e.unit.firmware = q.value(12).toString();
    e.changedCount = q.value(13).toInt();
    if (!e.unit.known)
        e.unit.port = e.port;
    return e;
}

Status readWords(QSqlQuery& q, LogEntry& e) {
    if (Status s = run(q,
                       QStringLiteral("SELECT name, address, before_word, sent_word, read_word "
                                      "FROM words WHERE entry_id = ? ORDER BY seq"),
                       {e.id});
        !s)
        return s;
    while (q.next())
        e.words.append({q.value(0).toString(), static_cast<std::int32_t>(q.value(1).toLongLong()),
                        wordFrom(q.value(2)), wordFrom(q.value(3)), wordFrom(q.value(4))});
    return {};
}
} // namespace

Status Logbook::list(const LogFilter& filter, QList<LogEntry>& out) {
    out.clear();
    QSqlQuery q(db());
    const QString since = filter.since.isValid() ? timeText(filter.since) : QString();
    if (Status s = run(q,
                       QString::fromLatin1(kEntryColumns) +
                           QStringLiteral("WHERE (? = '' OR (u.known = 1 AND u.serial = ?)) AND "
                                          "e.at_utc >= ? ORDER BY e.at_utc DESC, e.id DESC"),
                       {text(filter.serial), text(filter.serial), text(since)});
        !s)
        return s;
    while (q.next())
        out.append(entryFrom(q));
    return {};
}

Status Logbook::entry(qint64 id, LogEntry& out) {
    QSqlQuery q(db());
    if (Status s =
            run(q, QString::fromLatin1(kEntryColumns) + QStringLiteral("WHERE e.id = ?"), {id});
        !s)
        return s;
    if (!q.next())
        return Status::failure(QStringLiteral("no entry %1").arg(id));
    out = entryFrom(q);
    return readWords(q, out);
}

Status Logbook::imageAt(qint64 id, QMap<std::int32_t, std::int32_t>& image, LogEntry& at) {
    image.clear();
    if (Status s = entry(id, at); !s)
        return s;
    // The entries of the unit up to this one, newest first, back to the last whole
    // image read.
    QSqlQuery q(db());
    if (Status s = run(q,
                       QStringLiteral("SELECT id, kind, outcome FROM entries WHERE unit_id = "
                                      "(SELECT unit_id FROM entries WHERE id = ?) AND id <= ? "
                                      "ORDER BY id DESC"),
                       {id, id});
        !s)
        return s;
    QList<qint64> ids;
    bool whole = false;
    bool reset = false;
    while (!whole && !reset && q.next()) {
        ids.prepend(q.value(0).toLongLong());
        const QString kind = q.value(1).toString();
        whole = isWholeImageKind(kind) && q.value(2).toString() == QLatin1String("ok");
        // Load-defaults leaves the unit with words no entry holds.
        reset = kind == QLatin1String("defaults");
    }
    if (reset)
        return Status::failure(
            QStringLiteral("entry %1: the unit was reset to its defaults at or before it and not "
                           "read whole since")
                .arg(id));
    if (!whole)
        return Status::failure(QStringLiteral("entry %1: no whole image of the unit was read at or "
                                              "before it")
                                   .arg(id));
    for (qint64 step : ids) {
        // The last step is the entry itself, read above.
        LogEntry e;
        if (step != id)
            if (Status s = entry(step, e); !s)
                return s;
        for (const LogWord& w : (step == id ? at : e).words)
            if (const auto word = w.image())
                image.insert(w.address, *word);
    }
    return {};
}

LogbookRecorder::LogbookRecorder(QString program) : m_program(std::move(program)) {}

LogbookRecorder::~LogbookRecorder() {
    stopWorker();
}

void LogbookRecorder::setLocation(const QString& location) {
    const QString chosen = location.isEmpty() ? Logbook::defaultLocation() : location;
    if (chosen != m_location)
        stopWorker();
    m_location = chosen;
}

void LogbookRecorder::stopWorker() {
    if (!m_worker.joinable())
        return;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_worker.join();
    m_stop = false;
}

void LogbookRecorder::prepare() {
    if (!m_enabled || m_worker.joinable())
        return;
    m_worker = std::thread([this, location = m_location] { work(location); });
}

// The worker's connection lives and dies on its thread, as Qt SQL wants it. An
// entry it cannot add (the server went away, the file was locked too long) is
// tried once more on a fresh connection, and else kept pending.
void LogbookRecorder::work(const QString& location) {
    Logbook book;
    const bool opened = static_cast<bool>(book.open(location));
    if (opened)
        (void)flushPending(book);
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || m_job != nullptr; });
        if (m_job == nullptr)
            return;
        LogEntry& entry = *m_job;
        lock.unlock();
        QString pending;
        Status status = book.isOpen() ? book.add(entry) : Status::failure({});
        if (!status) {
            book.close();
            status = recordEntry(location, entry, pending);
        }
        lock.lock();
        m_jobStatus = status;
        m_jobPending = pending;
        m_job = nullptr;
        m_wake.notify_all();
    }
}

Status LogbookRecorder::write(LogEntry& entry, QString& pending) {
    if (!m_worker.joinable())
        return recordEntry(m_location, entry, pending);
    std::unique_lock<std::mutex> lock(m_mutex);
    m_job = &entry;
    m_wake.notify_all();
    m_wake.wait(lock, [this] { return m_job == nullptr; });
    pending = m_jobPending;
    return m_jobStatus;
}

void LogbookRecorder::record(LogEntry& entry) {
    if (!m_enabled)
        return;
    entry.time = QDateTime::currentDateTimeUtc();
    entry.user = osUserName();
    entry.program = m_program;
    entry.version = QStringLiteral(HVC_VERSION);
    QString pending;
    const Status status = write(entry, pending);
    if (status) {
        m_failing = false;
        if (onRecorded)
            onRecorded(entry);
        return;
    }
    if (!m_failing && onFailure)
        onFailure(status, pending);
    m_failing = true;
}

QString pendingFilePath() {
    return QDir(Logbook::dataFolder()).filePath(QStringLiteral("logbook-pending.jsonl"));
}

Status flushPending(Logbook& book) {
    const QString path = pendingFilePath();
    if (!QFileInfo::exists(path))
        return {};
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(5000))
        return Status::failure(QStringLiteral("the pending file is locked"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::failure(file.errorString());
    const QList<QByteArray> lines = file.readAll().split('\n');
    file.close();
    QByteArray kept;
    Status status;
    for (const QByteArray& line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (o.value(QStringLiteral("logbook")).toString() == book.location() && status) {
            LogEntry e = LogEntry::fromJson(o.value(QStringLiteral("entry")).toObject());
            if (e.time.isValid() && !e.kind.isEmpty()) {
                status = book.add(e);
                if (status)
                    continue;
            }
        }
        kept += line + '\n';
    }
    if (kept.isEmpty())
        return QFile::remove(path) ? status
                                   : Status::failure(QStringLiteral("cannot remove ") + path);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(kept) != kept.size() || !out.commit())
        return Status::failure(out.errorString());
    return status;
}

Status recordEntry(const QString& location, LogEntry& entry, QString& pendingFile) {
    pendingFile.clear();
    Status status;
    QString target = normalLocation(location);
    {
        Logbook book;
        status = book.open(location);
        if (status) {
            (void)flushPending(book);
            status = book.add(entry);
        }
    }
    if (status)
        return status;
    const QString path = pendingFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QLockFile lock(path + QStringLiteral(".lock"));
    QFile file(path);
    const QByteArray line =
        QJsonDocument(QJsonObject{{QStringLiteral("logbook"), target},
                                  {QStringLiteral("entry"), entry.toJson(true)}})
            .toJson(QJsonDocument::Compact) +
        '\n';
    if (lock.tryLock(5000) && file.open(QIODevice::Append) && file.write(line) == line.size() &&
        file.flush())
        pendingFile = path;
    return status;
}

} // namespace hvc
