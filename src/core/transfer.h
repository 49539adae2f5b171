#pragma once
// Whole-image transfers: reading and writing every parameter of a group of pages,
// the range check with its fallback to defaults, the load-defaults command and the
// identity check that tells whether the unit waits for a power cycle.

#include "core/appstate.h"

#include <QString>
#include <cstdint>

namespace hvc {

// Unit identity words (unit address << 8) and the text they spell after a reset.
inline constexpr std::int32_t kIdentityAddresses[5] = {0xFDEA00, 0xFDEC00, 0xFDEE00, 0xFDF000,
                                                       0xFDF200};
inline constexpr std::int32_t kResetWords[5] = {0x52, 0x45, 0x53, 0x45, 0x54};
inline constexpr std::int32_t kDefaultsCode = 1024;
inline constexpr const char* kDefaultsText = "1145130828"; // 0x44414F4C
inline constexpr const char* kReadFault = "READ FAULT:";

void CountPageVarNum(AppState& state);
std::uint16_t ReadKeyAll(const AppState& state);
std::int16_t CountPageVars(const AppState& state, std::uint16_t mask);

QString ReadAll(AppState& state, std::uint16_t mask);
QString WriteAll(AppState& state, std::uint16_t mask);
QString RangeCheck(AppState& state, std::uint16_t mask);
QString RangeCheckOne(AppState& state, int position);
QString DefaultsCommand(AppState& state);
QString CheckUnitIdentity(AppState& state, bool& resetPending);

// The section limit: E2InECU of HVC_NUM_PROP_REG, read when each variable is considered.
bool InSectionLimit(AppState& state, const CVarData& record);

} // namespace hvc
