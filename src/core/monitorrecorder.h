#pragma once
// A recording of the live monitor as a CSV file that opens in a spreadsheet: a
// header line, then one line per complete pass. The first column is the time the
// pass started (ISO 8601, local time with milliseconds and the UTC offset), then
// the three status words in hex ("0x0040"), then one column per value headed by
// the variable's name and unit ("Joy 1 Value [%]"), in display units.
//
// Every line goes to the operating system with one write as soon as it is
// written, so a program that dies leaves every line it finished; a write that
// fails (a full disk) is cut back to the last whole line. close() puts the file on
// disk.
//
// The recording goes to a new file beside the target (a symbolic link counts as
// its target) that takes the target's place with the first complete pass: an
// existing file is kept as it was until there is a row to replace it with, and a
// recording without a single pass leaves no file.

#include "core/status.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace hvc {

class Catalogue;
struct MonitorSample;

class MonitorRecorder {
public:
    MonitorRecorder() = default;
    ~MonitorRecorder();
    MonitorRecorder(const MonitorRecorder&) = delete;
    MonitorRecorder& operator=(const MonitorRecorder&) = delete;

    // Starts the file (to replace a regular file, nothing else) with its header;
    // the value columns are the records at `varIds` (MonitorModel::polledVarIds()).
    Status open(const QString& path, const Catalogue& catalogue, const QList<int>& varIds);
    // One line for one pass; a value the pass did not read is left empty.
    Status write(const MonitorSample& sample);
    // Puts the file on disk and closes it. Safe to call twice.
    Status close();

    bool isOpen() const { return m_fd >= 0; }
    QString path() const { return m_path; }
    int rows() const { return m_rows; }

    // The header cells and one line's cells, for those who show the same columns.
    static QStringList headerCells(const Catalogue& catalogue, const QList<int>& varIds);
    static QStringList rowCells(const MonitorSample& sample, const QList<int>& varIds);
    static QString timeText(const QDateTime& time);

private:
    Status writeLine(const QStringList& cells);
    Status failed(const QString& what, int error);
    void discard();

    QString m_path;     // as given, for the messages
    QString m_target;   // the file the rows end up in
    QString m_partPath; // the new file until the first row, then empty
    int m_fd = -1;
    qint64 m_end = 0; // the bytes of whole lines written
    QList<int> m_varIds;
    int m_rows = 0;
};

} // namespace hvc
