#pragma once
// The wire protocol between the configurator and the control unit (docs/protocol.md):
// one codec shared by the device link and the simulated unit.
//
// Every frame is  A5 | kind<<4 | seq | payload | CRC-8  where the CRC covers every
// byte after the sync byte. Requests carry a 4-bit sequence number that the reply
// echoes, so a late reply is never taken for the answer to a newer request.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>

namespace hvc::wire {

inline constexpr std::uint8_t kSync = 0xA5;
inline constexpr int kMaxText = 32;
// 8N1: a start bit, 8 data bits and a stop bit per byte.
inline constexpr int kBitsPerByte = 10;

enum class Kind : std::uint8_t {
    Read = 0x1,       // A5 1s AH AL SUB CRC
    Write = 0x2,      // A5 2s AH AL SUB VH VL CRC
    Command = 0x3,    // A5 3s CH CL SUB LEN TEXT CRC
    Value = 0x9,      // A5 9s VH VL CRC          (reply to Read)
    WriteAck = 0xA,   // A5 As CRC                (reply to Write)
    CommandAck = 0xB, // A5 Bs CRC                (reply to Command)
    Error = 0xF,      // A5 Fs CODE CRC           (reply to any request)
};

enum class ErrorCode : std::uint8_t {
    UnknownAddress = 1, // no word at this address and sub-code
    Refused = 2,        // the word is read-only, or the command or its text is not accepted
    BadRequest = 3,     // a well-formed frame the unit cannot serve
};

struct Frame {
    Kind kind = Kind::Read;
    std::uint8_t seq = 0;      // 0..15
    std::uint16_t address = 0; // requests: unit address or command code
    std::uint8_t sub = 0;      // requests: sub-code
    std::uint16_t value = 0;   // Write, Value
    std::uint8_t error = 0;    // Error
    QByteArray text;           // Command, at most kMaxText bytes

    bool operator==(const Frame&) const = default;
};

bool isRequest(Kind kind);
bool isKnownKind(std::uint8_t nibble);
// The reply kind that answers a request kind (Error answers any request too).
Kind replyKind(Kind request);
// Bytes of a whole frame of this kind (Command: with a text of textLength bytes).
int frameSize(Kind kind, int textLength = 0);

std::uint8_t crc8(const std::uint8_t* data, std::size_t length);
inline std::uint8_t crc8(QByteArrayView bytes) {
    return crc8(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                static_cast<std::size_t>(bytes.size()));
}

// The bytes of a frame. A Command text longer than kMaxText is cut.
QByteArray encode(const Frame& frame);

// "READ 0300.00 seq 3" and the like, for logs.
QString describe(const Frame& frame);
QString errorText(std::uint8_t code);

// Cuts a byte stream into frames. Bytes before a sync byte are skipped; a frame
// whose header or CRC is wrong gives up its sync byte, so the search resumes at
// the next byte and a good frame behind damaged bytes is still found.
class Decoder {
public:
    enum class Status { Frame, NeedMore, BadHeader, BadCrc };

    void append(QByteArrayView bytes) { m_buffer.append(bytes); }
    Status next(Frame& frame);
    void clear() { m_buffer.clear(); }
    qsizetype buffered() const { return m_buffer.size(); }
    // Bytes dropped while hunting for a sync byte or giving up a bad frame.
    std::uint64_t skipped() const { return m_skipped; }

private:
    void drop(qsizetype n);
    QByteArray m_buffer;
    std::uint64_t m_skipped = 0;
};

} // namespace hvc::wire
