#pragma once
// What the unit reported during a session: every error that became active, when
// it came and when it went, newest first. Fed with the active-error list's
// changes; exported as CSV. No widgets here, and no clock: the caller says when.

#include "core/activeerrorlist.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace hvc {

struct ErrorHistoryEntry {
    QDateTime came;
    QDateTime went; // invalid while the error is active
    int row = 0;
    int bit = 0;
    QString varKey; // the item text, "SEC1 - 4"
    QString errorId;
    QString description;

    bool isActive() const { return !went.isValid(); }
};

class ErrorHistory {
public:
    // Beyond this many entries the oldest are dropped (and counted in dropped()).
    static constexpr qsizetype kMaxEntries = 10000;

    // An item added starts an entry unless its error (row and bit) already has an
    // active one: the list can hold the same error twice, the history once. An
    // item removed ends the active entry of its error.
    void apply(const QList<ActiveErrorChange>& changes, const QDateTime& when);

    const QList<ErrorHistoryEntry>& entries() const { return m_entries; }
    qsizetype dropped() const { return m_dropped; }
    void clear();

    // "Came,Went,VarKey,Error ID,Description" and one line per entry, newest first;
    // an active error's Went reads "active". Fields holding a comma, a quote or a
    // line break are quoted (RFC 4180); lines end in CR LF.
    QString toCsv() const;
    // The history's time format, "2024-03-05 14:07:31" in local time.
    static QString formatTime(const QDateTime& time);

private:
    ErrorHistoryEntry* activeEntry(int row, int bit);

    QList<ErrorHistoryEntry> m_entries;
    qsizetype m_dropped = 0;
};

} // namespace hvc
