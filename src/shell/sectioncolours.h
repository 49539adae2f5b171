#pragma once
// The section colours: the six predefined schemes, colour.ini, and the mapping
// of stored colour numbers (0x00BBGGRR or a system-colour code) to QColor.

#include "shell/shellcontext.h"

#include <QColor>
#include <QString>
#include <cstdint>

namespace hvc {

inline constexpr int kSchemeCount = 6;
inline constexpr std::int32_t kSysWindow = static_cast<std::int32_t>(0x80000005u);
inline constexpr std::int32_t kSysWindowText = static_cast<std::int32_t>(0x80000008u);

SectionColours schemeColours(int scheme);

QColor toQColor(std::int32_t code);
std::int32_t fromQColor(const QColor& colour);

// Reads the eight lines of colour.ini. False, and nothing changed, when the file
// is missing or a line is not a number.
bool loadColorFromFile(const QString& path, SectionColours& colours);
bool saveFileColour(const QString& path, const SectionColours& colours);

// Start-up: colour.ini, or scheme 0 when it cannot be read.
void frmSectionColourInit(ShellContext& context);
QString colourFilePath(const ShellContext& context);

} // namespace hvc
