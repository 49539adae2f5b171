#include "link/wireframe.h"

#include <gtest/gtest.h>

using namespace hvc::wire;

namespace {

Frame read(std::uint8_t seq, std::uint16_t address, std::uint8_t sub = 0) {
    Frame f;
    f.kind = Kind::Read, f.seq = seq, f.address = address, f.sub = sub;
    return f;
}

// Each reply with the request it answers.
struct Exchange {
    Frame request;
    Frame reply;
};

std::vector<Exchange> sampleExchanges() {
    std::vector<Exchange> all;
    Frame q = read(3, 0x0300);
    Frame a;
    a.kind = Kind::Value, a.seq = 3, a.value = 0xA5A5; // sync bytes inside the payload
    all.push_back({q, a});

    q = {};
    q.kind = Kind::Write, q.seq = 15, q.address = 0xFDEA, q.sub = 0x05, q.value = 0x9C40;
    a = {};
    a.kind = Kind::WriteAck, a.seq = 15;
    all.push_back({q, a});

    q = {};
    q.kind = Kind::Command, q.seq = 0, q.address = 1024, q.sub = 4, q.text = "1145130828";
    a = {};
    a.kind = Kind::CommandAck, a.seq = 0;
    all.push_back({q, a});

    q = read(9, 0x9999);
    a = {};
    a.kind = Kind::Error, a.seq = 9, a.error = static_cast<std::uint8_t>(ErrorCode::UnknownAddress);
    all.push_back({q, a});
    return all;
}

// Decodes every frame in `bytes`: requests, or the replies to `request`.
std::vector<Decoder::Status> decodeAll(const QByteArray& bytes, std::vector<Frame>& frames,
                                       const Frame* request = nullptr) {
    Decoder d;
    if (request)
        d.expectReplyTo(*request);
    d.append(bytes);
    std::vector<Decoder::Status> out;
    for (;;) {
        Frame f;
        const auto s = d.next(f);
        if (s == Decoder::Status::NeedMore)
            return out;
        out.push_back(s);
        if (s == Decoder::Status::Frame)
            frames.push_back(f);
    }
}

QByteArray flipped(QByteArray bytes, int bit) {
    bytes[bit / 8] = static_cast<char>(bytes[bit / 8] ^ (1 << (bit % 8)));
    return bytes;
}

} // namespace

TEST(WireFrame, CrcIsCrc8WithPolynomial07AndContinues) {
    // The catalogued check value of CRC-8 (poly 0x07, init 0) over "123456789".
    EXPECT_EQ(crc8(QByteArrayView("123456789")), 0xF4);
    EXPECT_EQ(crc8(QByteArrayView("")), 0x00);
    // A reply's CRC starts where its request's ended: the same as one CRC over both.
    EXPECT_EQ(crc8(QByteArrayView("56789"), crc8(QByteArrayView("1234"))), 0xF4);
}

TEST(WireFrame, WorkedExamplesOfTheProtocolDocument) {
    // docs/protocol.md gives these bytes to whoever writes firmware for the unit.
    Frame rd = read(3, 0x0302);
    Frame value;
    value.kind = Kind::Value, value.seq = 3, value.value = 0x0320;
    EXPECT_EQ(encode(rd).toHex(' '), QByteArray("a5 13 03 02 00 ca"));
    EXPECT_EQ(encodeReply(value, rd).toHex(' '), QByteArray("a5 93 03 20 c1"));

    Frame write;
    write.kind = Kind::Write, write.seq = 4, write.address = 0x0610, write.value = 0x9C40;
    Frame ack;
    ack.kind = Kind::WriteAck, ack.seq = 4;
    EXPECT_EQ(encode(write).toHex(' '), QByteArray("a5 24 06 10 00 9c 40 69"));
    EXPECT_EQ(encodeReply(ack, write).toHex(' '), QByteArray("a5 a4 6d"));

    Frame command;
    command.kind = Kind::Command, command.seq = 5, command.address = 1024, command.sub = 4;
    command.text = "1145130828";
    EXPECT_EQ(encode(command).toHex(' '),
              QByteArray("a5 35 04 00 04 0a 31 31 34 35 31 33 30 38 32 38 1f"));
    Frame cmdAck;
    cmdAck.kind = Kind::CommandAck, cmdAck.seq = 5;
    EXPECT_EQ(encodeReply(cmdAck, command).toHex(' '), QByteArray("a5 b5 5f"));

    Frame unknown;
    unknown.kind = Kind::Error, unknown.seq = 6, unknown.error = 1;
    EXPECT_EQ(encodeReply(unknown, read(6, 0x9999)).toHex(' '), QByteArray("a5 f6 01 2b"));
}

TEST(WireFrame, EveryFormSurvivesEncodeDecodeWholeAndByteByByte) {
    for (const Exchange& x : sampleExchanges()) {
        for (const bool isReply : {false, true}) {
            const Frame& frame = isReply ? x.reply : x.request;
            const QByteArray bytes = isReply ? encodeReply(x.reply, x.request) : encode(x.request);
            const Frame* answers = isReply ? &x.request : nullptr;
            EXPECT_EQ(bytes.size(), frameSize(frame.kind, static_cast<int>(frame.text.size())));
            std::vector<Frame> whole;
            decodeAll(bytes, whole, answers);
            ASSERT_EQ(whole.size(), 1u) << describe(frame).toStdString();
            EXPECT_EQ(whole[0], frame);

            Decoder d;
            if (answers)
                d.expectReplyTo(*answers);
            Frame got;
            for (qsizetype i = 0; i < bytes.size(); ++i) {
                d.append(bytes.mid(i, 1));
                const auto s = d.next(got);
                EXPECT_EQ(s, i + 1 < bytes.size() ? Decoder::Status::NeedMore
                                                  : Decoder::Status::Frame);
            }
            EXPECT_EQ(got, frame);
            EXPECT_EQ(d.buffered(), 0);
        }
    }
}

TEST(WireFrame, EverySingleBitErrorIsCaught) {
    for (const Exchange& x : sampleExchanges()) {
        for (const bool isReply : {false, true}) {
            const QByteArray good = isReply ? encodeReply(x.reply, x.request) : encode(x.request);
            for (int bit = 0; bit < good.size() * 8; ++bit) {
                std::vector<Frame> frames;
                decodeAll(flipped(good, bit), frames, isReply ? &x.request : nullptr);
                EXPECT_TRUE(frames.empty())
                    << describe(isReply ? x.reply : x.request).toStdString() << " bit " << bit;
            }
        }
    }
}

TEST(WireFrame, AReplyChecksOnlyAsTheAnswerToItsOwnRequest) {
    const Frame asked = read(3, 0x0302);
    Frame value;
    value.kind = Kind::Value, value.seq = 3, value.value = 800;
    const QByteArray late = encodeReply(value, asked);

    // The same words asked with another sequence number.
    for (std::uint8_t seq = 0; seq < 16; ++seq) {
        if (seq == asked.seq)
            continue;
        Frame other = asked;
        other.seq = seq;
        std::vector<Frame> frames;
        decodeAll(late, frames, &other);
        EXPECT_TRUE(frames.empty()) << "seq " << int(seq);
    }
    // Every other unit address or sub-code that differs from the asked one in a single
    // byte, under the same sequence number (a difference within 8 bits is always
    // caught by the CRC): another sub-code of the same word, a unit address with
    // another high or low byte, e.g. 0102.00 (the serial number) for 0302.00.
    for (int byte = 0; byte < 3; ++byte) {
        for (int delta = 1; delta < 256; ++delta) {
            Frame other = asked;
            if (byte == 0)
                other.address = static_cast<std::uint16_t>(asked.address ^ (delta << 8));
            else if (byte == 1)
                other.address = static_cast<std::uint16_t>(asked.address ^ delta);
            else
                other.sub = static_cast<std::uint8_t>(asked.sub ^ delta);
            std::vector<Frame> frames;
            decodeAll(late, frames, &other);
            EXPECT_TRUE(frames.empty()) << describe(other).toStdString();
        }
    }
    // An acknowledgement of a write of one value is no acknowledgement of another.
    Frame write;
    write.kind = Kind::Write, write.seq = 4, write.address = 0x0302, write.value = 900;
    Frame ack;
    ack.kind = Kind::WriteAck, ack.seq = 4;
    const QByteArray ackBytes = encodeReply(ack, write);
    Frame otherValue = write;
    otherValue.value = 901;
    std::vector<Frame> frames;
    decodeAll(ackBytes, frames, &otherValue);
    EXPECT_TRUE(frames.empty());
    decodeAll(ackBytes, frames, &write);
    EXPECT_EQ(frames.size(), 1u);
}

TEST(WireFrame, EachSideTakesOnlyTheKindsMeantForIt) {
    const Frame asked = read(2, 0x0300);
    Frame f;
    // The unit's side: a reply kind cannot be checked there, so its header is bad.
    Frame ack;
    ack.kind = Kind::WriteAck, ack.seq = 2;
    Decoder unit;
    unit.append(encodeReply(ack, asked));
    EXPECT_EQ(unit.next(f), Decoder::Status::BadHeader);

    // The configurator's side: a request echoed back, or a reply kind that answers
    // another kind of request, is refused at the header, before any wait for the
    // rest of a frame of another length.
    Decoder link;
    link.expectReplyTo(asked);
    link.append(encode(asked));
    EXPECT_EQ(link.next(f), Decoder::Status::BadHeader);
    link.clear();
    link.append(encodeReply(ack, asked));
    EXPECT_EQ(link.next(f), Decoder::Status::BadHeader);
    // An error reply answers any request.
    Frame refused;
    refused.kind = Kind::Error, refused.seq = 2, refused.error = 2;
    link.clear();
    link.append(encodeReply(refused, asked));
    EXPECT_EQ(link.next(f), Decoder::Status::Frame);
    EXPECT_EQ(f, refused);
}

TEST(WireFrame, AWellFormedReplyWithAnotherSequenceNumberIsOtherReply) {
    // The CRC check is 8 bits, so a late reply to another request may check by
    // chance; its sequence number still tells it apart.
    const Frame asked = read(5, 0x0300);
    Frame stale;
    stale.kind = Kind::Value, stale.seq = 9, stale.value = 1;
    Decoder d;
    d.expectReplyTo(asked);
    d.append(encodeReply(stale, asked));
    Frame f;
    EXPECT_EQ(d.next(f), Decoder::Status::OtherReply);
    EXPECT_EQ(d.buffered(), 0) << "the whole stale frame is consumed";
}

TEST(WireFrame, DecoderResynchronisesBehindGarbageAndDamagedFrames) {
    const Frame asked = read(4, 0x0302);
    Frame a;
    a.kind = Kind::Value, a.seq = 4, a.value = 1234;
    Frame b;
    b.kind = Kind::Error, b.seq = 4, b.error = 2;
    const QByteArray damaged = flipped(encodeReply(a, asked), 3 * 8 + 4);
    const QByteArray stream =
        QByteArray("\x00\x13\xff", 3) + damaged + encodeReply(a, asked) + encodeReply(b, asked);
    std::vector<Frame> frames;
    const auto statuses = decodeAll(stream, frames, &asked);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], a);
    EXPECT_EQ(frames[1], b);
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), Decoder::Status::BadCrc), statuses.end());
}

TEST(WireFrame, CommandTextIsBoundedOnBothSides) {
    Frame c;
    c.kind = Kind::Command;
    c.text = QByteArray(40, 'x');
    const QByteArray bytes = encode(c);
    EXPECT_EQ(bytes.size(), frameSize(Kind::Command, kMaxText));

    QByteArray tooLong = bytes;
    tooLong[5] = static_cast<char>(kMaxText + 1);
    Decoder d;
    d.append(tooLong);
    Frame f;
    EXPECT_EQ(d.next(f), Decoder::Status::BadHeader);
}

TEST(WireFrame, UnknownKindIsAHeaderError) {
    Decoder d;
    d.append(QByteArray("\xA5\x51\x00", 3));
    Frame f;
    EXPECT_EQ(d.next(f), Decoder::Status::BadHeader);
    EXPECT_EQ(d.next(f), Decoder::Status::NeedMore);
}
