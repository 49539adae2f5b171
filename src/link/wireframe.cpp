#include "link/wireframe.h"

#include "core/unitvariable.h"

namespace hvc::wire {

namespace {

constexpr int kHeader = 2; // sync and kind/seq

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

const char* kindName(Kind kind) {
    switch (kind) {
    case Kind::Read:
        return "READ";
    case Kind::Write:
        return "WRITE";
    case Kind::Command:
        return "COMMAND";
    case Kind::Value:
        return "VALUE";
    case Kind::WriteAck:
        return "WRITE-ACK";
    case Kind::CommandAck:
        return "COMMAND-ACK";
    case Kind::Error:
        return "ERROR";
    }
    return "?";
}

} // namespace

bool isKnownKind(std::uint8_t nibble) {
    switch (nibble) {
    case 0x1:
    case 0x2:
    case 0x3:
    case 0x9:
    case 0xA:
    case 0xB:
    case 0xF:
        return true;
    default:
        return false;
    }
}

bool isRequest(Kind kind) {
    return kind == Kind::Read || kind == Kind::Write || kind == Kind::Command;
}

Kind replyKind(Kind request) {
    return static_cast<Kind>(static_cast<std::uint8_t>(request) | 0x8);
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
    }
    return 0;
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

namespace {

QByteArray encodeWithSeed(const Frame& frame, std::uint8_t seed) {
    QByteArray b;
    b.reserve(frameSize(frame.kind, kMaxText));
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
    case Kind::Value:
        putWord(b, frame.value);
        break;
    case Kind::WriteAck:
    case Kind::CommandAck:
        break;
    case Kind::Error:
        b.append(static_cast<char>(frame.error));
        break;
    }
    b.append(static_cast<char>(crc8(QByteArrayView(b).sliced(1), seed)));
    return b;
}

} // namespace

QByteArray encode(const Frame& request) {
    return encodeWithSeed(request, 0);
}

std::uint8_t replySeed(const Frame& request) {
    return static_cast<std::uint8_t>(encode(request).back());
}

QByteArray encodeReply(const Frame& reply, const Frame& request) {
    return encodeWithSeed(reply, replySeed(request));
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
    case Kind::Value:
        s += QStringLiteral(" %1").arg(static_cast<std::int16_t>(f.value));
        break;
    case Kind::WriteAck:
    case Kind::CommandAck:
        break;
    case Kind::Error:
        s += u' ' + errorText(f.error);
        break;
    }
    return s + QStringLiteral(" seq %1").arg(f.seq);
}

void Decoder::expectRequests() {
    m_replies = false;
    m_seed = 0;
}

void Decoder::expectReplyTo(const Frame& request) {
    m_replies = true;
    m_answers = request.kind;
    m_seq = request.seq & 0x0F;
    m_seed = replySeed(request);
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
    int size = frameSize(kind);
    if (kind == Kind::Command) {
        if (m_buffer.size() < kHeader + 4)
            return Status::NeedMore;
        const int length = byteAt(m_buffer, 5);
        if (length > kMaxText) {
            drop(1);
            return Status::BadHeader;
        }
        size = frameSize(kind, length);
    }
    if (m_buffer.size() < size)
        return Status::NeedMore;
    const QByteArrayView body = QByteArrayView(m_buffer).sliced(1, size - 2);
    if (crc8(body, m_seed) != byteAt(m_buffer, size - 1)) {
        drop(1);
        return Status::BadCrc;
    }
    frame = Frame{};
    frame.kind = kind;
    frame.seq = byteAt(m_buffer, 1) & 0x0F;
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
    case Kind::Value:
        frame.value = word(m_buffer, 2);
        break;
    case Kind::WriteAck:
    case Kind::CommandAck:
        break;
    case Kind::Error:
        frame.error = byteAt(m_buffer, 2);
        break;
    }
    m_buffer.remove(0, size);
    if (m_replies && frame.seq != m_seq)
        return Status::OtherReply;
    return Status::Frame;
}

} // namespace hvc::wire
