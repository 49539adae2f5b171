#include "link/wireframe.h"

#include <gtest/gtest.h>

using namespace hvc::wire;

namespace {

std::vector<Frame> sampleFrames() {
    std::vector<Frame> frames;
    Frame f;
    f.kind = Kind::Read, f.seq = 3, f.address = 0x0300, f.sub = 0;
    frames.push_back(f);
    f = {};
    f.kind = Kind::Write, f.seq = 15, f.address = 0xFDEA, f.sub = 0x05, f.value = 0x9C40;
    frames.push_back(f);
    f = {};
    f.kind = Kind::Command, f.seq = 0, f.address = 1024, f.sub = 4, f.text = "1145130828";
    frames.push_back(f);
    f = {};
    f.kind = Kind::Value, f.seq = 7, f.value = 0xA5A5; // sync bytes inside the payload
    frames.push_back(f);
    f = {};
    f.kind = Kind::WriteAck, f.seq = 1;
    frames.push_back(f);
    f = {};
    f.kind = Kind::CommandAck, f.seq = 2;
    frames.push_back(f);
    f = {};
    f.kind = Kind::Error, f.seq = 9, f.error = static_cast<std::uint8_t>(ErrorCode::UnknownAddress);
    frames.push_back(f);
    return frames;
}

std::vector<Decoder::Status> decodeAll(const QByteArray& bytes, std::vector<Frame>& frames) {
    Decoder d;
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

} // namespace

TEST(WireFrame, CrcIsCrc8WithPolynomial07) {
    // The catalogued check value of CRC-8 (poly 0x07, init 0) over "123456789".
    EXPECT_EQ(crc8(QByteArrayView("123456789")), 0xF4);
    EXPECT_EQ(crc8(QByteArrayView("")), 0x00);
}

TEST(WireFrame, WorkedExamplesOfTheProtocolDocument) {
    // docs/protocol.md gives these bytes to whoever writes firmware for the unit.
    Frame read;
    read.kind = Kind::Read, read.seq = 3, read.address = 0x0302;
    EXPECT_EQ(encode(read).toHex(' '), QByteArray("a5 13 03 02 00 ca"));
    Frame write;
    write.kind = Kind::Write, write.seq = 4, write.address = 0x0610, write.value = 0x9C40;
    EXPECT_EQ(encode(write).toHex(' '), QByteArray("a5 24 06 10 00 9c 40 69"));
    Frame command;
    command.kind = Kind::Command, command.seq = 5, command.address = 1024, command.sub = 4;
    command.text = "1145130828";
    EXPECT_EQ(encode(command).toHex(' '),
              QByteArray("a5 35 04 00 04 0a 31 31 34 35 31 33 30 38 32 38 1f"));
    Frame error;
    error.kind = Kind::Error, error.seq = 6, error.error = 1;
    EXPECT_EQ(encode(error).toHex(' '), QByteArray("a5 f6 01 6d"));
}

TEST(WireFrame, EveryFormSurvivesEncodeDecodeWholeAndByteByByte) {
    for (const Frame& frame : sampleFrames()) {
        const QByteArray bytes = encode(frame);
        EXPECT_EQ(bytes.size(), frameSize(frame.kind, static_cast<int>(frame.text.size())));
        std::vector<Frame> whole;
        decodeAll(bytes, whole);
        ASSERT_EQ(whole.size(), 1u);
        EXPECT_EQ(whole[0], frame);

        Decoder d;
        Frame got;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            d.append(bytes.mid(i, 1));
            const auto s = d.next(got);
            EXPECT_EQ(s, i + 1 < bytes.size() ? Decoder::Status::NeedMore : Decoder::Status::Frame);
        }
        EXPECT_EQ(got, frame);
        EXPECT_EQ(d.buffered(), 0);
    }
}

TEST(WireFrame, EverySingleBitErrorIsCaught) {
    for (const Frame& frame : sampleFrames()) {
        const QByteArray good = encode(frame);
        for (int bit = 0; bit < good.size() * 8; ++bit) {
            QByteArray bad = good;
            bad[bit / 8] = static_cast<char>(bad[bit / 8] ^ (1 << (bit % 8)));
            std::vector<Frame> frames;
            decodeAll(bad, frames);
            EXPECT_TRUE(frames.empty()) << describe(frame).toStdString() << " bit " << bit;
        }
    }
}

TEST(WireFrame, DecoderResynchronisesBehindGarbageAndDamagedFrames) {
    Frame a;
    a.kind = Kind::Value, a.seq = 4, a.value = 1234;
    Frame b;
    b.kind = Kind::WriteAck, b.seq = 5;
    QByteArray damaged = encode(a);
    damaged[3] = static_cast<char>(damaged[3] ^ 0x10);
    const QByteArray stream = QByteArray("\x00\x13\xff", 3) + damaged + encode(a) + encode(b);
    std::vector<Frame> frames;
    const auto statuses = decodeAll(stream, frames);
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
