#pragma once
// What the Unit History window shows, read through the logbook's own calls: the
// units, the entries of one unit newest first and the words an entry changed, in
// display units.

#include "core/catalogue.h"
#include "core/logbook.h"
#include "report/servicereport.h"

#include <QList>
#include <QMap>
#include <QString>
#include <cstdint>

namespace hvc {

// One row of the changes table.
struct HistoryChange {
    QString variable;
    QString address;
    QString before;
    QString after;
};

// "VCU 4W  serial 1234 firmware v001.04", "unknown unit on /dev/pts/3".
QString unitChoiceText(const UnitIdentity& unit);
// The user, with "(service)" after a service login.
QString entryUserText(const LogEntry& entry);

class UnitHistory {
public:
    // Opens the logbook at `location` (empty: the default) and lists its units;
    // the entries kept pending for it are written first.
    Status open(const QString& location);
    const QList<LogUnit>& units() const { return m_units; }
    // The unit whose key is `key`, else the one seen last; -1 when there is none.
    int preferredUnit(const QString& key) const;
    // Lists the entries of units()[unit], newest first.
    Status showUnit(int unit);
    int shownUnit() const { return m_unit; }
    const QList<LogEntry>& entries() const { return m_entries; }

    // The words entries()[row] changed, before and after. A whole-image read
    // lists the words that differ from the unit's image as of the entry before
    // it (every word read when there is none); `note` says which.
    Status changes(const Catalogue& catalogue, int row, QList<HistoryChange>& out, QString& note);
    // The visit around entries()[row], for its service report.
    Status visit(int row, ServiceVisit& out);
    // The unit's image as of entries()[row].
    Status imageAt(int row, QMap<std::int32_t, std::int32_t>& image);

private:
    Logbook m_book;
    QList<LogUnit> m_units;
    QList<LogEntry> m_entries;
    int m_unit = -1;
};

} // namespace hvc
