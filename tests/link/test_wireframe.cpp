// The wire codec: the documented frames, every form through the decoder whole and
// byte by byte, every single-bit error, a reply checked only against its own request,
// and what each side of the line refuses at the header.
#include "link/wireframe.h"

#include <gtest/gtest.h>

using namespace hvc::wire;
using Status = Decoder::Status;

namespace {

// A request and its reply; `hex` are the bytes docs/protocol.md gives for them.
struct Exchange {
    Frame request;
    Frame reply;
    const char* requestHex;
    const char* replyHex;
};

const Exchange kExchanges[] = {
    {{.kind = Kind::Read, .seq = 3, .address = 0x0302, .text = {}},
     {.kind = Kind::Value, .seq = 3, .value = 0x0320, .text = {}},
     "a5 13 03 02 00 ca",
     "a5 93 03 20 c1"},
    {{.kind = Kind::Write, .seq = 4, .address = 0x0610, .value = 0x9C40, .text = {}},
     {.kind = Kind::WriteAck, .seq = 4, .text = {}},
     "a5 24 06 10 00 9c 40 69",
     "a5 a4 6d"},
    {{.kind = Kind::Command, .seq = 5, .address = 1024, .sub = 4, .text = "1145130828"},
     {.kind = Kind::CommandAck, .seq = 5, .text = {}},
     "a5 35 04 00 04 0a 31 31 34 35 31 33 30 38 32 38 1f",
     "a5 b5 5f"},
    {{.kind = Kind::Read, .seq = 6, .address = 0x9999, .text = {}},
     {.kind = Kind::Error, .seq = 6, .error = 1, .text = {}},
     "a5 16 99 99 00 dc",
     "a5 f6 01 2b"},
    // Block frames: two ranges read, a range written, a list answered with an error.
    {{.kind = Kind::ReadRanges, .seq = 7, .text = {}, .ranges = {{0x0100, 0, 5}, {0x0200, 0, 1}}},
     {.kind = Kind::Words, .seq = 7, .text = {}, .words = {104, 10425, 12, 2024, 4102, 4}},
     "a5 47 02 01 00 00 05 02 00 00 01 d0 73",
     "a5 c7 06 00 68 28 b9 00 0c 07 e8 10 06 00 04 6b b0"},
    {{.kind = Kind::WriteRanges,
      .seq = 8,
      .text = {},
      .ranges = {{0x0300, 0, 2}},
      .words = {350, 850}},
     {.kind = Kind::BlockAck, .seq = 8, .text = {}, .count = 2},
     "a5 58 01 03 00 00 02 01 5e 03 52 36 b4",
     "a5 d8 02 f4 a0"},
    {{.kind = Kind::ReadList, .seq = 9, .text = {}, .ranges = {{0x2010, 0}, {0x9999, 0}}},
     {.kind = Kind::Error, .seq = 9, .error = 1, .text = {}, .index = 1},
     "a5 69 02 20 10 00 99 99 00 f0 e5",
     "a5 f9 01 01 52 c6"},
    {{.kind = Kind::ReadList, .seq = 0, .text = {}, .ranges = {{0xA5A5, 0xA5}}},
     {.kind = Kind::ListWords, .seq = 0, .text = {}, .words = {0xA5A5}},
     nullptr,
     nullptr},
    // Sync bytes inside the payload, the highest sequence number and a sub-code.
    {{.kind = Kind::Write, .seq = 15, .address = 0xA5A5, .sub = 5, .value = 0xA5A5, .text = {}},
     {.kind = Kind::WriteAck, .seq = 15, .text = {}},
     nullptr,
     nullptr},
};

// Every frame the decoder finds in `bytes`: requests, or the replies to `asked`.
std::vector<Frame> decodeAll(const QByteArray& bytes, const Frame* asked,
                             std::vector<Status>* statuses = nullptr) {
    Decoder d;
    if (asked)
        d.expectReplyTo(*asked);
    d.append(bytes);
    std::vector<Frame> frames;
    for (Frame f;;) {
        const Status s = d.next(f);
        if (s == Status::NeedMore)
            return frames;
        if (statuses)
            statuses->push_back(s);
        if (s == Status::Frame)
            frames.push_back(f);
    }
}

QByteArray flipped(QByteArray bytes, int bit) {
    bytes[bit / 8] = static_cast<char>(bytes[bit / 8] ^ (1 << (bit % 8)));
    return bytes;
}

} // namespace

TEST(WireFrame, CrcIsCrc8WithPolynomial07AndContinues) {
    EXPECT_EQ(crc8(QByteArrayView("123456789")), 0xF4); // the catalogued check value
    EXPECT_EQ(crc8(QByteArrayView("56789"), crc8(QByteArrayView("1234"))), 0xF4);
    EXPECT_EQ(crc16(QByteArrayView("123456789")), 0x29B1); // CRC-16/IBM-3740
    EXPECT_EQ(crc16(QByteArrayView("56789"), crc16(QByteArrayView("1234"))), 0x29B1);
}

TEST(WireFrame, DocumentedBytesAndEveryFormWholeByteByByteAndWithAnyBitFlipped) {
    for (const Exchange& x : kExchanges) {
        if (x.requestHex) {
            EXPECT_EQ(encode(x.request).toHex(' '), QByteArray(x.requestHex));
            EXPECT_EQ(encodeReply(x.reply, x.request).toHex(' '), QByteArray(x.replyHex));
        }
        for (const bool isReply : {false, true}) {
            const Frame& frame = isReply ? x.reply : x.request;
            const Frame* asked = isReply ? &x.request : nullptr;
            const QByteArray bytes = isReply ? encodeReply(x.reply, x.request) : encode(x.request);
            SCOPED_TRACE(describe(frame).toStdString());
            EXPECT_EQ(bytes.size(), encodedSize(frame, asked));
            EXPECT_EQ(decodeAll(bytes, asked), std::vector<Frame>{frame});

            Decoder d;
            if (asked)
                d.expectReplyTo(*asked);
            Frame got;
            for (qsizetype i = 0; i < bytes.size(); ++i) {
                d.append(bytes.mid(i, 1));
                EXPECT_EQ(d.next(got), i + 1 < bytes.size() ? Status::NeedMore : Status::Frame);
            }
            EXPECT_EQ(got, frame);
            EXPECT_EQ(d.buffered(), 0);

            for (int bit = 0; bit < bytes.size() * 8; ++bit)
                EXPECT_TRUE(decodeAll(flipped(bytes, bit), asked).empty()) << "bit " << bit;
        }
    }
}

TEST(WireFrame, AReplyChecksOnlyAsTheAnswerToItsOwnRequest) {
    const Frame asked{.kind = Kind::Read, .seq = 3, .address = 0x0302, .text = {}};
    const QByteArray late =
        encodeReply({.kind = Kind::Value, .seq = 3, .value = 800, .text = {}}, asked);
    // Another sequence number; another unit address or sub-code differing in one byte
    // (within 8 bits the CRC always tells), e.g. 0102.00 (the serial number) for 0302.00.
    std::vector<Frame> others;
    for (std::uint8_t seq = 0; seq < 16; ++seq)
        if (seq != asked.seq)
            others.push_back(Frame{.kind = Kind::Read, .seq = seq, .address = 0x0302, .text = {}});
    for (int delta = 1; delta < 256; ++delta) {
        Frame other = asked;
        other.address = static_cast<std::uint16_t>(asked.address ^ (delta << 8));
        others.push_back(other);
        other.address = static_cast<std::uint16_t>(asked.address ^ delta);
        others.push_back(other);
        other = asked;
        other.sub = static_cast<std::uint8_t>(delta);
        others.push_back(other);
    }
    for (const Frame& other : others)
        EXPECT_TRUE(decodeAll(late, &other).empty()) << describe(other).toStdString();

    // An acknowledgement of a write of one value is no acknowledgement of another.
    const Frame write{.kind = Kind::Write, .seq = 4, .address = 0x0302, .value = 900, .text = {}};
    const QByteArray ack = encodeReply({.kind = Kind::WriteAck, .seq = 4, .text = {}}, write);
    Frame otherValue = write;
    otherValue.value = 901;
    EXPECT_TRUE(decodeAll(ack, &otherValue).empty());
    EXPECT_EQ(decodeAll(ack, &write).size(), 1u);
}

TEST(WireFrame, EachSideRefusesWhatIsNotMeantForIt) {
    const Frame asked{.kind = Kind::Read, .seq = 2, .address = 0x0300, .text = {}};
    const Frame ack{.kind = Kind::WriteAck, .seq = 2, .text = {}};
    const Frame refused{.kind = Kind::Error, .seq = 2, .error = 2, .text = {}};
    QByteArray tooLong = encode({.kind = Kind::Command, .text = QByteArray(40, 'x')});
    EXPECT_EQ(tooLong.size(), frameSize(Kind::Command, kMaxText)) << "the text is cut";
    tooLong[5] = static_cast<char>(kMaxText + 1);
    const Frame block{.kind = Kind::ReadRanges, .seq = 2, .text = {}, .ranges = {{0x0300, 0, 2}}};
    Frame overLimit = block;
    overLimit.ranges = {{0x0300, 0, 100}, {0x0400, 0, 100}};
    const struct {
        const Frame* asked; // null: the unit's side, reading requests
        QByteArray bytes;
        Status status;
    } cases[] = {
        // A reply cannot be checked without its request.
        {nullptr, encodeReply(ack, asked), Status::BadHeader},
        {nullptr, QByteArray("\xA5\x51\x00", 3), Status::BadHeader}, // no such kind
        {nullptr, tooLong, Status::BadHeader},
        {nullptr, encode(overLimit), Status::BadHeader}, // checks, but more words than allowed
        // A block reply must carry the words its request asked for.
        {&block, encodeReply({.kind = Kind::Words, .seq = 2, .text = {}, .words = {1}}, block),
         Status::BadHeader},
        // The configurator's side: an echoed request, or a reply to another kind of
        // request, is refused at the header before any wait for a longer frame.
        {&asked, encode(asked), Status::BadHeader},
        {&asked, encodeReply(ack, asked), Status::BadHeader},
        {&asked, encodeReply(refused, asked), Status::Frame}, // an error answers any request
        // The CRC is 8 bits, so a late reply may check by chance; its number tells.
        {&asked, encodeReply({.kind = Kind::Value, .seq = 9, .value = 1, .text = {}}, asked),
         Status::OtherReply},
    };
    for (const auto& c : cases) {
        Decoder d;
        if (c.asked)
            d.expectReplyTo(*c.asked);
        d.append(c.bytes);
        Frame f;
        EXPECT_EQ(d.next(f), c.status) << c.bytes.toHex(' ').toStdString();
        if (c.status == Status::Frame) {
            EXPECT_EQ(f, refused);
        }
        if (c.status == Status::OtherReply) {
            EXPECT_EQ(d.buffered(), 0) << "the whole stale frame is consumed";
        }
    }
}

TEST(WireFrame, DecoderResynchronisesBehindGarbageAndDamagedFrames) {
    const Frame asked{.kind = Kind::Read, .seq = 4, .address = 0x0302, .text = {}};
    const Frame a{.kind = Kind::Value, .seq = 4, .value = 1234, .text = {}};
    const Frame b{.kind = Kind::Error, .seq = 4, .error = 2, .text = {}};
    const QByteArray stream = QByteArray("\x00\x13\xff", 3) +
                              flipped(encodeReply(a, asked), 3 * 8 + 4) + encodeReply(a, asked) +
                              encodeReply(b, asked);
    std::vector<Status> statuses;
    EXPECT_EQ(decodeAll(stream, &asked, &statuses), (std::vector<Frame>{a, b}));
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), Status::BadCrc), statuses.end());
}
