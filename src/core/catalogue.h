#pragma once
// The variable catalogue: the records of the variable map in slots 1..N, and the
// identifier table through which the program reaches the variables it knows by name.

#include "core/hvcids.h"
#include "core/unitvariable.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace hvc {

class Prompter;

inline constexpr const char* kRamlistMessage = "'Ramlist.ini' file NOT FOUND or CORRUPTED";

class Catalogue {
public:
    static constexpr int kSlots = 251;
    static constexpr int kMaxVars = kSlots - 1;

    Catalogue();

    // Reads a variable map. On failure reports the message through the prompter,
    // with the file, line and reason as its detail (also kept in lastError()),
    // leaves N at 0 and returns false; records made before the fault stay.
    bool loadCatalogue(const QString& path, Prompter& prompter);
    // Same, from text already in memory (used by the loader and the fuzzers);
    // `source` names the text in the detail.
    bool loadCatalogueText(const QString& text, Prompter& prompter, const QString& source = {});
    // Why the last load failed ("" after a successful one): "<file>, line 7: ...".
    const QString& lastError() const { return m_lastError; }
    // Lines of the last load that were taken but are probably not what the map's
    // author meant (a blank line, a line with only a name), one text per line.
    const QStringList& warnings() const { return m_warnings; }
    void freeCatalogue();
    int varCount() const { return m_count; }

    // Slot i (1..N), or nullptr for slot 0 and empty slots.
    UnitVariable* varTable(int i) const;
    // Slot i; for slot 0, an empty slot or one beyond N a blank record that reads
    // as 0 (blanked again on every such call), never a null reference.
    UnitVariable& operator[](int i) const;

    int idIndex(HvcId id) const { return m_ids[static_cast<size_t>(id)]; }
    void registerId(const QString& identifier, int position);

    // The record of an identifier, or nullptr when no line carries it.
    UnitVariable* find(HvcId id) const;
    // The record of an identifier. When no line carries it the result is a blank
    // record that reads as 0 (and is blanked again on every call); the missing
    // identifier is reported once through the reporter.
    UnitVariable& var(HvcId id);
    void setMissingReporter(std::function<void(const QString&)> reporter) {
        m_missingReporter = std::move(reporter);
    }

    // First position whose Name, identifier or address text matches; 0 if none.
    int findByName(const QString& nameOrId) const;
    int findByAddress(std::int32_t address) const;
    // The identifier registered for a position, empty if none.
    QString identifierAt(int position) const;

    static const char* idName(HvcId id);
    static std::optional<HvcId> idFromName(const QString& name);

private:
    std::array<std::unique_ptr<UnitVariable>, kSlots> m_table;
    std::array<std::int16_t, kHvcIdCount> m_ids{};
    std::array<bool, kHvcIdCount> m_reported{};
    int m_count = 0;
    QString m_lastError;
    QStringList m_warnings;
    UnitVariable m_blank;
    mutable UnitVariable m_emptySlot;
    std::function<void(const QString&)> m_missingReporter;
};

} // namespace hvc
