#pragma once
// The wire protocol between the configurator and the control unit (docs/protocol.md):
// one codec shared by the device link and the simulated unit.
//
// Every frame is  A5 | kind<<4 | seq | payload | CRC-8  where the CRC covers every
// byte after the sync byte. Requests carry a 4-bit sequence number that the reply
// echoes, and a reply's CRC starts from the CRC byte of the request it answers, so
// the reply also vouches for the request's address, sub-code and value without a
// byte more on the wire: a late reply to another request fails its CRC check.

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

// `init` continues a CRC over earlier bytes: crc8(b, crc8(a)) == crc8(a + b).
std::uint8_t crc8(const std::uint8_t* data, std::size_t length, std::uint8_t init = 0);
inline std::uint8_t crc8(QByteArrayView bytes, std::uint8_t init = 0) {
    return crc8(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                static_cast<std::size_t>(bytes.size()), init);
}

// The bytes of a request. A Command text longer than kMaxText is cut.
QByteArray encode(const Frame& request);
// The CRC byte of a request: where the CRC of its reply starts.
std::uint8_t replySeed(const Frame& request);
// The bytes of a reply to `request`.
QByteArray encodeReply(const Frame& reply, const Frame& request);

// "READ 0300.00 seq 3" and the like, for logs.
QString describe(const Frame& frame);
QString errorText(std::uint8_t code);

// Cuts a byte stream into frames. Bytes before a sync byte are skipped; a frame
// whose header or CRC is wrong gives up its sync byte, so the search resumes at
// the next byte and a good frame behind damaged bytes is still found.
//
// A new decoder reads requests (the unit's side): a reply kind is a bad header,
// since a reply cannot be checked without its request. After expectReplyTo() it
// reads the replies to that one request (the configurator's side): only the kinds
// that answer it pass the header check, the CRC is checked from the request's seed,
// and a frame that checks but carries another sequence number or kind is OtherReply.
class Decoder {
public:
    enum class Status { Frame, NeedMore, BadHeader, BadCrc, OtherReply };

    void expectRequests();
    void expectReplyTo(const Frame& request);

    void append(QByteArrayView bytes) { m_buffer.append(bytes); }
    Status next(Frame& frame);
    void clear() { m_buffer.clear(); }
    qsizetype buffered() const { return m_buffer.size(); }
    // Bytes dropped while hunting for a sync byte or giving up a bad frame.
    std::uint64_t skipped() const { return m_skipped; }

private:
    bool acceptsKind(Kind kind) const;
    void drop(qsizetype n);
    QByteArray m_buffer;
    std::uint64_t m_skipped = 0;
    bool m_replies = false;
    Kind m_answers = Kind::Read; // replies: the kind of the request
    std::uint8_t m_seq = 0;      // replies: the sequence number of the request
    std::uint8_t m_seed = 0;     // replies: the CRC byte of the request
};

} // namespace hvc::wire
