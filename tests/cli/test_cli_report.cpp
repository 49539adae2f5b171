// The service report: which entries of the logbook make one visit, what the report
// says of them, and the PDF `hvcctl log report` writes (or refuses to write).

#include "core/catalogue.h"
#include "core/prompter.h"
#include "report/servicereport.h"
#include "support/hvcctlrun.h"
#include "support/paths.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace hvc;
using hvc::testutil::hvcctlProcess;
using hvc::testutil::Outcome;

namespace {

const QDateTime kStart(QDate(2026, 12, 7), QTime(8, 0), Qt::UTC);

// A visit by anna: a read, a set of a current, a write that failed half-way (exactly
// two hours after the set, still the same visit); then bert 3 h later, anna again
// after more than two hours, and anna on another unit in between.
struct Book {
    QTemporaryDir dir;
    QString location = dir.filePath(QStringLiteral("logbook.sqlite"));
    QList<qint64> ids;
    Book() {
        Logbook book;
        EXPECT_TRUE(book.open(location).ok());
        const auto add = [&](const char* kind, int minutes, const char* user, const char* serial,
                             const char* outcome, const QList<LogWord>& words) {
            LogEntry e;
            e.kind = QString::fromLatin1(kind);
            e.time = kStart.addSecs(minutes * 60);
            e.user = QString::fromLatin1(user);
            e.outcome = QString::fromLatin1(outcome);
            e.unit = {true,
                      QStringLiteral("VCU 4W"),
                      QString::fromLatin1(serial),
                      QStringLiteral("v001.04"),
                      {}};
            e.words = words;
            EXPECT_TRUE(book.add(e).ok());
            ids.append(e.id);
        };
        const QString imax = QStringLiteral("I Max 1A");
        add("read-all", 0, "anna", "10425", "ok", {{imax, 0x30200, {}, {}, 850}});
        add("set", 40, "anna", "10425", "ok", {{imax, 0x30200, 850, 880, 880}});
        add("set", 50, "anna", "777", "ok", {{imax, 0x30200, 850, 860, 860}});
        add("write-all", 160, "anna", "10425", "failed after 1 of 2 words: FAILED! time-out",
            {{imax, 0x30200, 880, 910, {}}, {QStringLiteral("X"), 0x50000, 3, 4, {}}});
        add("set", 340, "bert", "10425", "ok", {{imax, 0x30200, 910, 1000, 1000}});
        add("read-all", 281, "anna", "10425", "ok", {{imax, 0x30200, {}, {}, 1000}});
    }
    QList<qint64> visit(qint64 id) {
        Logbook book;
        EXPECT_TRUE(book.open(location).ok());
        ServiceVisit v;
        EXPECT_TRUE(visitOf(book, id, v).ok());
        QList<qint64> out;
        for (const LogEntry& e : v.entries)
            out.append(e.id);
        return out;
    }
};

} // namespace

TEST(ServiceReport, AVisitIsOneUsersRunOnOneUnitAndSaysWhatChanged) {
    Book b;
    const QList<qint64> anna{b.ids[0], b.ids[1], b.ids[3]};
    EXPECT_EQ(b.visit(b.ids[0]), anna);
    EXPECT_EQ(b.visit(b.ids[3]), anna);
    EXPECT_EQ(b.visit(b.ids[4]), QList<qint64>{b.ids[4]}); // bert
    EXPECT_EQ(b.visit(b.ids[5]), QList<qint64>{b.ids[5]}); // 2 h 1 min after the write

    Logbook book;
    ASSERT_TRUE(book.open(b.location).ok());
    ServiceVisit visit;
    EXPECT_EQ(visitOf(book, 999, visit).text(), QStringLiteral("no entry 999"));
    ASSERT_TRUE(visitOf(book, b.ids[1], visit).ok());
    const QList<VisitChange> changes = visitChanges(visit);
    ASSERT_EQ(changes.size(), 2);
    EXPECT_EQ(changes[0].before, 850); // the first before, the last after
    EXPECT_EQ(changes[0].after, 910);

    Catalogue cat;
    ScriptedPrompter quiet;
    ASSERT_TRUE(cat.loadCatalogue(test::sourcePath("res/ini/Ramlist.ini"), quiet));
    const QString html = serviceReportHtml(visit, cat);
    for (const char* text : {"10425", "anna, no service staff login", "850 mA \u2192 910 mA",
                             "3 \u2192 4", "NOT COMPLETED</b>: failed after 1 of 2 words"})
        EXPECT_TRUE(html.contains(QString::fromUtf8(text))) << text;
    EXPECT_TRUE(html.contains(QRegularExpression(QStringLiteral("\\(UTC[+-]\\d\\d:\\d\\d\\)"))));
    ASSERT_TRUE(visitOf(book, b.ids[5], visit).ok());
    EXPECT_TRUE(serviceReportHtml(visit, cat)
                    .contains(QStringLiteral("No parameter was changed during this visit.")));
}

TEST(ServiceReport, HvcctlWritesAWholePdfOrNothing) {
    Book b;
    const auto report = [&](qint64 id, const QString& pdf) {
        return hvcctlProcess(
            {"log", "report", QString::number(id), "-o", pdf, "--logbook", b.location});
    };
    const QString pdf = b.dir.filePath(QStringLiteral("visit.pdf"));
    const Outcome ok = report(b.ids[1], pdf);
    ASSERT_EQ(ok.code, 0) << ok.err.toStdString();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("%PDF-"));
    EXPECT_FALSE(QFile::exists(pdf + QStringLiteral(".part")));

    // Not in a folder that is a file, nor without a graphical application object
    // (in-process: the test has none): the reason, and nothing left behind.
    const QString blocked = pdf + QStringLiteral("/x.pdf");
    const Outcome bad = report(b.ids[1], blocked);
    EXPECT_EQ(bad.code, 2);
    EXPECT_TRUE(bad.err.endsWith(
        QStringLiteral("hvcctl log report: Cannot write %1: Not a directory\n").arg(blocked)))
        << bad.err.toStdString();
    const QString other = b.dir.filePath(QStringLiteral("x.pdf"));
    EXPECT_EQ(testutil::hvcctl({"log", "report", QString::number(b.ids[1]), "-o", other,
                                "--logbook", b.location})
                  .code,
              2);
    EXPECT_EQ(report(999, other).code, 1);
    EXPECT_EQ(QDir(b.dir.path()).entryList(QDir::Files),
              QStringList({QStringLiteral("logbook.sqlite"), QStringLiteral("visit.pdf")}));

    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!text.waitForFinished(30000) || text.exitCode() != 0)
        GTEST_SKIP() << "no pdftotext (poppler-utils) to read the PDF";
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    for (const char* t : {"Service report", "10425", "850 mA \u2192 910 mA", "NOT COMPLETED"})
        EXPECT_TRUE(printed.contains(QString::fromUtf8(t))) << t << '\n' << printed.toStdString();
}
