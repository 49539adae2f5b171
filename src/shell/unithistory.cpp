#include "shell/unithistory.h"

#include "core/unitvariable.h"

#include <algorithm>

namespace hvc {

namespace {

// Compared as the unit's 16-bit words, as the entries count their changes.
bool differs(const std::optional<std::int32_t>& a, const std::optional<std::int32_t>& b) {
    return a.has_value() != b.has_value() ||
           (a && static_cast<std::uint16_t>(*a) != static_cast<std::uint16_t>(*b));
}

} // namespace

QString unitChoiceText(const UnitIdentity& unit) {
    if (!unit.known)
        return unit.text();
    return QStringLiteral("%1  serial %2 firmware %3").arg(unit.model, unit.serial, unit.firmware);
}

QString entryUserText(const LogEntry& entry) {
    return entry.serviceLogin ? entry.user + QStringLiteral(" (service)") : entry.user;
}

Status UnitHistory::open(const QString& location) {
    m_units.clear();
    m_entries.clear();
    m_unit = -1;
    if (Status s = m_book.open(location.isEmpty() ? Logbook::defaultLocation() : location); !s)
        return s;
    (void)flushPending(m_book);
    return m_book.units(m_units);
}

int UnitHistory::preferredUnit(const QString& key) const {
    int last = -1;
    for (int i = 0; i < m_units.size(); ++i) {
        if (m_units[i].unit.key() == key)
            return i;
        if (last < 0 || m_units[i].lastSeen > m_units[last].lastSeen)
            last = i;
    }
    return last;
}

Status UnitHistory::showUnit(int unit) {
    m_entries.clear();
    m_unit = unit;
    if (unit < 0 || unit >= m_units.size())
        return {};
    const UnitIdentity& chosen = m_units[unit].unit;
    QList<LogEntry> all;
    if (Status s = m_book.list({chosen.known ? chosen.serial : QString(), {}}, all); !s)
        return s;
    for (const LogEntry& e : all)
        if (e.unit.key() == chosen.key())
            m_entries.append(e);
    return {};
}

Status UnitHistory::changes(const Catalogue& catalogue, int row, QList<HistoryChange>& out,
                            QString& note) {
    out.clear();
    note.clear();
    if (row < 0 || row >= m_entries.size())
        return {};
    LogEntry entry;
    if (Status s = m_book.entry(m_entries[row].id, entry); !s)
        return s;
    auto add = [&](const LogWord& w, const std::optional<std::int32_t>& before) {
        out.append({w.name, formatAddressText(w.address), loggedValueText(catalogue, w, before),
                    loggedValueText(catalogue, w, w.image())});
    };
    const bool wholeImage = std::none_of(entry.words.begin(), entry.words.end(),
                                         [](const LogWord& w) { return w.before.has_value(); }) &&
                            isWholeImageKind(entry.kind);
    if (!wholeImage) {
        for (const LogWord& w : entry.words)
            if (differs(w.before, w.image()))
                add(w, w.before);
        note = QStringLiteral("%1 of the %2 words written changed.")
                   .arg(out.size())
                   .arg(entry.words.size());
        return {};
    }
    // The entries are newest first: the one before is the next row.
    QMap<std::int32_t, std::int32_t> previous;
    LogEntry at;
    if (row + 1 >= m_entries.size() || !m_book.imageAt(m_entries[row + 1].id, previous, at)) {
        note = QStringLiteral("Every word read: no earlier image of this unit.");
        for (const LogWord& w : entry.words)
            add(w, std::nullopt);
        return {};
    }
    note = QStringLiteral("The words read that differ from the unit's image before.");
    for (const LogWord& w : entry.words) {
        const auto was = previous.constFind(w.address);
        const std::optional<std::int32_t> before =
            was == previous.constEnd() ? std::nullopt : std::optional<std::int32_t>(*was);
        if (differs(before, w.image()))
            add(w, before);
    }
    return {};
}

Status UnitHistory::visit(int row, ServiceVisit& out) {
    if (row < 0 || row >= m_entries.size())
        return Status::failure(QStringLiteral("no entry chosen"));
    return visitOf(m_book, m_entries[row].id, out);
}

Status UnitHistory::imageAt(int row, QMap<std::int32_t, std::int32_t>& image) {
    image.clear();
    if (row < 0 || row >= m_entries.size())
        return Status::failure(QStringLiteral("no entry chosen"));
    LogEntry at;
    return m_book.imageAt(m_entries[row].id, image, at);
}

} // namespace hvc
