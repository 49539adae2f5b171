#include "link/portlock.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace hvc {

namespace {

QString busy(const QString& device) {
    return QStringLiteral("port busy: %1 is open in another program").arg(device);
}

} // namespace

PortLock::~PortLock() {
    release();
}

void PortLock::release() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_device.clear();
}

PortLock::Result PortLock::acquire(const QString& path, QString& error) {
    release();
    const QString device = QFileInfo(path).canonicalFilePath();
    if (device.isEmpty()) {
        error = QStringLiteral("%1: no such device").arg(path);
        return Result::Failed;
    }
    // A descriptor of our own carries the lock: flock() locks the open file, which
    // every spelling of the path reaches, and it is dropped when this process ends,
    // however it ends. O_NONBLOCK keeps the open from waiting for a modem carrier.
    const int fd =
        ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // EBUSY: another program opened the terminal in exclusive mode (TIOCEXCL).
        if (errno == EBUSY) {
            error = busy(device);
            return Result::Busy;
        }
        error = QStringLiteral("%1: %2").arg(device, QString::fromLocal8Bit(std::strerror(errno)));
        return Result::Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int why = errno;
        ::close(fd);
        if (why == EWOULDBLOCK) {
            error = busy(device);
            return Result::Busy;
        }
        error = QStringLiteral("%1: cannot lock: %2")
                    .arg(device, QString::fromLocal8Bit(std::strerror(why)));
        return Result::Failed;
    }
    m_fd = fd;
    m_device = device;
    return Result::Locked;
}

} // namespace hvc
