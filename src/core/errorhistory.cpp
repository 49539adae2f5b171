#include "core/errorhistory.h"

#include "core/csv.h"

#include <QStringList>

namespace hvc {

void ErrorHistory::apply(const QList<ActiveErrorChange>& changes, const QDateTime& when) {
    for (const ActiveErrorChange& change : changes) {
        const ActiveErrorItem& item = change.item;
        ErrorHistoryEntry* open = activeEntry(item.row, item.bit);
        if (change.kind == ActiveErrorChange::Kind::Removed) {
            if (open != nullptr)
                open->went = when;
            continue;
        }
        if (open != nullptr)
            continue;
        m_entries.prepend(
            {when, QDateTime(), item.row, item.bit, item.text, item.errorId, item.description});
        if (m_entries.size() > kMaxEntries) {
            m_entries.removeLast();
            ++m_dropped;
        }
    }
}

ErrorHistoryEntry* ErrorHistory::activeEntry(int row, int bit) {
    for (ErrorHistoryEntry& entry : m_entries)
        if (entry.isActive() && entry.row == row && entry.bit == bit)
            return &entry;
    return nullptr;
}

void ErrorHistory::clear() {
    m_entries.clear();
    m_dropped = 0;
}

QString ErrorHistory::formatTime(const QDateTime& time) {
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString ErrorHistory::toCsv() const {
    QString csv = QStringLiteral("Came,Went,VarKey,Error ID,Description\r\n");
    for (const ErrorHistoryEntry& e : m_entries) {
        const QStringList fields{
            formatTime(e.came),      e.isActive() ? QStringLiteral("active") : formatTime(e.went),
            csvField(e.varKey),      csvField(e.errorId),
            csvField(e.description),
        };
        csv += fields.join(u',') + QStringLiteral("\r\n");
    }
    return csv;
}

} // namespace hvc
