#pragma once
// The words the unit was last seen to hold, by address: what a transfer read,
// what the unit acknowledged for a write, what a check read back. The records'
// unitWord cannot serve for this: Load records a file's values as the unit's, and
// the range check records the default in place of a word the unit still holds.
// Words another program or the debugger changed meanwhile are not seen.

#include <QHash>
#include <cstdint>
#include <optional>

namespace hvc {

class UnitWords {
public:
    // `value` as the unit stores it: its low 16 bits, read signed.
    void seen(std::int32_t address, std::int32_t value) {
        m_words.insert(address, static_cast<std::int16_t>(value & 0xFFFF));
    }
    std::optional<std::int32_t> word(std::int32_t address) const {
        const auto it = m_words.constFind(address);
        if (it == m_words.cend())
            return std::nullopt;
        return *it;
    }
    // Disconnect and load-defaults: nothing is known any more.
    void clear() { m_words.clear(); }
    bool isEmpty() const { return m_words.isEmpty(); }

private:
    QHash<std::int32_t, std::int32_t> m_words;
};

} // namespace hvc
