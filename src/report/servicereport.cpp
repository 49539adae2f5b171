#include "report/servicereport.h"

#include "core/catalogue.h"
#include "core/unitvariable.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTextDocument>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace hvc {

Status visitOf(Logbook& book, qint64 id, ServiceVisit& out) {
    out = {};
    LogEntry chosen;
    if (Status s = book.entry(id, chosen); !s)
        return s;
    // Every entry of the same unit by the same user, oldest first.
    QSqlQuery q(book.database());
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral(
            "SELECT id, at_utc FROM entries WHERE unit_id = (SELECT unit_id FROM entries WHERE "
            "id = ?) AND os_user = ? ORDER BY at_utc, id")))
        return Status::failure(QStringLiteral("the logbook refused a statement"),
                               q.lastError().text());
    q.addBindValue(id);
    q.addBindValue(chosen.user.isNull() ? QStringLiteral("") : chosen.user);
    if (!q.exec())
        return Status::failure(QStringLiteral("the logbook refused a statement"),
                               q.lastError().text());
    QList<std::pair<qint64, QDateTime>> rows;
    qsizetype at = -1;
    while (q.next()) {
        if (q.value(0).toLongLong() == id)
            at = rows.size();
        rows.append({q.value(0).toLongLong(),
                     QDateTime::fromString(q.value(1).toString(), Qt::ISODateWithMs)});
    }
    if (at < 0) // only when the entry went away in between
        return Status::failure(QStringLiteral("no entry %1").arg(id));
    const auto apart = [&](qsizetype i) { // more than the gap between rows i and i + 1
        return rows[i].second.msecsTo(rows[i + 1].second) > kVisitGapMs;
    };
    qsizetype first = at;
    while (first > 0 && !apart(first - 1))
        --first;
    qsizetype last = at;
    while (last + 1 < rows.size() && !apart(last))
        ++last;
    out.unit = chosen.unit;
    for (qsizetype i = first; i <= last; ++i) {
        LogEntry e;
        if (Status s = book.entry(rows[i].first, e); !s)
            return s;
        out.entries.append(e);
    }
    return {};
}

QList<VisitChange> visitChanges(const ServiceVisit& visit) {
    QHash<std::int32_t, std::int32_t> held; // the last word known per address, reads too
    QHash<std::int32_t, qsizetype> listed;  // address -> position in `changes`
    QList<VisitChange> changes;
    for (const LogEntry& e : visit.entries) {
        for (const LogWord& w : e.words) {
            const std::optional<std::int32_t> after = w.image();
            if (w.sent) {
                if (const auto it = listed.constFind(w.address); it != listed.cend()) {
                    changes[*it].after = after;
                } else {
                    std::optional<std::int32_t> before = w.before;
                    if (!before && held.contains(w.address))
                        before = held.value(w.address);
                    listed.insert(w.address, changes.size());
                    changes.append({w.name, w.address, before, after});
                }
            }
            if (after)
                held.insert(w.address, *after);
        }
    }
    changes.removeIf([](const VisitChange& c) {
        return c.before && c.after && ((*c.before ^ *c.after) & 0xFFFF) == 0;
    });
    return changes;
}

namespace {

QString esc(const QString& text) {
    return text.toHtmlEscaped();
}

// Local time with its offset from UTC: "2026-12-07 09:15:02 (UTC+01:00)".
QString localTime(const QDateTime& time, bool withOffset) {
    const QDateTime t = time.toLocalTime();
    QString text = t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!withOffset)
        return text;
    const int minutes = std::abs(t.offsetFromUtc()) / 60;
    return text + QStringLiteral(" (UTC%1%2:%3)")
                      .arg(QLatin1Char(t.offsetFromUtc() < 0 ? '-' : '+'))
                      .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                      .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString valueText(const Catalogue& catalogue, const VisitChange& c,
                  const std::optional<std::int32_t>& word) {
    if (!word)
        return QStringLiteral("not known");
    const std::optional<ShownWord> s = shownWord(catalogue, c.name, c.address, *word);
    if (!s)
        return QString::number(*word);
    return s->unit.isEmpty() ? QString::number(s->value)
                             : QString::number(s->value) + u' ' + s->unit;
}

QString kindText(const QString& kind) {
    static const QHash<QString, QString> kTexts{
        {QStringLiteral("connect"), QStringLiteral("Connected")},
        {QStringLiteral("read-all"), QStringLiteral("Read all parameters")},
        {QStringLiteral("set"), QStringLiteral("Set one parameter")},
        {QStringLiteral("write"), QStringLiteral("Wrote parameters")},
        {QStringLiteral("write-all"), QStringLiteral("Wrote all parameters")},
        {QStringLiteral("defaults"), QStringLiteral("Loaded the factory defaults")},
        {QStringLiteral("restore"), QStringLiteral("Restored a saved configuration")},
    };
    return kTexts.value(kind, kind);
}

QString outcomeText(const QString& outcome) {
    if (outcome == QLatin1String("ok"))
        return QStringLiteral("done");
    if (outcome == QLatin1String("differs"))
        return QStringLiteral("<b>done, but not as sent</b>: a word reads back otherwise than "
                              "written, or was not written");
    if (outcome.startsWith(QLatin1String("failed")))
        return QStringLiteral("<b>NOT COMPLETED</b>: ") + esc(outcome);
    return esc(outcome);
}

QString row(const QStringList& cells, const char* tag = "td") {
    QString text = QStringLiteral("<tr>");
    for (const QString& c : cells)
        text += QStringLiteral("<%1>%2</%1>").arg(QLatin1String(tag), c);
    return text + QStringLiteral("</tr>\n");
}

QString distinct(const QList<LogEntry>& entries, QString (*of)(const LogEntry&)) {
    QStringList seen;
    for (const LogEntry& e : entries)
        if (const QString text = of(e); !text.isEmpty() && !seen.contains(text))
            seen.append(text);
    return esc(seen.join(QStringLiteral(", ")));
}

QString whoText(const ServiceVisit& visit) {
    if (visit.entries.isEmpty())
        return {};
    qsizetype service = 0;
    for (const LogEntry& e : visit.entries)
        service += e.serviceLogin ? 1 : 0;
    const QString user = esc(visit.entries.first().user);
    if (service == 0)
        return user + QStringLiteral(", no service staff login");
    if (service == visit.entries.size())
        return user + QStringLiteral(", service staff logged in");
    return user + QStringLiteral(", service staff logged in for %1 of %2 transfers")
                      .arg(service)
                      .arg(visit.entries.size());
}

} // namespace

QString serviceReportHtml(const ServiceVisit& visit, const Catalogue& catalogue) {
    const char* const kTable = "<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" "
                               "width=\"100%\">\n";
    QString html = QStringLiteral("<html><body>\n<h1>Service report</h1>\n"
                                  "<table cellspacing=\"0\" cellpadding=\"3\">\n");
    const auto field = [&](const QString& name, const QString& value) {
        html += row({QStringLiteral("<b>%1</b>").arg(name), value});
    };
    if (visit.unit.known) {
        field(QStringLiteral("Unit"), esc(visit.unit.model));
        field(QStringLiteral("Serial number"), esc(visit.unit.serial));
        field(QStringLiteral("Firmware"), esc(visit.unit.firmware));
    } else {
        field(QStringLiteral("Unit"),
              QStringLiteral("%1 (on %2)").arg(QLatin1String(kUnknownUnit), esc(visit.unit.port)));
    }
    if (!visit.entries.isEmpty()) {
        field(QStringLiteral("From"), localTime(visit.entries.first().time, true));
        field(QStringLiteral("To"), localTime(visit.entries.last().time, true));
    }
    field(QStringLiteral("Technician"), whoText(visit));
    field(QStringLiteral("Program"), distinct(visit.entries, [](const LogEntry& e) {
              return (e.program + u' ' + e.version).trimmed();
          }));
    field(QStringLiteral("Port"),
          distinct(visit.entries, [](const LogEntry& e) { return e.port; }));
    html += QStringLiteral("</table>\n<h2>Changed parameters</h2>\n");

    const QList<VisitChange> changes = visitChanges(visit);
    if (changes.isEmpty()) {
        html += QStringLiteral("<p>No parameter was changed during this visit.</p>\n");
    } else {
        html += QLatin1String(kTable) + row({QStringLiteral("Variable"), QStringLiteral("Address"),
                                             QStringLiteral("Before \u2192 after")},
                                            "th");
        for (const VisitChange& c : changes)
            html += row({esc(c.name), formatAddressText(c.address),
                         esc(valueText(catalogue, c, c.before) + QStringLiteral(" \u2192 ") +
                             valueText(catalogue, c, c.after))});
        html += QStringLiteral("</table>\n");
    }

    html += QStringLiteral("<h2>Transfers</h2>\n") + QLatin1String(kTable) +
            row({QStringLiteral("Local time"), QStringLiteral("Transfer"),
                 QStringLiteral("Words changed"), QStringLiteral("Outcome")},
                "th");
    for (const LogEntry& e : visit.entries)
        html += row({localTime(e.time, false), esc(kindText(e.kind)),
                     QString::number(e.changedWords()), outcomeText(e.outcome)});
    return html + QStringLiteral("</table>\n</body></html>\n");
}

Status writeServiceReport(const ServiceVisit& visit, const Catalogue& catalogue,
                          const QString& pdfPath) {
    const auto cannot = [&](const QString& why) {
        return Status::failure(
            QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(pdfPath), why));
    };
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return cannot(QStringLiteral("the PDF writer needs a graphical application"));
    const QString part = pdfPath + QStringLiteral(".part");
    QFile file(part);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return cannot(file.errorString());
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        // The document keeps 2 cm around its text on every page itself.
        writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        writer.setTitle(QStringLiteral("Service report"));
        writer.setCreator(QStringLiteral("hvc-configurator " HVC_VERSION));
        QTextDocument document;
        document.setHtml(serviceReportHtml(visit, catalogue));
        document.print(&writer);
    }
    const bool written = file.flush() && file.error() == QFileDevice::NoError && file.size() > 0;
    const QString why = file.errorString();
    file.close();
    if (!written) {
        QFile::remove(part);
        return cannot(why);
    }
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(pdfPath).constData()) !=
        0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(part);
        return cannot(reason);
    }
    return {};
}

} // namespace hvc
