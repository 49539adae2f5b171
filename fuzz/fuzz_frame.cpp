// libFuzzer target for the wire-protocol frame decoder: arbitrary bytes, delivered
// in chunks whose size the first input byte picks. Every frame the decoder hands
// out must encode back to a frame that decodes to itself, and the decoder must
// never hold more than one unfinished frame.

#include "link/wireframe.h"

#include <cstddef>
#include <cstdint>

using namespace hvc::wire;

namespace {

constexpr int kLongestFrame = 7 + kMaxText;

void check(bool ok) {
    if (!ok)
        __builtin_trap();
}

void drain(Decoder& decoder) {
    for (;;) {
        Frame frame;
        const Decoder::Status status = decoder.next(frame);
        if (status == Decoder::Status::NeedMore)
            break;
        if (status != Decoder::Status::Frame)
            continue;
        check(frame.seq < 16 && frame.text.size() <= kMaxText);
        const QByteArray bytes = encode(frame);
        check(bytes.size() == frameSize(frame.kind, static_cast<int>(frame.text.size())));
        Decoder again;
        again.append(bytes);
        Frame copy;
        check(again.next(copy) == Decoder::Status::Frame && copy == frame);
        check(again.buffered() == 0);
    }
    check(decoder.buffered() < kLongestFrame);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::size_t chunk = data[0] % 16 + 1;
    Decoder decoder;
    for (std::size_t at = 1; at < size; at += chunk) {
        const std::size_t n = std::min(chunk, size - at);
        decoder.append(
            QByteArrayView(reinterpret_cast<const char*>(data + at), static_cast<qsizetype>(n)));
        drain(decoder);
    }
    return 0;
}
