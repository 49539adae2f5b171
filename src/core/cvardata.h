#pragma once
// One named variable of the control unit, in its three forms: the value the unit
// holds, the working value the pages edit, and the display value.

#include "core/status.h"

#include <QString>
#include <cstdint>

namespace hvc {

class DocumentState;

class Catalogue;

struct CVarData {
    QString Name;
    QString SaveName;
    std::int32_t Address = 0; // unit address << 8 | sub-code
    std::int16_t Index = 0;
    std::int16_t DefaultValue = 0;
    std::int16_t Section = 0;
    std::uint16_t PageMask = 0;
    std::int16_t MinValue = 0;
    std::int32_t MaxValue = 0;
    QString ConvText;
    QString ExtraText;
    QString Formula;
    QString InverseFormula;
    std::int16_t FormulaPart = 2;
    std::int32_t E2InECU = 0;
    std::int32_t E2Value = 0;
    std::int32_t E2Display = 0;
    std::int32_t RAMInECU = 0;
    std::int32_t RAMValue = 0;
    double RAMDisplay = 0;

    // Fills this record from one line of the variable map and registers its
    // identifier in the catalogue. Index must be set first. A failure whose text
    // says which field cannot be read and why; the fields taken before the fault
    // stay.
    Status Load(const QString& line, Catalogue& catalogue);

    void ReadE2FromECU(std::int32_t e2Data);
    void ReadRAMFromECU(std::int32_t ramData);
    void WriteE2inECU() { E2InECU = E2Value; }
    void WriteRAMinECU() { RAMInECU = RAMValue; }
    void LoadFromFile(std::int32_t val);
    // Sets the display value from a page and marks the document edited.
    void HVCSetVar(double val, DocumentState& document);

    // "1A2B.03": unit address and sub-code in upper-case hex.
    QString AddressText() const;
};

bool IsNoValue(std::int32_t value);

// Reads a decimal integer field as a locale-aware integer conversion does:
// surrounding blanks and a sign allowed, a fraction rounded half to even.
bool ParseIntField(const QString& text, std::int32_t low, std::int32_t high, std::int32_t& out);
// The number at the start of a text ("300mA" -> 300, "abc" -> 0), "." as decimal point.
double NumberPrefix(QStringView text);
// "1A2B.03" or "1A2B" (sub-code 0) or a plain hex number up to 6 digits.
bool ParseAddressText(const QString& text, std::int32_t& address);
QString FormatAddressText(std::int32_t address);

} // namespace hvc
