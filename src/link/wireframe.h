#pragma once
// The wire protocol between the configurator and the control unit (docs/protocol.md):
// one codec shared by the device link and the simulated unit.
//
// Every frame is  A5 | kind<<4 | seq | payload | CRC  where the CRC covers every
// byte after the sync byte: CRC-8 for the one-word frames, CRC-16 for the block
// frames, which carry many words in one exchange. Requests carry a 4-bit sequence number that the
// reply echoes, and a reply's CRC starts from the CRC byte of the request it answers, so the reply
// also vouches for the request's address, sub-code and value without a byte more on the wire: a
// late reply to another request fails its CRC check.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <cstdint>

namespace hvc::wire {

inline constexpr std::uint8_t kSync = 0xA5;
inline constexpr int kMaxText = 32;
// 8N1: a start bit, 8 data bits and a stop bit per byte.
inline constexpr int kBitsPerByte = 10;
// No frame of either side is longer; no block frame carries more words.
inline constexpr int kMaxFrame = 256;
inline constexpr int kMaxBlockWords = 125;

enum class Kind : std::uint8_t {
    Read = 0x1,        // A5 1s AH AL SUB CRC
    Write = 0x2,       // A5 2s AH AL SUB VH VL CRC
    Command = 0x3,     // A5 3s CH CL SUB LEN TEXT CRC
    ReadRanges = 0x4,  // A5 4s R (AH AL SUB N)xR CRC16   N consecutive words from each
    WriteRanges = 0x5, // A5 5s R (AH AL SUB N V1H V1L .. VNH VNL)xR CRC16
    ReadList = 0x6,    // A5 6s N (AH AL SUB)xN CRC16      N scattered words
    Value = 0x9,       // A5 9s VH VL CRC          (reply to Read)
    WriteAck = 0xA,    // A5 As CRC                (reply to Write)
    CommandAck = 0xB,  // A5 Bs CRC                (reply to Command)
    Words = 0xC,       // A5 Cs N (VH VL)xN CRC16  (reply to ReadRanges)
    BlockAck = 0xD,    // A5 Ds N CRC16            (reply to WriteRanges: N words stored)
    ListWords = 0xE,   // A5 Es N (VH VL)xN CRC16  (reply to ReadList)
    Error = 0xF,       // A5 Fs CODE CRC           (reply to any one-word request)
                       // A5 Fs CODE INDEX CRC16   (reply to a block request)
};

enum class ErrorCode : std::uint8_t {
    UnknownAddress = 1, // no word at this address and sub-code
    Refused = 2,        // the word is read-only, or the command or its text is not accepted
    BadRequest = 3,     // a well-formed frame the unit cannot serve
};

struct WordRange {
    std::uint16_t address = 0;
    std::uint8_t sub = 0;
    std::uint8_t count = 1;
    bool operator==(const WordRange&) const = default;
};

struct Frame {
    Kind kind = Kind::Read;
    std::uint8_t seq = 0;      // 0..15
    std::uint16_t address = 0; // requests: unit address or command code
    std::uint8_t sub = 0;      // requests: sub-code
    std::uint16_t value = 0;   // Write, Value
    std::uint8_t error = 0;    // Error
    QByteArray text;           // Command, at most kMaxText bytes
    // Block frames. ReadRanges, WriteRanges: the ranges (a range is `count` words at
    // unit addresses address, address + 2, ... with one sub-code); ReadList: one word
    // each, count 1.
    QList<WordRange> ranges{};
    QList<std::uint16_t> words{}; // WriteRanges: the values, range after range; Words, ListWords
    std::uint8_t count = 0;       // BlockAck: the words stored
    std::uint8_t index = 0;       // Error to a block request: the word (0-based) not served

    bool operator==(const Frame&) const = default;
};

bool isRequest(Kind kind);
bool isKnownKind(std::uint8_t nibble);
// The block kinds (requests and their replies), checked with CRC-16.
bool isBlockKind(Kind kind);
// The words a block request covers (0 for the one-word kinds).
int blockWords(const Frame& request);
// Whether a block request keeps the limits: at least one range, every count at
// least 1, at most kMaxBlockWords words, at most kMaxFrame bytes for it and its reply.
bool withinLimits(const Frame& request);
// The reply kind that answers a request kind (Error answers any request too).
Kind replyKind(Kind request);
// Bytes of a whole frame of this kind (Command: with a text of textLength bytes).
// For the block frames see encodedSize.
int frameSize(Kind kind, int textLength = 0);
// Bytes of a whole frame as encode (request) or encodeReply (reply to `request`) makes it.
int encodedSize(const Frame& frame, const Frame* request = nullptr);

// `init` continues a CRC over earlier bytes: crc8(b, crc8(a)) == crc8(a + b).
std::uint8_t crc8(const std::uint8_t* data, std::size_t length, std::uint8_t init = 0);
inline std::uint8_t crc8(QByteArrayView bytes, std::uint8_t init = 0) {
    return crc8(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                static_cast<std::size_t>(bytes.size()), init);
}

// CRC-16 with polynomial 0x1021, initial value FFFF for a request, no reflection,
// no final XOR (CRC-16/IBM-3740); a reply continues from its request's value.
std::uint16_t crc16(const std::uint8_t* data, std::size_t length, std::uint16_t init = 0xFFFF);
inline std::uint16_t crc16(QByteArrayView bytes, std::uint16_t init = 0xFFFF) {
    return crc16(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                 static_cast<std::size_t>(bytes.size()), init);
}

// The bytes of a request. A Command text longer than kMaxText is cut.
QByteArray encode(const Frame& request);
// The CRC of a request (its CRC byte, or its two CRC-16 bytes): where the CRC of
// its reply starts.
std::uint16_t replySeed(const Frame& request);
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
    // How long the frame at the front of the buffer is: 0 when more bytes are
    // needed to tell, -1 for a bad header.
    int sizeAtFront() const;
    Frame parse(Kind kind, int size) const;
    Kind m_answers = Kind::Read; // replies: the kind of the request
    std::uint8_t m_seq = 0;      // replies: the sequence number of the request
    std::uint16_t m_seed = 0;    // replies: the CRC of the request
    int m_words = 0;             // replies to a block request: the words it covers
};

} // namespace hvc::wire
