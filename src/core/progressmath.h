#pragma once
// The percentage every progress bar shows: transfers, the monitor's and the
// diagnostic page's passes.

namespace hvc {

// step x 100 / steps rounded to the nearest whole number, an exact half to the
// even one, at most 100; 100 when there are no steps.
int percentAt(int step, int steps);

} // namespace hvc
