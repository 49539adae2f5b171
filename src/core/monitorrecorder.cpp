#include "core/monitorrecorder.h"

#include "core/catalogue.h"
#include "core/csv.h"
#include "core/monitormodel.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

// Closes the file; a new file that never took the target's place goes.
void MonitorRecorder::discard() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_partPath.isEmpty())
        ::unlink(QFile::encodeName(m_partPath).constData());
    m_partPath.clear();
}

Status MonitorRecorder::failed(const QString& what, int error) {
    discard();
    return Status::failure(QString::fromLatin1(kNotRecorded),
                           QStringLiteral("%1 '%2': %3")
                               .arg(what, m_path, QString::fromLocal8Bit(std::strerror(error))));
}

Status MonitorRecorder::open(const QString& path, const Catalogue& catalogue,
                             const QList<int>& varIds) {
    if (Status s = close(); !s)
        return s;
    m_path = path;
    m_target = path;
    if (const QFileInfo link(path); link.isSymLink()) {
        m_target = link.canonicalFilePath();
        if (m_target.isEmpty()) // a link to a file still to be made
            m_target = link.symLinkTarget();
    }
    // A FIFO or a device node would be truncated or fed for ever: only a regular
    // file or a new path.
    if (const QFileInfo target(m_target); target.exists() && !target.isFile())
        return Status::failure(QString::fromLatin1(kNotRecorded),
                               QStringLiteral("'%1' is not a regular file").arg(path));
    m_varIds = varIds;
    m_rows = 0;
    m_end = 0;
    // A fresh name beside the target, so that the rename stays on one file system.
    int error = EEXIST;
    for (int attempt = 0; attempt < 16 && m_fd < 0 && error == EEXIST; ++attempt) {
        m_partPath = QStringLiteral("%1.part%2")
                         .arg(m_target)
                         .arg(QRandomGenerator::global()->bounded(1000000), 6, 10, QChar(u'0'));
        m_fd = ::open(QFile::encodeName(m_partPath).constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        error = m_fd < 0 ? errno : 0;
    }
    if (m_fd < 0) {
        m_partPath.clear();
        return failed(QStringLiteral("cannot create"), error);
    }
    return writeLine(headerCells(catalogue, varIds));
}

Status MonitorRecorder::writeLine(const QStringList& cells) {
    QStringList quoted;
    quoted.reserve(cells.size());
    for (const QString& c : cells)
        quoted << csvField(c);
    // One write per line: a line is either wholly in the file or not at all. A
    // short write (a full disk) is cut back to the end of the last whole line.
    const QByteArray line = (quoted.join(u',') + QStringLiteral("\r\n")).toUtf8();
    qsizetype done = 0;
    while (done < line.size()) {
        const ssize_t n =
            ::write(m_fd, line.constData() + done, static_cast<size_t>(line.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            if (done > 0) {
                [[maybe_unused]] const int cut = ::ftruncate(m_fd, m_end);
            }
            return failed(QStringLiteral("cannot write"), error);
        }
        done += n;
    }
    m_end += line.size();
    return {};
}

Status MonitorRecorder::write(const MonitorSample& sample) {
    if (m_fd < 0)
        return Status::failure(QString::fromLatin1(kNotRecorded), QStringLiteral("no file open"));
    if (Status s = writeLine(rowCells(sample, m_varIds)); !s)
        return s;
    if (!m_partPath.isEmpty()) {
        // The first row: the new file takes the target's place.
        if (::rename(QFile::encodeName(m_partPath).constData(),
                     QFile::encodeName(m_target).constData()) != 0)
            return failed(QStringLiteral("cannot replace"), errno);
        m_partPath.clear();
    }
    ++m_rows;
    return {};
}

Status MonitorRecorder::close() {
    if (m_fd < 0)
        return {};
    if (::fsync(m_fd) != 0)
        return failed(QStringLiteral("cannot write"), errno);
    discard();
    return {};
}

} // namespace hvc
