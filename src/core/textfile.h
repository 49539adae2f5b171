#pragma once
// The one way the programs read a whole file: the variable map, the message and
// joystick lists, the colour file, configuration files, the simulator's EEPROM
// image. Only a regular file (or a symbolic link to one) is read, and never more
// than a cap, so a device node, a FIFO or an endless file is refused with a
// message instead of hanging the program or filling its memory.

#include "core/status.h"

#include <QByteArray>
#include <QString>

namespace hvc {

// The caps. The largest shipped files are a few kilobytes (the variable map about
// 13 kB, a saved configuration about 5 kB); a cap of 4 MiB leaves room for any
// real file hundreds of times over and still reads in a blink.
inline constexpr qint64 kMaxListFileSize =
    qint64{4} * 1024 * 1024; // Ramlist, DiagnosticList, JoylistNew
inline constexpr qint64 kMaxSettingsFileSize = qint64{64} * 1024;     // colour.ini and the like
inline constexpr qint64 kMaxEepromFileSize = qint64{4} * 1024 * 1024; // hvc-sim --eeprom

// Reads all of `path` into `bytes`, at most `maxBytes`. `kind` names the file in
// the message ("variable map"). The failures, as the Status text:
//   "cannot open '<path>': <system reason>"
//   "'<path>' is not a regular file"             (checked before it is opened)
//   "'<path>' is too large for a <kind>"
//   "cannot read '<path>': <system reason>"
Status readWholeFile(const QString& path, const QString& kind, qint64 maxBytes, QByteArray& bytes);

// A piece of text from a file as a message quotes it: at most 80 characters,
// cut with "..." when longer, so a bad line of any length gives a short message.
QString excerpt(const QString& text);

} // namespace hvc
