#pragma once
// Whole-image transfers: reading and writing every parameter of a group of pages,
// the range check with its fallback to defaults, the load-defaults command and the
// identity check that tells whether the unit waits for a power cycle.

#include "core/appstate.h"
#include "core/status.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace hvc {

// Unit identity words (unit address << 8) and the text they spell after a reset.
inline constexpr std::int32_t kIdentityAddresses[5] = {0xFDEA00, 0xFDEC00, 0xFDEE00, 0xFDF000,
                                                       0xFDF200};
inline constexpr std::int32_t kResetWords[5] = {0x52, 0x45, 0x53, 0x45, 0x54};
inline constexpr std::int32_t kDefaultsCode = 1024;
inline constexpr const char* kDefaultsText = "1145130828"; // 0x44414F4C
inline constexpr const char* kReadFault = "READ FAULT:";

// Counts, for every page with a readKey, the variables whose pageMask holds all of it.
void countPageVarNum(AppState& state);
// OR of every page's readKey (what Connect and Read All read) or writeKey (Write All).
std::uint16_t readKeyAll(const AppState& state);
std::uint16_t writeKeyAll(const AppState& state);
std::int16_t countPageVars(const AppState& state, std::uint16_t mask);

// Whether a whole-image write with `mask` sends this record: an EEPROM record
// (pageMask bit 0) all of whose page bits are in the mask. The section limit
// is checked separately, when the record's turn comes.
bool isWrittenBy(const UnitVariable& record, std::uint16_t mask);

// Reads every record of the pages in `mask` within the section limit, then the
// range check; the out-of-range report goes to the prompter.
Status readImage(AppState& state, std::uint16_t mask);
// How far a whole-image write got: the words the unit took, and the catalogue
// position of the last of them.
struct WriteReport {
    int written = 0;
    int lastPosition = 0;
    // Every position written, in the order written.
    QList<int> positions;
};

// Writes every record isWrittenBy(mask) within the section limit; stops at the
// first failure, whose detail names the variable. `report`, when given, says how
// far it got. With `only`, records at other positions are passed over as records
// outside the section limit are: not sent, but counted in the progress.
Status writeImage(AppState& state, std::uint16_t mask, WriteReport* report = nullptr,
                  const QSet<int>* only = nullptr);
// One step of a transfer's progress: indicator busy, `text`, counter + 1 out of
// `total`, the observer told.
void progressStep(AppState& state, const QString& text, int& counter, int total);
// Replaces out-of-range values by their defaults; returns the "READ FAULT:" report or "".
QString rangeCheck(AppState& state, std::uint16_t mask);
QString rangeCheckOne(AppState& state, int position);
// For a record whose word the range check replaced: "I Max 1A: the unit holds 1600,
// outside 0..1500", and with `defaultShown` then "; the default 850 is shown in its
// place". Empty for a record the range check left alone.
QString replacedWordNote(const UnitVariable& record, bool defaultShown);
// The notes of every record of `mask` whose word the range check replaced, in
// catalogue order.
QStringList replacedWordNotes(const Catalogue& catalogue, std::uint16_t mask, bool defaultShown);
Status loadDefaults(AppState& state);
Status checkUnitIdentity(AppState& state, bool& resetPending);

// The section limit: unitWord of HVC_NUM_PROP_REG, read when each variable is considered.
bool inSectionLimit(AppState& state, const UnitVariable& record);

} // namespace hvc
