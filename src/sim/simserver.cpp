#include "sim/simserver.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/signalfd.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace hvc {

namespace {

// One byte of 8N1 at 9600 baud.
constexpr auto kByteTime = std::chrono::nanoseconds(1'000'000'000LL * wire::kBitsPerByte / 9600);
// A request that stops arriving for this long is dropped, so the next one starts clean.
constexpr int kStaleFrameMs = 100;

bool makeRaw(int fd) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

QString systemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(strerror(errno)));
}

} // namespace

SimServer::SimServer(SimUnit& unit, SimFaults faults, bool baudPacing, std::uint32_t seed)
    : m_unit(unit), m_faults(faults), m_pacing(baudPacing), m_random(seed) {}

SimServer::~SimServer() {
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

void SimServer::note(const QString& text) const {
    if (log)
        log(text);
}

bool SimServer::chance(double p) {
    if (p <= 0)
        return false;
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_random) < p;
}

Status SimServer::open() {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        return Status::failure(systemError("posix_openpt"));
    }
    char name[128] = {};
    if (::ptsname_r(m_master, name, sizeof name) != 0) {
        return Status::failure(systemError("ptsname"));
    }
    // Holding the slave end open keeps the master readable while no configurator
    // has the port open, and lets us make it raw before anyone else opens it.
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0 || !makeRaw(m_master) || !makeRaw(m_slave)) {
        return Status::failure(systemError(name));
    }
    m_devicePath = QString::fromLocal8Bit(name);
    return {};
}

void SimServer::send(const QByteArray& bytes) {
    if (!m_pacing) {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_master, bytes.constData() + done,
                                      static_cast<size_t>(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return;
            done += n;
        }
        return;
    }
    // Each byte leaves once its start bit, 8 data bits and stop bit would have.
    auto due = std::max(Clock::now(), m_txFree);
    for (const char byte : bytes) {
        due += kByteTime;
        std::this_thread::sleep_until(due);
        while (::write(m_master, &byte, 1) < 0 && errno == EINTR) {
        }
    }
    m_txFree = due;
}

void SimServer::handle(const wire::Frame& request, Clock::time_point received) {
    ++m_requests;
    if (m_faults.muteAfter >= 0 && m_requests > m_faults.muteAfter) {
        note(QStringLiteral("mute, ignored ") + wire::describe(request));
        return;
    }
    if (chance(m_faults.drop)) {
        note(QStringLiteral("dropped ") + wire::describe(request));
        return;
    }
    std::this_thread::sleep_until(received);
    if (m_faults.delayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(m_faults.delayMs));
    const wire::Frame reply = m_unit.serve(request, Clock::now());
    // The reply's CRC starts from the request's, so it answers only this request.
    QByteArray bytes = wire::encodeReply(reply, request);
    QString corrupted;
    if (chance(m_faults.corrupt)) {
        const auto bit =
            std::uniform_int_distribution<int>(0, static_cast<int>(bytes.size()) * 8 - 1)(m_random);
        bytes[bit / 8] = static_cast<char>(bytes[bit / 8] ^ (1 << (bit % 8)));
        corrupted = QStringLiteral(" (sent with bit %1 flipped)").arg(bit);
    }
    note(wire::describe(request) + QStringLiteral(" -> ") + wire::describe(reply) + corrupted);
    send(bytes);
}

void SimServer::run(int signalFd, int stopFd) {
    pollfd fds[3] = {{m_master, POLLIN, 0}, {signalFd, POLLIN, 0}, {stopFd, POLLIN, 0}};
    char buffer[512];
    for (;;) {
        const int timeout = m_decoder.buffered() > 0 ? kStaleFrameMs : -1;
        const int ready = ::poll(fds, 3, timeout);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            note(systemError("poll"));
            return;
        }
        if (ready == 0) {
            note(QStringLiteral("incomplete request dropped (%1 bytes)").arg(m_decoder.buffered()));
            m_decoder.clear();
            continue;
        }
        if (fds[2].revents != 0)
            return;
        if (fds[1].revents & POLLIN) {
            signalfd_siginfo info{};
            if (::read(signalFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
                if (info.ssi_signo != SIGHUP)
                    return;
                m_unit.powerCycle(Clock::now());
            }
        }
        if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                continue;
            auto received = Clock::now();
            if (m_pacing) {
                // The request counts as received once its bytes would have crossed the wire.
                m_rxFree = std::max(received, m_rxFree) + n * kByteTime;
                received = m_rxFree;
            }
            m_decoder.append(QByteArrayView(buffer, n));
            for (;;) {
                wire::Frame frame;
                const auto status = m_decoder.next(frame);
                if (status == wire::Decoder::Status::NeedMore)
                    break;
                if (status == wire::Decoder::Status::Frame)
                    handle(frame, received);
                else
                    note(QStringLiteral("damaged request skipped"));
            }
        } else if (fds[0].revents & (POLLHUP | POLLERR)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
}

} // namespace hvc
