#include "core/monitorrecorder.h"

#include "core/catalogue.h"
#include "core/csv.h"
#include "core/monitormodel.h"

#include <QDateTime>
#include <QFileInfo>
#include <unistd.h>

namespace hvc {

namespace {

const char* const kNotRecorded = "Recording failed";

QString hexWord(std::uint16_t word) {
    return QStringLiteral("0x") + QStringLiteral("%1").arg(word, 4, 16, QChar(u'0')).toUpper();
}

QString columnName(const UnitVariable& record) {
    return record.convText.isEmpty() ? record.name
                                     : QStringLiteral("%1 [%2]").arg(record.name, record.convText);
}

QString wordColumn(const Catalogue& catalogue, HvcId id, const char* fallback) {
    const UnitVariable* r = catalogue.find(id);
    return (r ? r->name : QString::fromLatin1(fallback)) + QStringLiteral(" (hex)");
}

} // namespace

MonitorRecorder::~MonitorRecorder() {
    (void)close();
}

QString MonitorRecorder::timeText(const QDateTime& time) {
    const QDateTime local = time.toLocalTime();
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QStringList MonitorRecorder::headerCells(const Catalogue& catalogue, const QList<int>& varIds) {
    QStringList cells{QStringLiteral("Time"),
                      wordColumn(catalogue, HvcId::HVC_ERROR_CODE, "Error Code"),
                      wordColumn(catalogue, HvcId::HVC_HSD_MONITOR, "Output Monitor"),
                      wordColumn(catalogue, HvcId::HVC_DIGIT_MONITOR, "Digital Monitor")};
    for (const int id : varIds) {
        const UnitVariable* r = catalogue.varTable(id);
        cells << (r ? columnName(*r) : QStringLiteral("Variable %1").arg(id));
    }
    return cells;
}

QStringList MonitorRecorder::rowCells(const MonitorSample& sample, const QList<int>& varIds) {
    QStringList cells{timeText(sample.time), hexWord(sample.errorCode), hexWord(sample.outputs),
                      hexWord(sample.inputs)};
    for (const int id : varIds) {
        QString value;
        for (const MonitorReading& r : sample.readings)
            if (r.varId == id) {
                value = QString::number(r.value, 'g', 10);
                break;
            }
        cells << value;
    }
    return cells;
}

Status MonitorRecorder::failed(const QString& what) {
    const QString reason = m_file.errorString();
    m_file.close();
    return Status::failure(QString::fromLatin1(kNotRecorded),
                           QStringLiteral("%1 '%2': %3").arg(what, m_file.fileName(), reason));
}

Status MonitorRecorder::open(const QString& path, const Catalogue& catalogue,
                             const QList<int>& varIds) {
    if (Status s = close(); !s)
        return s;
    // A FIFO or a device node would be truncated or fed for ever: only a regular
    // file or a new path.
    if (const QFileInfo target(path); target.exists() && !target.isFile())
        return Status::failure(QString::fromLatin1(kNotRecorded),
                               QStringLiteral("'%1' is not a regular file").arg(path));
    m_file.setFileName(path);
    m_varIds = varIds;
    m_rows = 0;
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return failed(QStringLiteral("cannot create"));
    return writeLine(headerCells(catalogue, varIds));
}

Status MonitorRecorder::writeLine(const QStringList& cells) {
    QStringList quoted;
    quoted.reserve(cells.size());
    for (const QString& c : cells)
        quoted << csvField(c);
    // One write per line: a line is either wholly in the file or not at all.
    const QByteArray line = (quoted.join(u',') + QStringLiteral("\r\n")).toUtf8();
    if (m_file.write(line) != line.size())
        return failed(QStringLiteral("cannot write"));
    return {};
}

Status MonitorRecorder::write(const MonitorSample& sample) {
    if (!m_file.isOpen())
        return Status::failure(QString::fromLatin1(kNotRecorded), QStringLiteral("no file open"));
    if (Status s = writeLine(rowCells(sample, m_varIds)); !s)
        return s;
    ++m_rows;
    return {};
}

Status MonitorRecorder::close() {
    if (!m_file.isOpen())
        return {};
    if (!m_file.flush() || ::fsync(m_file.handle()) != 0)
        return failed(QStringLiteral("cannot write"));
    m_file.close();
    return {};
}

} // namespace hvc
