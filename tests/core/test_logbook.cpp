// The logbook on an SQLite file and, when HVC_TEST_PGURL names a server
// (scripts/test.sh starts one), on PostgreSQL: the same cases on both.
#include "core/logbook.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace hvc;

namespace {

LogEntry sample(const QString& serial, int words) {
    LogEntry e;
    e.kind = QStringLiteral("write-all");
    e.time = QDateTime::currentDateTimeUtc();
    e.user = QStringLiteral("tester");
    e.port = QStringLiteral("/dev/pts/9");
    e.outcome = QStringLiteral("ok");
    e.unit = {true, QStringLiteral("VCU 4W"), serial, QStringLiteral("v001.04"), {}};
    for (int i = 0; i < words; ++i)
        e.words.append({QStringLiteral("W%1").arg(i), 0x30000 + i * 0x200, i, i + 1, i + 1});
    return e;
}

void sql(Logbook& book, const QString& statement) {
    QSqlQuery q(book.database());
    ASSERT_TRUE(q.exec(statement)) << statement.toStdString();
}

int storedVersion(Logbook& book) {
    QSqlQuery q(book.database());
    return q.exec(QStringLiteral("SELECT MAX(version) FROM schema_version")) && q.next()
               ? q.value(0).toInt()
               : -1;
}

class LogbookTest : public ::testing::TestWithParam<bool> { // true: PostgreSQL
protected:
    void SetUp() override {
        location = dir.filePath(QStringLiteral("logbook.sqlite"));
        if (!GetParam())
            return;
        location = qEnvironmentVariable("HVC_TEST_PGURL");
        if (location.isEmpty())
            GTEST_SKIP() << "HVC_TEST_PGURL names no PostgreSQL server";
        Logbook book;
        ASSERT_TRUE(book.open(location, false).ok());
        sql(book, QStringLiteral("DROP TABLE IF EXISTS words, entries, units, schema_version"));
    }
    // Every entry with all its words.
    void expectWhole(int entries, int words) {
        Logbook book;
        ASSERT_TRUE(book.open(location).ok());
        QList<LogEntry> list;
        ASSERT_TRUE(book.list({}, list).ok());
        EXPECT_GE(list.size(), entries);
        for (const LogEntry& e : list)
            EXPECT_EQ(e.words.size(), words) << "entry " << e.id;
    }
    QTemporaryDir dir;
    QString location;
};

TEST_P(LogbookTest, EntriesRoundTripPerUnit) {
    Logbook book;
    ASSERT_TRUE(book.open(location).ok());
    LogEntry first = sample(QStringLiteral("10425"), 3);
    first.words[1].readBack = 7; // read back otherwise than sent
    first.words[2].before = 3;   // the unit already held it
    LogEntry unknown = sample({}, 1);
    unknown.unit = unknownUnit(QStringLiteral("/dev/ttyUSB1"));
    LogEntry second = sample(QStringLiteral("10425"), 0);
    second.kind = QStringLiteral("defaults");
    for (LogEntry* e : {&first, &unknown, &second})
        ASSERT_TRUE(book.add(*e).ok());
    QList<LogUnit> units;
    ASSERT_TRUE(book.units(units).ok());
    ASSERT_EQ(units.size(), 2);
    EXPECT_EQ(units[0].unit.serial, QStringLiteral("10425"));
    EXPECT_EQ(units[0].entries, 2);
    EXPECT_FALSE(units[1].unit.known);
    EXPECT_EQ(units[1].unit.port, QStringLiteral("/dev/ttyUSB1"));

    QList<LogEntry> list;
    ASSERT_TRUE(book.list({QStringLiteral("10425"), {}}, list).ok());
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].id, second.id); // newest first
    EXPECT_EQ(list[1].changedWords(), 2);
    ASSERT_TRUE(book.list({{}, QDateTime::currentDateTimeUtc().addDays(1)}, list).ok());
    EXPECT_TRUE(list.isEmpty());

    LogEntry back;
    ASSERT_TRUE(book.entry(first.id, back).ok());
    EXPECT_EQ(back.toJson(true), first.toJson(true));
    EXPECT_EQ(book.entry(first.id + 100, back).text(),
              QStringLiteral("no entry %1").arg(first.id + 100));
}

TEST_P(LogbookTest, OlderSchemasAreUpgradedNewerRefused) {
    {
        // Version 1 as its program left it, with one entry.
        Logbook book;
        ASSERT_TRUE(book.open(location, false).ok());
        const QString id = GetParam() ? "BIGSERIAL PRIMARY KEY" : "INTEGER PRIMARY KEY";
        const QStringList v1 = {
            "CREATE TABLE schema_version (version INTEGER NOT NULL)",
            "INSERT INTO schema_version VALUES (1)",
            "CREATE TABLE units (id " + id +
                ", unit_key TEXT NOT NULL UNIQUE, known INTEGER NOT NULL, model TEXT NOT NULL, "
                "serial TEXT NOT NULL, firmware TEXT NOT NULL, port TEXT NOT NULL)",
            "CREATE TABLE entries (id " + id +
                ", unit_id BIGINT NOT NULL REFERENCES units(id), kind TEXT NOT NULL, at_utc TEXT "
                "NOT NULL, os_user TEXT NOT NULL, service_login INTEGER NOT NULL, program TEXT NOT "
                "NULL, version TEXT NOT NULL, port TEXT NOT NULL, outcome TEXT NOT NULL)",
            "CREATE TABLE words (entry_id BIGINT NOT NULL REFERENCES entries(id) ON DELETE "
            "CASCADE, seq INTEGER NOT NULL, name TEXT NOT NULL, address INTEGER NOT NULL, "
            "before_word INTEGER, sent_word INTEGER, read_word INTEGER, PRIMARY KEY (entry_id, "
            "seq))",
            "INSERT INTO units (unit_key, known, model, serial, firmware, port) VALUES ('k', 1, "
            "'VCU 2W', '77', 'v001.00', '')",
            "INSERT INTO entries (unit_id, kind, at_utc, os_user, service_login, program, version, "
            "port, outcome) SELECT id, 'set', '2026-01-02T03:04:05.000Z', 'old', 0, 'hvcctl', "
            "'0.0.9', '/dev/ttyS0', 'ok' FROM units",
            "INSERT INTO words SELECT id, 0, 'I Max 1A', 197120, 850, 900, 900 FROM entries"};
        for (const QString& s : v1)
            sql(book, s);
    }
    Logbook book;
    ASSERT_TRUE(book.open(location).ok());
    EXPECT_EQ(storedVersion(book), Logbook::schemaVersion());
    LogEntry old;
    ASSERT_TRUE(book.entry(1, old).ok());
    EXPECT_EQ(old.unit.serial, QStringLiteral("77"));
    EXPECT_EQ(old.words.value(0).readBack, 900);
    LogEntry next = sample(QStringLiteral("77"), 1);
    EXPECT_TRUE(book.add(next).ok());

    sql(book, QStringLiteral("UPDATE schema_version SET version = 99"));
    const Status newer = Logbook().open(location);
    EXPECT_TRUE(newer.text().contains(QStringLiteral("schema version 99")))
        << newer.text().toStdString();
}

TEST_P(LogbookTest, TwoWritersAtOnceLoseNothing) {
    const auto writer = [this](const QString& serial) {
        Logbook book;
        ASSERT_TRUE(book.open(location).ok());
        for (int i = 0; i < 20; ++i) {
            LogEntry e = sample(serial, 30);
            ASSERT_TRUE(book.add(e).ok());
        }
    };
    std::thread a(writer, QStringLiteral("1"));
    std::thread b(writer, QStringLiteral("2"));
    a.join();
    b.join();
    expectWhole(40, 30);
}

TEST_P(LogbookTest, AKilledWriterLeavesNoHalfEntry) {
    {
        Logbook book; // the schema is there before the writer starts
        ASSERT_TRUE(book.open(location).ok());
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Logbook book;
        if (!book.open(location))
            ::_exit(1);
        for (;;) {
            LogEntry e = sample(QStringLiteral("3"), 2000);
            (void)book.add(e);
        }
    }
    ::usleep(700000);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    expectWhole(1, 2000);
}

INSTANTIATE_TEST_SUITE_P(Databases, LogbookTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "PostgreSQL" : "SQLite"; });

} // namespace
