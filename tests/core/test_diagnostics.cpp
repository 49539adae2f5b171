// The diagnostic texts, the active-error list kept from the rows' events and the
// error history with its CSV.

#include "core/activeerrorlist.h"
#include "core/diagnosticlist.h"
#include "core/diagnosticrows.h"
#include "core/errorhistory.h"
#include "core/prompter.h"
#include "support/paths.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace hvc;

namespace {

const QString kMessage = QString::fromLatin1(kDiagnosticListMessage);
// The example line: row 3 (section 1), bit 2.
const QString kOver = QStringLiteral("3\t2\t0\tOver\tSEC1\tE32\tSection 1 overcurrent");

struct Load {
    DiagnosticList list;
    ScriptedPrompter prompter;
    bool run(const QString& body) {
        return list.loadDiagnosticListText(
            QStringLiteral("Row\tBit\tLevel\tBitText\tKey\tErrorID\tDescription\tNote\n") + body,
            prompter);
    }
};

QDateTime at(int minute) {
    return QDateTime(QDate(2024, 3, 5), QTime(14, minute, 0));
}

} // namespace

TEST(DiagnosticList, LinesFillTheirRecordsAndAFaultStopsReadingKeepingEarlierOnes) {
    Load full;
    ASSERT_TRUE(full.run(QStringLiteral("3\t2\t7\tFirst\tX\tE0\tOld\told note\n") + kOver +
                         QStringLiteral("\tsee the coil\r\n"
                                        "0\t0\t-5\n"
                                        "0\t2\t1\tText\tKEY\n"
                                        "0\t3\t1\tText\t\tE03\n"
                                        "0\t4\t1\tText\tK\tE04\tDescription, with comma\n"
                                        "0\t8\t1\tNinth bit")));
    QStringList fields; // the later line for 3/2, no CR left at the end of a line
    for (const auto& [row, bit] : {std::pair{3, 2}, {0, 0}, {0, 2}, {0, 3}, {0, 4}, {0, 8}}) {
        const DiagnosticMessage* f = full.list.record(row, bit);
        ASSERT_NE(f, nullptr) << row << "/" << bit;
        fields << QStringLiteral("%1|%2|%3|%4|%5|%6")
                      .arg(f->firstNumber)
                      .arg(f->bitText, f->key, f->errorId, f->description, f->note);
    }
    EXPECT_EQ(fields, (QStringList{"0|Over|SEC1|E32|Section 1 overcurrent|see the coil", "-5|||||",
                                   "1|Text|KEY|||", "1|Text||E03||",
                                   "1|Text|K|E04|Description, with comma|", "1|Ninth bit||||"}));
    EXPECT_EQ(full.list.messageGroupCount(), 1) << "the count follows the last line's row";

    // A fault stops reading with the message and keeps the records before it.
    for (const auto& [line, reason] : {
             std::pair{"11\t0\t0\tRow eleven", "line 3: row 11 is outside 0-10"},
             {"3\t9\t0\tBit nine", "line 3: bit 9 is outside 0-8"},
             {"x\t0\t0\tText", "line 3: row number 'x' is not a whole number"},
             {"3\t2", "line 3: first number is empty"},
             {"", "line 3: row number is empty"},
         }) {
        Load l;
        EXPECT_FALSE(l.run(kOver + u'\n' + QLatin1String(line) + "\n4\t0\t0\tAfter\n")) << line;
        EXPECT_EQ(l.prompter.texts(), QStringList{kMessage}) << line;
        EXPECT_TRUE(l.list.lastError().startsWith(QLatin1String(reason))) << line;
        EXPECT_EQ(l.list.lastError(), l.prompter.messages.value(0).detail);
        EXPECT_EQ(l.list.messageGroupCount(), 0) << "no bit texts after a fault";
        EXPECT_NE(l.list.record(3, 2), nullptr) << "the line before the fault stays";
        EXPECT_EQ(l.list.record(4, 0), nullptr) << "nothing after the fault is read";
    }
}

// A missing file's message is checked through hvcctl (test_hvcctl_diag).
TEST(DiagnosticList, AReloadStartsEmptyAndTheShippedFileDescribesEveryShownBit) {
    Load l;
    ASSERT_TRUE(l.run(kOver));
    EXPECT_FALSE(l.list.loadDiagnosticList(QStringLiteral("/nonexistent/x.ini"), l.prompter));
    EXPECT_EQ(l.list.messageGroupCount(), 0);
    EXPECT_EQ(l.list.record(3, 2), nullptr) << "texts of another file do not linger";
    EXPECT_FALSE(l.list.loadDiagnosticListText(QString(), l.prompter));
    EXPECT_EQ(l.prompter.messages.size(), 2);
    DiagnosticList list;
    ScriptedPrompter prompter;
    ASSERT_TRUE(list.loadDiagnosticList(test::sourcePath("res/ini/DiagnosticList.ini"), prompter))
        << list.lastError().toStdString();
    EXPECT_EQ(list.messageGroupCount(), kDiagnosticBoundRows);
    QSet<QString> texts;
    for (int row = 0; row < kDiagnosticBoundRows; ++row)
        for (int bit = 0; bit < kDiagnosticShownBits; ++bit)
            if (const DiagnosticMessage* r = list.record(row, bit); r && !r->key.isEmpty()) {
                // A shared item text would let one error's going remove another's item.
                const QString text = DiagnosticList::itemText(r->key, bit);
                EXPECT_FALSE(texts.contains(text)) << text.toStdString();
                texts.insert(text);
            }
    EXPECT_TRUE(list.record(0, 6) && list.record(0, 6)->key.isEmpty()) << "ready is no error";
}

TEST(ActiveErrorList, AnErrorComesWithItsTextsAndGoesWhenItsBitClears) {
    Load l;
    ASSERT_TRUE(l.run(kOver + "\n3\t3\t0\tOpen A\tSEC1\tE33\tSection 1 open coil A\n"
                              "4\t2\t0\tOver\tSEC1\tE42\tSame key\n0\t6\t0\tReady\t\tE06\tStatus\n"
                              "4\t3\t0\tOpen A"));
    ActiveErrorList list(l.list);
    QList<ActiveErrorChange> changes = list.valueChanged(3, 0x0004, 0x0004);
    ASSERT_EQ(list.items().size(), 1);
    const ActiveErrorItem& item = list.items().front();
    EXPECT_EQ((QStringList{item.text, item.errorId, item.description}),
              (QStringList{"SEC1 - 4", "E32", "Section 1 overcurrent"}));
    EXPECT_EQ(changes.value(0).kind, ActiveErrorChange::Kind::Added);

    // Only the bits in Changed count: bit 3 comes, and bit 2 stays listed although
    // Value lacks it, since Changed does not have it.
    list.valueChanged(3, 0x0008, 0x0008);
    ASSERT_EQ(list.items().size(), 2);
    changes = list.valueChanged(3, 0x0008, 0x0004);
    ASSERT_EQ(list.items().size(), 1);
    EXPECT_EQ(list.items().front().text, QStringLiteral("SEC1 - 8"));
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes.front().kind, ActiveErrorChange::Kind::Removed);

    // The word as the link hands it over: 0xFFFF is -1. Every set bit is an error, also
    // those above 7 and those without a record, listed under the word and the weight.
    list.valueChanged(3, -1, -1);
    EXPECT_EQ(list.items().size(), 17);
    EXPECT_EQ(list.items().back().text, QStringLiteral("HVC_ERROR_SEC_1 - 32768"));
    EXPECT_EQ(
        list.items().back().description,
        QStringLiteral("bit 15 of HVC_ERROR_SEC_1 is set; the message file has no text for it"));
    list.valueChanged(3, 0, -1);
    EXPECT_TRUE(list.isEmpty());

    // The ready bit is state, never listed; a record without a key still lists its bit.
    EXPECT_TRUE(list.valueChanged(0, 0x40, 0x40).isEmpty());
    changes = list.valueChanged(4, 0x08, 0x08);
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ((QStringList{changes[0].item.text, changes[0].item.description}),
              (QStringList{"HVC_ERROR_SEC_2 - 8",
                           "Open A: bit 3 of HVC_ERROR_SEC_2 is set; the message file lists no "
                           "key for it"}));
}

TEST(ErrorHistory, EachErrorOnceNewestFirstQuotedAndTheOldestGoFirstWhenFull) {
    Load l;
    ASSERT_TRUE(l.run(kOver + QStringLiteral("\n1\t0\t3\tLow\tVBB\tE10\tSupply voltage low")));
    ActiveErrorList list(l.list);
    ErrorHistory history;
    history.apply(list.valueChanged(3, 0x0004, 0x0004), at(1));
    history.apply(list.valueChanged(3, 0x0004, 0x0004), at(2)); // listed twice, one history entry
    history.apply(list.valueChanged(1, 0x0001, 0x0001), at(3));
    history.apply(list.valueChanged(3, 0, 0x0004), at(4));
    history.apply(list.valueChanged(3, 0x0004, 0x0004), at(5)); // came again: a new entry
    EXPECT_EQ(history.toCsv(),
              QStringLiteral("Came,Went,VarKey,Error ID,Description\r\n"
                             "2024-03-05 14:05:00,active,SEC1 - 4,E32,Section 1 overcurrent\r\n"
                             "2024-03-05 14:03:00,active,VBB - 1,E10,Supply voltage low\r\n"
                             "2024-03-05 14:01:00,2024-03-05 14:04:00,SEC1 - 4,E32,Section 1 "
                             "overcurrent\r\n"));
    // CSV quotes what would split a field; when full, the oldest entries go first.
    Load q;
    ASSERT_TRUE(q.run(QStringLiteral("3\t0\t0\tT\tK,1\tE1\tSays \"stop\", then halts")));
    ActiveErrorList quoted(q.list);
    ErrorHistory full;
    full.apply(quoted.valueChanged(3, 1, 1), at(0));
    EXPECT_TRUE(full.toCsv().endsWith(
        QStringLiteral(",active,\"K,1 - 1\",E1,\"Says \"\"stop\"\", then halts\"\r\n")))
        << full.toCsv().toStdString();

    for (qsizetype i = 0; i < ErrorHistory::kMaxEntries; ++i) {
        full.apply(quoted.valueChanged(3, 0, 1), at(1));
        full.apply(quoted.valueChanged(3, 1, 1), at(2));
    }
    EXPECT_EQ(full.entries().size(), ErrorHistory::kMaxEntries);
    EXPECT_EQ(full.dropped(), 1);
    EXPECT_EQ(full.entries().back().came, at(2)) << "the first entry was dropped";
}
