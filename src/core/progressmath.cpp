#include "core/progressmath.h"

#include <algorithm>

namespace hvc {

int percentAt(int step, int steps) {
    if (steps <= 0)
        return 100;
    const int scaled = step * 100;
    int q = scaled / steps;
    const int twiceRest = 2 * (scaled % steps);
    if (twiceRest > steps || (twiceRest == steps && q % 2 == 1))
        ++q;
    return std::min(100, q);
}

} // namespace hvc
