#pragma once
// The service report a technician leaves with the customer: one visit to a unit
// (which unit, who and when, what was changed from what to what, and how each
// transfer went), taken from the unit logbook, as HTML or as an A4 PDF.

#include "core/logbook.h"
#include "core/status.h"
#include "core/unitidentity.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

namespace hvc {

class Catalogue;

// One visit: the entries of one unit by one user with no more than kVisitGapMs
// between one and the next. The first entry (a read, often) starts the visit.
struct ServiceVisit {
    UnitIdentity unit;
    QList<LogEntry> entries; // oldest first, with their words
};

inline constexpr qint64 kVisitGapMs = 2LL * 60 * 60 * 1000;

// The visit around entry `id` (Status "no entry N" when there is none).
Status visitOf(Logbook& book, qint64 id, ServiceVisit& out);

// A word the visit changed: what the unit held before the first change and after
// the last one (empty: not known).
struct VisitChange {
    QString name;
    std::int32_t address = 0;
    std::optional<std::int32_t> before;
    std::optional<std::int32_t> after;
};
// The changed words of the visit, in the order they were first changed. A word
// changed and then set back is not listed.
QList<VisitChange> visitChanges(const ServiceVisit& visit);

// The report as HTML (the subset QTextDocument renders), values in display units
// where `catalogue` knows the variable (same name and address), else the raw word.
QString serviceReportHtml(const ServiceVisit& visit, const Catalogue& catalogue);

// Writes the report as an A4 PDF to `pdfPath` (first to pdfPath + ".part", then
// renamed, so a failure leaves no half file). Needs a QGuiApplication.
Status writeServiceReport(const ServiceVisit& visit, const Catalogue& catalogue,
                          const QString& pdfPath);

} // namespace hvc
