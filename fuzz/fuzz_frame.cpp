// libFuzzer target for the wire-protocol frame decoder: arbitrary bytes, delivered
// in chunks whose size the first input byte picks. The first byte also picks the
// side: the unit's (requests) or the configurator's, reading the replies to a
// request taken from the next five bytes (a one-word request, or a block request
// of one to three ranges). Every frame the decoder hands out must encode back to a
// frame that decodes to itself; a block request must keep the limits; on the
// configurator's side a frame must answer the request (its kind, sequence number
// and, for a block, its word count), and must not check as the answer to the same
// request with another sequence number or with one word more. The decoder must
// never hold more than one unfinished frame.

#include "link/wireframe.h"

#include <cstddef>
#include <cstdint>

using namespace hvc::wire;

namespace {

void check(bool ok) {
    if (!ok)
        __builtin_trap();
}

bool decodesTo(const QByteArray& bytes, const Frame* request, const Frame& expected) {
    Decoder again;
    if (request)
        again.expectReplyTo(*request);
    again.append(bytes);
    Frame copy;
    return again.next(copy) == Decoder::Status::Frame && copy == expected && again.buffered() == 0;
}

void drain(Decoder& decoder, const Frame* request) {
    for (;;) {
        Frame frame;
        const Decoder::Status status = decoder.next(frame);
        if (status == Decoder::Status::NeedMore)
            break;
        if (status == Decoder::Status::OtherReply)
            check(request && frame.seq != request->seq);
        if (status != Decoder::Status::Frame)
            continue;
        check(frame.seq < 16 && frame.text.size() <= kMaxText);
        if (!request) {
            check(isRequest(frame.kind));
            check(!isBlockKind(frame.kind) || withinLimits(frame));
            const QByteArray bytes = encode(frame);
            check(bytes.size() == encodedSize(frame) && bytes.size() <= kMaxFrame);
            check(decodesTo(bytes, nullptr, frame));
            continue;
        }
        check(frame.seq == request->seq);
        check(frame.kind == Kind::Error || frame.kind == replyKind(request->kind));
        if (frame.kind == Kind::Words || frame.kind == Kind::ListWords)
            check(frame.words.size() == blockWords(*request));
        if (frame.kind == Kind::BlockAck)
            check(frame.count == blockWords(*request));
        const QByteArray bytes = encodeReply(frame, *request);
        check(bytes.size() == encodedSize(frame, request));
        check(decodesTo(bytes, request, frame));
        Frame later = *request;
        later.seq = static_cast<std::uint8_t>((request->seq + 1) & 0x0F);
        check(!decodesTo(bytes, &later, frame));
        if (isBlockKind(request->kind) && frame.kind != Kind::Error) {
            Frame longer = *request;
            longer.ranges.last().count = static_cast<std::uint8_t>(longer.ranges.last().count + 1);
            longer.words.append(0);
            check(!decodesTo(bytes, &longer, frame));
        }
    }
    check(decoder.buffered() < kMaxFrame);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::size_t chunk = data[0] % 16 + 1;
    std::size_t at = 1;
    Frame request;
    const bool replies = (data[0] & 0x10) != 0;
    if (replies) {
        if (size < 6)
            return 0;
        static constexpr Kind kRequests[] = {Kind::Read,       Kind::Write,       Kind::Command,
                                             Kind::ReadRanges, Kind::WriteRanges, Kind::ReadList};
        request.kind = kRequests[data[1] % 6];
        request.seq = data[1] >> 4;
        request.address = static_cast<std::uint16_t>(data[2] << 8 | data[3]);
        request.sub = data[4];
        request.value = static_cast<std::uint16_t>(data[5] << 8 | data[1]);
        if (isBlockKind(request.kind)) {
            for (int r = 0; r <= data[5] % 3; ++r) {
                const auto count = static_cast<std::uint8_t>(
                    request.kind == Kind::ReadList ? 1 : 1 + (data[5] >> (2 * r + 2)) % 4);
                request.ranges.append(
                    {.address = static_cast<std::uint16_t>(request.address + 0x40 * r),
                     .sub = request.sub,
                     .count = count});
                if (request.kind == Kind::WriteRanges)
                    for (int k = 0; k < count; ++k)
                        request.words.append(static_cast<std::uint16_t>(request.value + k));
            }
        }
        at = 6;
    }
    Decoder decoder;
    if (replies)
        decoder.expectReplyTo(request);
    for (; at < size; at += chunk) {
        const std::size_t n = std::min(chunk, size - at);
        decoder.append(
            QByteArrayView(reinterpret_cast<const char*>(data + at), static_cast<qsizetype>(n)));
        drain(decoder, replies ? &request : nullptr);
    }
    return 0;
}
