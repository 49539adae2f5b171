#pragma once
// One named variable of the control unit, in its three forms: the value the unit
// holds, the working value the pages edit, and the display value.

#include "core/status.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace hvc {

class DocumentState;

class Catalogue;

struct UnitVariable {
    QString name;
    QString saveName;
    std::int32_t address = 0; // unit address << 8 | sub-code
    std::int16_t index = 0;
    std::int16_t defaultValue = 0;
    std::int16_t section = 0;
    std::uint16_t pageMask = 0;
    std::int16_t minValue = 0;
    std::int32_t maxValue = 0;
    QString convText;
    QString extraText;
    QString formula;
    QString inverseFormula;
    std::int16_t formulaPart = 2;
    std::int32_t unitWord = 0;
    std::int32_t workingWord = 0;
    std::int32_t shownValue = 0;
    std::int32_t unitRamWord = 0;
    std::int32_t ramWord = 0;
    double ramShownValue = 0;
    // The word the unit held when the range check put the default in its place
    // (it was outside minValue..maxValue); empty otherwise, and cleared by the
    // next word taken from the unit.
    std::optional<std::int32_t> replacedUnitWord;

    // Fills this record from one line of the variable map and registers its
    // identifier in the catalogue. Index must be set first. A failure whose text
    // says which field cannot be read and why; the fields taken before the fault
    // stay.
    Status load(const QString& line, Catalogue& catalogue);

    void takeUnitWord(std::int32_t e2Data);
    void takeUnitRamWord(std::int32_t ramData);
    void markWordWritten() { unitWord = workingWord; }
    void markRamWordWritten() { unitRamWord = ramWord; }
    void takeFileWord(std::int32_t val);
    // Sets the display value from a page and marks the document edited.
    void setShownValue(double val, DocumentState& document);

    // "1A2B.03": unit address and sub-code in upper-case hex.
    QString addressText() const;
};

bool isNoValue(std::int32_t value);

// Reads a decimal integer field as a locale-aware integer conversion does:
// surrounding blanks and a sign allowed, a fraction rounded half to even.
bool parseIntField(const QString& text, std::int32_t low, std::int32_t high, std::int32_t& out);
// The number at the start of a text ("300mA" -> 300, "abc" -> 0), "." as decimal point.
double numberPrefix(QStringView text);
// "1A2B.03" or "1A2B" (sub-code 0) or a plain hex number up to 6 digits.
bool parseAddressText(const QString& text, std::int32_t& address);
QString formatAddressText(std::int32_t address);

// A recorded unit word as the variable map shows it: the display value and unit
// text of the variable called `name` at `address`. Empty when the map has no
// variable of that name at that address (another map, or a word it never had).
struct ShownWord {
    std::int32_t value = 0;
    QString unit;
};
std::optional<ShownWord> shownWord(const Catalogue& catalogue, const QString& name,
                                   std::int32_t address, std::int32_t word);

} // namespace hvc
