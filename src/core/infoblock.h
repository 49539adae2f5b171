#pragma once
// The information block that opens a configuration file: author, date, revision,
// company and free comments, plus the name of the file last loaded or saved.
// The Info page, hvcctl and the tests share these fields and the two functions
// that turn them into the block and back.

#include <QString>

namespace hvc {

// The line that opens and closes the information block: ";" and 43 hyphens.
inline constexpr const char* kSeparatorLine = ";-------------------------------------------";

// Marks a field written in escaped form (see docs/config-file.md).
inline constexpr const char* kEscapeMarker = "=?";

struct InfoFields {
    QString author;
    QString date;
    QString revision;
    QString company;
    // Lines separated by CR LF; buildInfoStr also takes a lone CR or LF as a line break.
    QString comments;
    QString fileName;

    bool operator==(const InfoFields&) const = default;
};

// The information block as it is written to a file, lines ended by a lone CR.
// Fields that the layout cannot carry as they are (a TAB or a line break in a
// one-line field, a comment line that the reader would alter) are escaped.
QString buildInfoStr(const InfoFields& fields);

// The fields from the information text of a file (its lines joined with CR LF, as
// the file reader rebuilds it), with fileName set to `fileName`. Escaped fields are
// restored, and the comments come back without the line break the reader adds
// after their last line, so that a save and a load give back the same fields.
InfoFields extractInfo(const QString& auxStr, const QString& fileName);

} // namespace hvc
