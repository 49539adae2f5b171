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

#include <QList>
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

    // Several words in as few exchanges as the unit allows: block frames while it
    // takes them, else one READ per word. `values` gets the words read, in order;
    // after a failure, those read before the word that failed (errorString() names
    // it as readWord would). Addresses are unit address << 8 | sub-code.
    bool readWords(const QList<std::int32_t>& addresses, QList<std::uint16_t>& values);
    // Writes the words in the order given, in block frames while the unit takes
    // them; `written` says how many the unit took before a failure, which
    // errorString() names as writeWord would.
    bool writeWords(const QList<std::int32_t>& addresses, const QList<std::uint16_t>& values,
                    int& written);
    // Block frames on (the default) or off; a unit that answers one with a
    // bad-request error turns them off until the next Open.
    void setBlockFrames(bool on) { m_blocksWanted = m_blocks = on; }
    bool blockFrames() const { return m_blocks; }

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
    // Requests sent since "Open", retries included, and those in block frames.
    int exchanges() const { return m_exchanges; }
    int blockExchanges() const { return m_blockExchanges; }
    // Bytes of the requests sent and the replies taken since "Open": the wire time
    // of the exchanges at 10 bits a byte.
    long wireBytes() const { return m_wireBytes; }
    // The device the link has open, symbolic links resolved; empty while closed.
    QString devicePath() const { return m_lock.device(); }

private:
    struct Block {
        int first = 0; // index of its first word in the caller's list
        int words = 0;
        wire::Frame request;
    };
    static QList<Block> plan(const QList<std::int32_t>& addresses,
                             const QList<std::uint16_t>* values);
    // One block exchange; false when the words of the block must go one by one.
    bool blockExchange(const Block& block, wire::Frame& reply);
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
    int m_exchanges = 0;
    int m_blockExchanges = 0;
    long m_wireBytes = 0;
    bool m_blocksWanted = true;
    bool m_blocks = true;
    Failure m_failure = Failure::None;
    QString m_error;
    QString m_ioError; // the port's own text for IoError
};

} // namespace hvc
