#pragma once
// The device link: owns the serial port and speaks the wire protocol
// (docs/protocol.md) through a typed interface: open with a connection string,
// read a word, write a word, send a command, resynchronise after a time-out.
// Every exchange blocks until the reply or the time-out; a failure never yields a
// made-up value. A read or write of one word whose reply was lost or damaged is
// sent again, up to kTries times in all (it does the same thing twice); a command
// is sent once.

#include "link/portlock.h"
#include "link/porttable.h"
#include "link/wireframe.h"

#include <QLoggingCategory>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

class QSerialPort;

Q_DECLARE_LOGGING_CATEGORY(lcLink)

namespace hvc {

// "GDB:1,1000,#COM:3,9600,N,8,1": device 1, default time-out 1000 ms, COM 3, 9600 8N1.
struct ConnectionSettings {
    int device = 1;
    int timeoutMs = 1000;
    int comPort = 0;
    int baud = 9600;
    char parity = 'N';
    int dataBits = 8;
    int stopBits = 1;

    static std::optional<ConnectionSettings> parse(const QString& text);
};

class DeviceLinkMng {
public:
    // The sub-code field of every command frame.
    static constexpr int kCommandSub = 4;
    // Sends of one word read or write before the exchange fails.
    static constexpr int kTries = 3;

    // Why the last call failed.
    enum class Failure {
        None,
        Usage,      // bad arguments or connection string: nothing was sent
        OpenFailed, // the device could not be opened or set up
        PortBusy,   // another program has the device open
        PortClosed, // not open, or the device went away
        IoError,    // the serial port reported an error
        TimeOut,    // no complete reply in time
        BadCrc,     // a reply (or a late one to another request) failed the CRC check
        Malformed,  // bytes that are no reply to this request
        OtherReply, // a checked reply with another sequence number
        ErrorReply, // the unit answered with an error: not sent again
    };

    explicit DeviceLinkMng(PortTable ports);
    ~DeviceLinkMng();
    DeviceLinkMng(const DeviceLinkMng&) = delete;
    DeviceLinkMng& operator=(const DeviceLinkMng&) = delete;

    // False (with errorString()) when the string is malformed or the port cannot
    // be opened.
    bool open(const QString& connection);
    bool isOpen() const;

    // The word at (address 0..FFFF, sub-code 0..FF) as 0..65535.
    std::optional<std::int32_t> readWord(int address, int sub);
    // Writes a word given as -32768..65535 (a negative one as its two's complement).
    bool writeWord(int address, int sub, int value);
    // Sends a command text (at most wire::kMaxText Latin-1 bytes) with its code in
    // the address field and kCommandSub as sub-code; the unit answers when it has
    // carried it out.
    bool sendCommand(int code, const QString& text);

    // Milliseconds each following exchange waits for its reply.
    void setTimeout(int ms);
    int timeout() const { return m_timeoutMs; }
    // After a failed command: drains whatever is still arriving and resynchronises.
    void resynchronise();

    // "time-out after 1000 ms reading 0406.00 (3 tries)", "port busy: ...", ...
    QString errorString() const { return m_error; }
    Failure lastFailure() const { return m_failure; }
    // Requests sent again after a lost or damaged reply, since the last Open.
    int retries() const { return m_retries; }
    // The device the link has open, symbolic links resolved; empty while closed.
    QString devicePath() const { return m_lock.device(); }

private:
    Failure attempt(wire::Frame request, wire::Frame& reply);
    bool exchange(const wire::Frame& request, wire::Frame& reply);
    QString failureText(Failure why, const wire::Frame& request, const wire::Frame& reply) const;
    bool fail(Failure failure, const QString& why);
    bool addressInRange(int address, int sub);
    void flushInput();
    void close();
    bool portGone();

    PortTable m_ports;
    PortLock m_lock;
    std::unique_ptr<QSerialPort> m_port;
    wire::Decoder m_decoder;
    int m_timeoutMs = 1000;
    std::uint8_t m_seq = 0;
    int m_retries = 0;
    Failure m_failure = Failure::None;
    QString m_error;
    QString m_ioError; // the port's own text for IoError
};

} // namespace hvc
