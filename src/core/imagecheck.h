#pragma once
// What a configuration file may send to the unit, checked before anything is
// sent: every value within its variable's limits (the rule the page fields
// apply), and every value a 16-bit word can carry. The desktop program's Load
// and Write All and hvcctl share these checks.

#include "core/catalogue.h"
#include "core/configfile.h"
#include "core/status.h"

#include <QList>
#include <QString>
#include <cstdint>

namespace hvc {

// A unit word carries -32768..65535 (the same 16 bits read signed or unsigned).
inline constexpr std::int32_t kWordLowest = -32768;
inline constexpr std::int32_t kWordHighest = 65535;

inline bool fitsWord(std::int32_t value) {
    return value >= kWordLowest && value <= kWordHighest;
}

// Whether the word read back from the unit is `value`. A value that does not fit a
// word never is, even when its low 16 bits match.
inline bool sameWord(std::int32_t value, std::int32_t unitWord) {
    return fitsWord(value) && (value & 0xFFFF) == (unitWord & 0xFFFF);
}

struct ValueFault {
    int position = 0; // catalogue position
    std::int32_t value = 0;
    bool overWide = false; // does not fit a word at all
};

// The values of `data` (the last line of a variable wins, as on load), in
// catalogue order, that lie outside their variable's minValue..maxValue or do not
// fit a word. With `allowBeyondLimits` only those that do not fit a word.
QList<ValueFault> checkFileValues(const Catalogue& catalogue, const ConfigFileData& data,
                                  bool allowBeyondLimits = false);
// "I Max 1A = 2000 (allowed 0..1500)", one text per fault.
QStringList describeValueFaults(const Catalogue& catalogue, const QList<ValueFault>& faults);
// Fails with "Error Loading File!" and the faults as detail when there are any.
Status checkConfigFileValues(const Catalogue& catalogue, const ConfigFileData& data,
                             bool allowBeyondLimits = false);

// The catalogue positions a complete file of this map holds but `data` lacks:
// the variables a save selects with `mask`, within the file's own number of
// sections (the map's default when the file lacks that too).
QList<int> missingFromFile(const Catalogue& catalogue, const ConfigFileData& data,
                           std::uint16_t mask);
// "a, b, c and 4 more": the names of the first `shown` positions.
QString nameList(const Catalogue& catalogue, const QList<int>& positions, int shown = 5);

} // namespace hvc
