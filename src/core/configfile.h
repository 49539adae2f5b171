#pragma once
// Configuration files: the parameter set of one machine as single-byte (Latin-1)
// text, with the information block in front. Byte layout in docs/config-file.md.
//
// The functions show no message: a failure's text is kConfigNotSaved or
// kErrorLoadingFile and its detail says why; the Save and Load commands (and
// hvcctl) show both.

#include "core/appstate.h"
#include "core/status.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace hvc {

inline constexpr const char* kConfigNotSaved = "Configuration NOT SAVED!";
inline constexpr const char* kErrorLoadingFile = "Error Loading File!";

// Larger files are not configuration files; refusing them keeps a wrong pick cheap.
inline constexpr qint64 kMaxConfigFileSize = qint64{4} * 1024 * 1024;

// The file as saveConfigFile writes it: state.document.info and every variable selected by
// ReadKeyAll() within the section limit (workingWord of HVC_NUM_PROP_REG).
QByteArray buildConfigFile(AppState& state);

// Writes buildConfigFile() to a temporary file in the target folder, flushes it to
// disk and only then renames it over `path`: a failed save leaves the old file.
// Anything at `path` that is not a regular file (a folder, a FIFO, a device) is
// refused, never replaced.
Status saveConfigFile(AppState& state, const QString& path);

// The item reader: items end at CR, LF or CR LF; blanks and TABs at the start of
// an item are dropped, double quotes around it removed. `lastEnded` tells whether
// the text ends with a line break (a file cut short does not).
QStringList readItems(const QString& text, bool* lastEnded = nullptr);

// One data line matched to the catalogue.
struct ConfigEntry {
    int position = 0;       // catalogue position (first with the line's address)
    std::int32_t value = 0; // the line's value, rounded
};

// A configuration file read and checked, not yet applied.
struct ConfigFileData {
    QString infoText; // the information lines joined with CR LF, for extractInfo
    QList<ConfigEntry> entries;
};

// Reads and checks a whole file without changing anything: it must open with the
// separator line, close its information block with the second separator followed
// by the column line, end with a line break, and every data line must carry a
// known address and a number.
Status parseConfigFile(const QByteArray& bytes, const Catalogue& catalogue, ConfigFileData& out);
Status readConfigFile(const QString& path, const Catalogue& catalogue, ConfigFileData& out);

// Applies checked data: takeFileWord and markWordWritten for every line in file
// order, then the information fields with `fileTitle` as the file name.
void applyConfigFile(AppState& state, const ConfigFileData& data, const QString& fileTitle);

// readConfigFile then applyConfigFile: on any fault nothing changes.
Status loadConfigFile(AppState& state, const QString& path, const QString& fileTitle);

bool fileExists(const QString& path);
bool pathExists(const QString& path);

// "00300", "-00005", "123456".
QString configValueText(std::int32_t value);

} // namespace hvc
