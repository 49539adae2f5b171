#pragma once
// What the program holds of the unit's parameter set: the records, the joystick
// catalogue, the document flags, the words last seen in the unit, the file
// information fields and the keys each page offers the transfers.

#include "core/catalogue.h"
#include "core/documentstate.h"
#include "core/infoblock.h"
#include "core/joycatalogue.h"
#include "core/unitwords.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace hvc {

// The keys and variable counter every page offers the transfers.
struct PageKeys {
    std::uint16_t readKey = 0;
    std::uint16_t writeKey = 0;
    std::int16_t pageVarNum = 0;
};

enum class Page { Config, Monitor, Diagnostic, Debugger, Info };
inline constexpr int kPageCount = 5;

class UnitDocument {
public:
    UnitDocument();

    Catalogue catalogue;
    // Filled when the configuration page loads; read by the pages that show joysticks.
    JoyCatalogue joysticks;
    DocumentState flags;
    // What the unit holds as far as the program has seen it (the review before a write).
    UnitWords unitWords;
    InfoFields info;

    std::array<PageKeys, kPageCount> pages;
    PageKeys& page(Page p) { return pages[static_cast<std::size_t>(p)]; }
};

} // namespace hvc
