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

class LogbookTest : public ::testing::TestWithParam<bool> { // true: PostgreSQL
protected:
    void SetUp() override {
        m_location = m_dir.filePath(QStringLiteral("logbook.sqlite"));
        if (!GetParam())
            return;
        m_location = qEnvironmentVariable("HVC_TEST_PGURL");
        if (m_location.isEmpty())
            GTEST_SKIP() << "HVC_TEST_PGURL names no PostgreSQL server";
        Logbook book;
        ASSERT_TRUE(book.open(m_location, false).ok());
        sql(book, QStringLiteral("DROP TABLE IF EXISTS words, entries, units, schema_version"));
    }
    // Every entry with all its words.
    void expectWhole(int entries, int words) {
        Logbook book;
        ASSERT_TRUE(book.open(m_location).ok());
        QList<LogEntry> list;
        ASSERT_TRUE(book.list({}, list).ok());
        EXPECT_GE(list.size(), entries);
        for (const LogEntry& e : list) {
            LogEntry whole;
            ASSERT_TRUE(book.entry(e.id, whole).ok());
            EXPECT_EQ(whole.words.size(), words) << "entry " << e.id;
        }
    }
    QTemporaryDir m_dir;
    QString m_location;
};

TEST_P(LogbookTest, EntriesRoundTripPerUnit) {
    Logbook book;
    ASSERT_TRUE(book.open(m_location).ok());
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
    LogEntry old = sample(QStringLiteral("77"), 1);
    {
        // A logbook of version 1 (as its first step leaves it), with an entry.
        Logbook book;
        ASSERT_TRUE(book.open(m_location).ok());
        ASSERT_TRUE(book.add(old).ok());
        sql(book, QStringLiteral("DROP INDEX entries_unit_time"));
        sql(book, QStringLiteral("ALTER TABLE entries DROP COLUMN changed"));
        sql(book, QStringLiteral("UPDATE schema_version SET version = 1"));
    }
    Logbook book;
    ASSERT_TRUE(book.open(m_location).ok());
    QSqlQuery q(book.database());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT version FROM schema_version")) && q.next());
    EXPECT_EQ(q.value(0).toInt(), Logbook::schemaVersion());
    EXPECT_FALSE(q.next());
    sql(book, QStringLiteral("DROP INDEX entries_unit_time")); // step 2 made it again
    LogEntry back;
    ASSERT_TRUE(book.entry(old.id, back).ok());
    EXPECT_EQ(back.toJson(true), old.toJson(true));
    QList<LogEntry> listed; // step 3 counted the old entry's changed words
    ASSERT_TRUE(book.list({}, listed).ok());
    ASSERT_EQ(listed.size(), 1);
    EXPECT_EQ(listed[0].changedWords(), 1);

    sql(book, QStringLiteral("UPDATE schema_version SET version = 99"));
    const Status newer = Logbook().open(m_location);
    EXPECT_TRUE(newer.text().contains(QStringLiteral("schema version 99")))
        << newer.text().toStdString();
}

TEST_P(LogbookTest, TwoWritersAtOnceLoseNothing) {
    const auto writer = [this](const QString& serial) {
        Logbook book;
        ASSERT_TRUE(book.open(m_location).ok());
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
        ASSERT_TRUE(book.open(m_location).ok());
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Logbook book;
        if (!book.open(m_location))
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
