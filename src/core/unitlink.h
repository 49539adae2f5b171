#pragma once
// What the core needs of the device link: open and close it, read and write one
// 16-bit word of the unit's EEPROM or RAM, send a command. The serial
// implementation lives in src/link.

#include "core/status.h"

#include <QString>
#include <cstdint>

namespace hvc {

class UnitLink {
public:
    virtual ~UnitLink() = default;
    virtual Status openLink() = 0;
    virtual void closeLink() = 0;
    virtual bool isLinkOpen() const = 0;
    virtual Status readE2(std::int32_t address, std::int32_t& value) = 0;
    virtual Status readRam(std::int32_t address, std::int32_t& value) = 0;
    virtual Status writeE2(std::int32_t address, std::int32_t value) = 0;
    virtual Status writeRam(std::int32_t address, std::int32_t value) = 0;
    virtual Status sendCommand(std::int32_t code, const QString& text) = 0;
};

} // namespace hvc
