#pragma once
// An exclusive lock on a serial device, held for as long as the link has it open.
// The lock is taken on the device itself, not on the text of its path, so a
// symbolic link, a relative path and the device path all meet the same lock, and
// the desktop program and hvcctl keep each other off one unit.

#include <QString>

namespace hvc {

class PortLock {
public:
    PortLock() = default;
    ~PortLock();
    PortLock(const PortLock&) = delete;
    PortLock& operator=(const PortLock&) = delete;

    enum class Result { Locked, Busy, Failed };

    // Resolves `path` to the device it names and locks that device. Busy when
    // another program (or another link in this one) holds it; `error` then reads
    // "port busy: /dev/pts/7 is open in another program".
    Result acquire(const QString& path, QString& error);
    void release();
    bool held() const { return m_fd >= 0; }
    // The resolved device path of the held lock.
    QString device() const { return m_device; }

private:
    int m_fd = -1;
    QString m_device;
};

} // namespace hvc
