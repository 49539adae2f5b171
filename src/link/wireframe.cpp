#include "link/wireframe.h"

#include "core/unitvariable.h"

#include <QStringList>

namespace hvc::wire {

namespace {

constexpr int kHeader = 2; // sync and kind/seq
constexpr int kCrc16 = 2;

std::uint8_t byteAt(const QByteArray& b, qsizetype i) {
    return static_cast<std::uint8_t>(b[i]);
}

std::uint16_t word(const QByteArray& b, qsizetype i) {
    return static_cast<std::uint16_t>(byteAt(b, i) << 8 | byteAt(b, i + 1));
}

void putWord(QByteArray& b, std::uint16_t w) {
    b.append(static_cast<char>(w >> 8));
    b.append(static_cast<char>(w & 0xFF));
}

void putByte(QByteArray& b, int v) {
    b.append(static_cast<char>(v & 0xFF));
}

const char* kindName(Kind kind) {
    switch (kind) {
    case Kind::Read:
        return "READ";
    case Kind::Write:
        return "WRITE";
    case Kind::Command:
        return "COMMAND";
    case Kind::ReadRanges:
        return "READ-RANGES";
    case Kind::WriteRanges:
        return "WRITE-RANGES";
    case Kind::ReadList:
        return "READ-LIST";
    case Kind::Value:
        return "VALUE";
    case Kind::WriteAck:
        return "WRITE-ACK";
    case Kind::CommandAck:
        return "COMMAND-ACK";
    case Kind::Words:
        return "WORDS";
    case Kind::BlockAck:
        return "BLOCK-ACK";
    case Kind::ListWords:
        return "LIST-WORDS";
    case Kind::Error:
        return "ERROR";
    }
    return "?";
}

} // namespace

bool isKnownKind(std::uint8_t nibble) {
    return nibble != 0 && nibble != 0x7 && nibble != 0x8 && nibble <= 0xF;
}

bool isRequest(Kind kind) {
    return static_cast<std::uint8_t>(kind) < 0x8;
}

bool isBlockKind(Kind kind) {
    switch (kind) {
    case Kind::ReadRanges:
    case Kind::WriteRanges:
    case Kind::ReadList:
    case Kind::Words:
    case Kind::BlockAck:
    case Kind::ListWords:
        return true;
    default:
        return false;
    }
}

Kind replyKind(Kind request) {
    return static_cast<Kind>(static_cast<std::uint8_t>(request) | 0x8);
}

int blockWords(const Frame& request) {
    if (!isBlockKind(request.kind) || !isRequest(request.kind))
        return 0;
    int n = 0;
    for (const WordRange& r : request.ranges)
        n += request.kind == Kind::ReadList ? 1 : r.count;
    return n;
}

int frameSize(Kind kind, int textLength) {
    switch (kind) {
    case Kind::Read:
        return kHeader + 3 + 1;
    case Kind::Write:
        return kHeader + 5 + 1;
    case Kind::Command:
        return kHeader + 4 + textLength + 1;
    case Kind::Value:
        return kHeader + 2 + 1;
    case Kind::WriteAck:
    case Kind::CommandAck:
        return kHeader + 1;
    case Kind::Error:
        return kHeader + 1 + 1;
    case Kind::BlockAck:
        return kHeader + 1 + kCrc16;
    case Kind::ReadRanges:
    case Kind::WriteRanges:
    case Kind::ReadList:
    case Kind::Words:
    case Kind::ListWords:
        break;
    }
    return 0;
}

int encodedSize(const Frame& f, const Frame* request) {
    switch (f.kind) {
    case Kind::ReadRanges:
        return kHeader + 1 + 4 * static_cast<int>(f.ranges.size()) + kCrc16;
    case Kind::ReadList:
        return kHeader + 1 + 3 * static_cast<int>(f.ranges.size()) + kCrc16;
    case Kind::WriteRanges: {
        int n = kHeader + 1 + kCrc16;
        for (const WordRange& r : f.ranges)
            n += 4 + 2 * r.count;
        return n;
    }
    case Kind::Words:
    case Kind::ListWords:
        return kHeader + 1 + 2 * static_cast<int>(f.words.size()) + kCrc16;
    case Kind::Error:
        if (request != nullptr && isBlockKind(request->kind))
            return kHeader + 2 + kCrc16;
        return frameSize(f.kind);
    default:
        return frameSize(f.kind, static_cast<int>(f.text.left(kMaxText).size()));
    }
}

bool withinLimits(const Frame& request) {
    if (!isBlockKind(request.kind) || !isRequest(request.kind) || request.ranges.isEmpty() ||
        request.ranges.size() > 255)
        return false;
    for (const WordRange& r : request.ranges)
        if (r.count == 0)
            return false;
    const int words = blockWords(request);
    if (request.kind == Kind::WriteRanges && request.words.size() != words)
        return false;
    const int reply = request.kind == Kind::WriteRanges ? frameSize(Kind::BlockAck)
                                                        : kHeader + 1 + 2 * words + kCrc16;
    return words <= kMaxBlockWords && encodedSize(request) <= kMaxFrame && reply <= kMaxFrame;
}

// CRC-8, polynomial x^8 + x^2 + x + 1 (0x07), initial value 0, no reflection.
std::uint8_t crc8(const std::uint8_t* data, std::size_t length, std::uint8_t init) {
    std::uint8_t crc = init;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint8_t>((crc & 0x80) ? (crc << 1) ^ 0x07 : crc << 1);
    }
    return crc;
}

// CRC-16, polynomial x^16 + x^12 + x^5 + 1 (0x1021), no reflection.
std::uint16_t crc16(const std::uint8_t* data, std::size_t length, std::uint16_t init) {
    std::uint16_t crc = init;
    for (std::size_t k = 0; k < length; ++k) {
        crc = static_cast<std::uint16_t>(crc ^ (data[k] << 8));
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

namespace {

// A one-word frame's CRC starts from `seed` (the request's CRC byte for a reply);
// a block frame's from FFFF for a request, from the request's CRC-16 for a reply.
QByteArray encodeWithSeed(const Frame& frame, std::uint16_t seed, bool block) {
    QByteArray b;
    b.reserve(kMaxFrame);
    b.append(static_cast<char>(kSync));
    b.append(static_cast<char>(static_cast<std::uint8_t>(frame.kind) << 4 | (frame.seq & 0x0F)));
    switch (frame.kind) {
    case Kind::Read:
        putWord(b, frame.address);
        b.append(static_cast<char>(frame.sub));
        break;
    case Kind::Write:
        putWord(b, frame.address);
        b.append(static_cast<char>(frame.sub));
        putWord(b, frame.value);
        break;
    case Kind::Command: {
        const QByteArray text = frame.text.left(kMaxText);
        putWord(b, frame.address);
        b.append(static_cast<char>(frame.sub));
        b.append(static_cast<char>(text.size()));
        b.append(text);
        break;
    }
    case Kind::ReadRanges:
    case Kind::ReadList:
        putByte(b, static_cast<int>(frame.ranges.size()));
        for (const WordRange& r : frame.ranges) {
            putWord(b, r.address);
            putByte(b, r.sub);
            if (frame.kind == Kind::ReadRanges)
                putByte(b, r.count);
        }
        break;
    case Kind::WriteRanges: {
        putByte(b, static_cast<int>(frame.ranges.size()));
        qsizetype next = 0;
        for (const WordRange& r : frame.ranges) {
            putWord(b, r.address);
            putByte(b, r.sub);
            putByte(b, r.count);
            for (int k = 0; k < r.count; ++k, ++next)
                putWord(b, next < frame.words.size() ? frame.words[next] : 0);
        }
        break;
    }
    case Kind::Words:
    case Kind::ListWords:
        putByte(b, static_cast<int>(frame.words.size()));
        for (const std::uint16_t w : frame.words)
            putWord(b, w);
        break;
    case Kind::BlockAck:
        putByte(b, frame.count);
        break;
    case Kind::Value:
        putWord(b, frame.value);
        break;
    case Kind::WriteAck:
    case Kind::CommandAck:
        break;
    case Kind::Error:
        b.append(static_cast<char>(frame.error));
        if (block)
            putByte(b, frame.index);
        break;
    }
    if (block)
        putWord(b, crc16(QByteArrayView(b).sliced(1), seed));
    else
        b.append(
            static_cast<char>(crc8(QByteArrayView(b).sliced(1), static_cast<std::uint8_t>(seed))));
    return b;
}

} // namespace

QByteArray encode(const Frame& request) {
    const bool block = isBlockKind(request.kind);
    return encodeWithSeed(request, block ? 0xFFFF : 0, block);
}

std::uint16_t replySeed(const Frame& request) {
    const QByteArray bytes = encode(request);
    if (isBlockKind(request.kind))
        return word(bytes, bytes.size() - 2);
    return static_cast<std::uint8_t>(bytes.back());
}

QByteArray encodeReply(const Frame& reply, const Frame& request) {
    return encodeWithSeed(reply, replySeed(request), isBlockKind(request.kind));
}

QString errorText(std::uint8_t code) {
    switch (static_cast<ErrorCode>(code)) {
    case ErrorCode::UnknownAddress:
        return QStringLiteral("unknown address");
    case ErrorCode::Refused:
        return QStringLiteral("refused");
    case ErrorCode::BadRequest:
        return QStringLiteral("bad request");
    }
    return QStringLiteral("error %1").arg(code);
}

QString describe(const Frame& f) {
    QString s = QString::fromLatin1(kindName(f.kind));
    const QString where = formatAddressText(static_cast<std::int32_t>(f.address) << 8 | f.sub);
    switch (f.kind) {
    case Kind::Read:
        s += u' ' + where;
        break;
    case Kind::Write:
        s += QStringLiteral(" %1 = %2").arg(where).arg(static_cast<std::int16_t>(f.value));
        break;
    case Kind::Command:
        s += QStringLiteral(" %1 sub %2 \"%3\"")
                 .arg(f.address)
                 .arg(f.sub)
                 .arg(QString::fromLatin1(f.text));
        break;
    case Kind::ReadRanges:
    case Kind::WriteRanges:
    case Kind::ReadList: {
        QStringList parts;
        for (const WordRange& r : f.ranges) {
            const QString at = formatAddressText(static_cast<std::int32_t>(r.address) << 8 | r.sub);
            parts << (f.kind == Kind::ReadList ? at
                                               : QStringLiteral("%1 x%2").arg(at).arg(r.count));
        }
        s += QStringLiteral(" %1 words: %2")
                 .arg(blockWords(f))
                 .arg(parts.join(QStringLiteral(", ")));
        break;
    }
    case Kind::Words:
    case Kind::ListWords:
        s += QStringLiteral(" %1 words").arg(f.words.size());
        break;
    case Kind::BlockAck:
        s += QStringLiteral(" %1 words").arg(f.count);
        break;
    case Kind::Value:
        s += QStringLiteral(" %1").arg(static_cast<std::int16_t>(f.value));
        break;
    case Kind::WriteAck:
    case Kind::CommandAck:
        break;
    case Kind::Error:
        s += u' ' + errorText(f.error);
        if (f.index != 0)
            s += QStringLiteral(" at word %1").arg(f.index);
        break;
    }
    return s + QStringLiteral(" seq %1").arg(f.seq);
}

void Decoder::expectRequests() {
    m_replies = false;
    m_seed = 0;
    m_words = 0;
}

void Decoder::expectReplyTo(const Frame& request) {
    m_replies = true;
    m_answers = request.kind;
    m_seq = request.seq & 0x0F;
    m_seed = replySeed(request);
    m_words = blockWords(request);
}

bool Decoder::acceptsKind(Kind kind) const {
    if (!m_replies)
        return isRequest(kind);
    // Any other reply kind would make the decoder wait for a frame of another
    // length; a damaged kind nibble is better caught here.
    return kind == Kind::Error || kind == replyKind(m_answers);
}

void Decoder::drop(qsizetype n) {
    m_buffer.remove(0, n);
    m_skipped += static_cast<std::uint64_t>(n);
}

int Decoder::sizeAtFront() const {
    const qsizetype have = m_buffer.size();
    const Kind kind = static_cast<Kind>(byteAt(m_buffer, 1) >> 4);
    const bool blockReply = m_replies && isBlockKind(m_answers);
    switch (kind) {
    case Kind::Command: {
        if (have < kHeader + 4)
            return 0;
        const int length = byteAt(m_buffer, 5);
        return length > kMaxText ? -1 : frameSize(kind, length);
    }
    case Kind::Error:
        return blockReply ? kHeader + 2 + kCrc16 : frameSize(kind);
    case Kind::ReadRanges:
    case Kind::ReadList: {
        if (have < kHeader + 1)
            return 0;
        const int n = byteAt(m_buffer, 2);
        const int size = kHeader + 1 + (kind == Kind::ReadList ? 3 : 4) * n + kCrc16;
        return n == 0 || size > kMaxFrame ? -1 : size;
    }
    case Kind::WriteRanges: {
        if (have < kHeader + 1)
            return 0;
        const int ranges = byteAt(m_buffer, 2);
        if (ranges == 0)
            return -1;
        int at = kHeader + 1;
        for (int r = 0; r < ranges; ++r) {
            if (at + 4 + kCrc16 > kMaxFrame)
                return -1; // never wait for more than one frame can hold
            if (have < at + 4)
                return 0;
            const int n = byteAt(m_buffer, at + 3);
            at += 4 + 2 * n;
            if (n == 0 || at + kCrc16 > kMaxFrame)
                return -1;
        }
        return at + kCrc16;
    }
    case Kind::Words:
    case Kind::ListWords:
    case Kind::BlockAck:
        // Only ever read as the reply to a block request: the count must be its own.
        if (have < kHeader + 1)
            return 0;
        if (byteAt(m_buffer, 2) != m_words)
            return -1;
        return kind == Kind::BlockAck ? frameSize(kind) : kHeader + 1 + 2 * m_words + kCrc16;
    default:
        return frameSize(kind);
    }
}

Frame Decoder::parse(Kind kind, int size) const {
    Frame frame;
    frame.kind = kind;
    frame.seq = byteAt(m_buffer, 1) & 0x0F;
    const bool blockReply = m_replies && isBlockKind(m_answers);
    switch (kind) {
    case Kind::Read:
        frame.address = word(m_buffer, 2);
        frame.sub = byteAt(m_buffer, 4);
        break;
    case Kind::Write:
        frame.address = word(m_buffer, 2);
        frame.sub = byteAt(m_buffer, 4);
        frame.value = word(m_buffer, 5);
        break;
    case Kind::Command:
        frame.address = word(m_buffer, 2);
        frame.sub = byteAt(m_buffer, 4);
        frame.text = m_buffer.mid(6, byteAt(m_buffer, 5));
        break;
    case Kind::ReadRanges:
    case Kind::ReadList:
    case Kind::WriteRanges: {
        const int n = byteAt(m_buffer, 2);
        int at = kHeader + 1;
        for (int r = 0; r < n; ++r) {
            WordRange range{.address = word(m_buffer, at), .sub = byteAt(m_buffer, at + 2)};
            at += 3;
            if (kind != Kind::ReadList)
                range.count = byteAt(m_buffer, at++);
            if (kind == Kind::WriteRanges)
                for (int k = 0; k < range.count; ++k, at += 2)
                    frame.words.append(word(m_buffer, at));
            frame.ranges.append(range);
        }
        break;
    }
    case Kind::Words:
    case Kind::ListWords:
        for (int at = kHeader + 1; at < size - kCrc16; at += 2)
            frame.words.append(word(m_buffer, at));
        break;
    case Kind::BlockAck:
        frame.count = byteAt(m_buffer, 2);
        break;
    case Kind::Value:
        frame.value = word(m_buffer, 2);
        break;
    case Kind::WriteAck:
    case Kind::CommandAck:
        break;
    case Kind::Error:
        frame.error = byteAt(m_buffer, 2);
        if (blockReply)
            frame.index = byteAt(m_buffer, 3);
        break;
    }
    return frame;
}

Decoder::Status Decoder::next(Frame& frame) {
    const qsizetype sync = m_buffer.indexOf(static_cast<char>(kSync));
    if (sync < 0) {
        drop(m_buffer.size());
        return Status::NeedMore;
    }
    drop(sync);
    if (m_buffer.size() < kHeader)
        return Status::NeedMore;
    const std::uint8_t nibble = byteAt(m_buffer, 1) >> 4;
    if (!isKnownKind(nibble) || !acceptsKind(static_cast<Kind>(nibble))) {
        drop(1);
        return Status::BadHeader;
    }
    const Kind kind = static_cast<Kind>(nibble);
    const int size = sizeAtFront();
    if (size < 0) {
        drop(1);
        return Status::BadHeader;
    }
    if (size == 0 || m_buffer.size() < size)
        return Status::NeedMore;
    const bool block = isBlockKind(kind) || (m_replies && isBlockKind(m_answers));
    const QByteArrayView body = QByteArrayView(m_buffer).sliced(1, size - (block ? 3 : 2));
    const bool checks =
        block ? crc16(body, m_replies ? m_seed : 0xFFFF) == word(m_buffer, size - 2)
              : crc8(body, static_cast<std::uint8_t>(m_seed)) == byteAt(m_buffer, size - 1);
    if (!checks) {
        drop(1);
        return Status::BadCrc;
    }
    frame = parse(kind, size);
    if (!m_replies && isBlockKind(kind) && !withinLimits(frame)) {
        // Checked, but beyond what either side may send: not a request to serve.
        drop(1);
        return Status::BadHeader;
    }
    m_buffer.remove(0, size);
    if (m_replies && frame.seq != m_seq)
        return Status::OtherReply;
    return Status::Frame;
}

} // namespace hvc::wire
