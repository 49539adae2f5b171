#pragma once
// How the configuration page reads a section's joystick input: the caption of
// its input configuration word and the catalogue position of its joystick model.

#include "core/joycatalogue.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>

namespace hvc {

// Position findJoyId gives before the search: no catalogue record found yet.
inline constexpr int kJoyNotFound = 100;

// Caption of an input configuration word: "" (no input), an axis ("Y axis") or the
// two digital inputs ("DI_03-OFF"). Axis codes without a text keep `current`.
QString pinLabelText(std::uint16_t word, const QString& current);

// Catalogue position of the joystick of each input, by identifier, over any table:
// `count` records whose identifiers `joyIdAt` gives. An identifier no record has
// gives the not-used record's position, or 0 when there is none.
std::array<int, 4> findJoyId(int count, const std::function<std::int32_t(int)>& joyIdAt,
                             std::int32_t notUsedJoyId, const std::array<std::int32_t, 4>& ids);

inline std::array<int, 4> findJoyId(const JoyCatalogue& catalogue,
                                    const std::array<std::int32_t, 4>& ids) {
    return findJoyId(
        catalogue.joyCount(), [&catalogue](int p) { return catalogue.joyList(p).joyId; },
        catalogue.notUsedJoyId(), ids);
}

} // namespace hvc
