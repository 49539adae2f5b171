#pragma once
// A recording of the live monitor as a CSV file that opens in a spreadsheet: a
// header line, then one line per complete pass. The first column is the time the
// pass started (ISO 8601, local time with milliseconds and the UTC offset), then
// the three status words in hex ("0x0040"), then one column per value headed by
// the variable's name and unit ("Joy 1 Value [%]"), in display units.
//
// Every line goes to the operating system as soon as it is written, so a program
// that dies leaves every line it finished; close() puts the file on disk.

#include "core/status.h"

#include <QDateTime>
#include <QFile>
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

    // Creates the file (replacing a regular file, nothing else) with its header;
    // the value columns are the records at `varIds` (MonitorModel::polledVarIds()).
    Status open(const QString& path, const Catalogue& catalogue, const QList<int>& varIds);
    // One line for one pass; a value the pass did not read is left empty.
    Status write(const MonitorSample& sample);
    // Puts the file on disk and closes it. Safe to call twice.
    Status close();

    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_file.fileName(); }
    int rows() const { return m_rows; }

    // The header cells and one line's cells, for those who show the same columns.
    static QStringList headerCells(const Catalogue& catalogue, const QList<int>& varIds);
    static QStringList rowCells(const MonitorSample& sample, const QList<int>& varIds);
    static QString timeText(const QDateTime& time);

private:
    Status writeLine(const QStringList& cells);
    Status failed(const QString& what);

    QFile m_file;
    QList<int> m_varIds;
    int m_rows = 0;
};

} // namespace hvc
