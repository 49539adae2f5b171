#include "core/joyinputs.h"

namespace hvc {

namespace {

// Bits 4..7 of an analog input; codes 8..15 have no text.
const char* const kAxisTexts[] = {"X axis", "Y axis", "n.a.",   "n.a",
                                  "W axis", "Z axis", "J axis", "n.a."};

QString digitalInputText(unsigned number) {
    if (number == 0)
        return QStringLiteral("OFF");
    return QStringLiteral("DI_%1").arg(number, 2, 10, QLatin1Char('0'));
}

} // namespace

QString pinLabelText(std::uint16_t word, const QString& current) {
    const unsigned kind = word & 0xFu;
    const unsigned axis = (word >> 4) & 0xFu;
    if (kind == 0)
        return {};
    if (kind == 1)
        return axis < std::size(kAxisTexts) ? QString::fromLatin1(kAxisTexts[axis]) : current;
    return digitalInputText((word >> 8) & 0xFu) + QLatin1Char('-') +
           digitalInputText((word >> 12) & 0xFu);
}

std::array<int, 4> findJoyId(int count, const std::function<std::int32_t(int)>& joyIdAt,
                             std::int32_t notUsedJoyId, const std::array<std::int32_t, 4>& ids) {
    std::array<int, 4> positions;
    positions.fill(kJoyNotFound);
    int fallback = 0;
    for (int p = 0; p < count; ++p) {
        const std::int32_t id = joyIdAt(p);
        for (size_t k = 0; k < ids.size(); ++k)
            if (id == ids[k])
                positions[k] = p;
        if (id == notUsedJoyId)
            fallback = p;
    }
    for (int& p : positions)
        if (p == kJoyNotFound)
            p = fallback;
    return positions;
}

} // namespace hvc
