#include "core/activeerrorlist.h"

#include "core/diagnosticrows.h"

namespace hvc {

QList<ActiveErrorChange> ActiveErrorList::valueChanged(int row, std::int32_t value,
                                                       std::int32_t changed) {
    QList<ActiveErrorChange> changes;
    for (int bit = 0; bit < kDiagnosticShownBits; ++bit) {
        const std::int32_t mask = 1 << bit;
        if ((changed & mask) == 0)
            continue;
        const DiagnosticMessage* record = m_messages.record(row, bit);
        if (record == nullptr)
            continue;
        const QString text = DiagnosticList::itemText(record->key, bit);
        if ((value & mask) != 0) {
            if (record->key.isEmpty())
                continue;
            ActiveErrorItem item{row, bit, text, record->errorId, record->description};
            m_items.append(item);
            changes.append({ActiveErrorChange::Kind::Added, std::move(item)});
            continue;
        }
        for (qsizetype i = 0; i < m_items.size();) {
            if (m_items.at(i).text != text) {
                ++i;
                continue;
            }
            changes.append({ActiveErrorChange::Kind::Removed, m_items.takeAt(i)});
        }
    }
    return changes;
}

} // namespace hvc
