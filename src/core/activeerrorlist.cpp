#include "core/activeerrorlist.h"

#include "core/catalogue.h"
#include "core/diagnosticrows.h"
#include "core/monitorwords.h"

namespace hvc {

namespace {

// The item of a set bit that no record with a key describes: the error word's
// identifier and the bit's weight, and what the file knows of the bit.
ActiveErrorItem unlistedItem(int row, int bit, const DiagnosticMessage* record) {
    const std::optional<HvcId> id = diagnosticRowVar(row);
    const QString word =
        id ? QString::fromLatin1(Catalogue::idName(*id)) : QStringLiteral("row %1").arg(row);
    QString description = QStringLiteral("bit %1 of %2 is set; the message file has no text for it")
                              .arg(bit)
                              .arg(word);
    if (record != nullptr && !record->bitText.isEmpty())
        description =
            QStringLiteral("%1: bit %2 of %3 is set; the message file lists no key for it")
                .arg(record->bitText)
                .arg(bit)
                .arg(word);
    return {row, bit, DiagnosticList::itemText(word, bit), QString(), description};
}

} // namespace

bool isReadyBit(int row, int bit) {
    return row == 0 && ((kErrorReadyMask >> bit) & 1) == 0;
}

QList<ActiveErrorChange> ActiveErrorList::valueChanged(int row, std::int32_t value,
                                                       std::int32_t changed) {
    QList<ActiveErrorChange> changes;
    for (int bit = 0; bit < kDiagnosticWordBits; ++bit) {
        const std::int32_t mask = 1 << bit;
        if ((changed & mask) == 0 || isReadyBit(row, bit))
            continue;
        const DiagnosticMessage* record = m_messages.record(row, bit);
        const bool keyed = record != nullptr && !record->key.isEmpty();
        ActiveErrorItem item =
            keyed ? ActiveErrorItem{row, bit, DiagnosticList::itemText(record->key, bit),
                                    record->errorId, record->description}
                  : unlistedItem(row, bit, record);
        if ((value & mask) != 0) {
            m_items.append(item);
            changes.append({ActiveErrorChange::Kind::Added, std::move(item)});
            continue;
        }
        for (qsizetype i = 0; i < m_items.size();) {
            if (m_items.at(i).text != item.text) {
                ++i;
                continue;
            }
            changes.append({ActiveErrorChange::Kind::Removed, m_items.takeAt(i)});
        }
    }
    return changes;
}

} // namespace hvc
