// Feeds arbitrary text to the formula evaluator: it must return a number or NaN,
// never crash, hang or run into undefined behaviour, and give what the
// group-by-group rewriting evaluator gives (on short texts: that one is slow).
#include "core/stringeval.h"
#include "referenceeval.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::int32_t x = 0;
    if (size >= 4) {
        std::memcpy(&x, data, 4);
        data += 4;
        size -= 4;
    }
    const QString formula =
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const double v = hvc::evalFormula(formula, x, x, -(x / 2));
    if (!std::isnan(v) && !std::isfinite(v))
        std::abort(); // infinities must come back as NaN
    if (formula.size() <= 256) {
        const double expected = hvc::reference::evalFormula(formula, x, x, -(x / 2));
        if (!(v == expected || (std::isnan(v) && std::isnan(expected))))
            std::abort();
    }
    (void)hvc::formulaLimitFault(formula);
    (void)hvc::toInteger(v);
    (void)hvc::selectPart(formula, static_cast<int>(x % 5));
    return 0;
}
