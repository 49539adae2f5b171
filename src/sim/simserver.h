#pragma once
// The simulated unit's serial side: a pseudo-terminal whose slave end a
// configurator opens as its serial device, the request loop, fault injection and
// pacing to real 9600-baud wire time.

#include "link/wireframe.h"
#include "sim/simunit.h"

#include <QString>
#include <chrono>
#include <cstdint>
#include <random>

namespace hvc {

struct SimFaults {
    double drop = 0;     // probability of ignoring a request
    double corrupt = 0;  // probability of flipping one bit of a reply
    int delayMs = 0;     // added before every reply
    long muteAfter = -1; // stop answering after this many requests (-1: never)
};

class SimServer {
public:
    using Clock = std::chrono::steady_clock;

    SimServer(SimUnit& unit, SimFaults faults, bool baudPacing, std::uint32_t seed);
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Opens the pseudo-terminal (raw on both ends); a failure with a message.
    Status open();
    QString devicePath() const { return m_devicePath; }

    // Serves requests until `stopFd` becomes readable or a SIGINT/SIGTERM arrives
    // on the signal descriptor `signalFd` (SIGHUP power-cycles the unit). -1 for
    // either means none.
    void run(int signalFd, int stopFd = -1);

    std::function<void(const QString&)> log;

private:
    void handle(const wire::Frame& request, Clock::time_point received);
    void send(const QByteArray& bytes);
    void note(const QString& text) const;
    bool chance(double p);

    SimUnit& m_unit;
    SimFaults m_faults;
    bool m_pacing;
    std::mt19937 m_random;
    int m_master = -1;
    int m_slave = -1;
    QString m_devicePath;
    wire::Decoder m_decoder;
    long m_requests = 0;
    Clock::time_point m_rxFree{};
    Clock::time_point m_txFree{};
};

} // namespace hvc
