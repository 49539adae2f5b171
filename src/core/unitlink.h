#pragma once
// What the core needs of the device link: open and close it, read and write one
// 16-bit word of the unit's EEPROM or RAM, send a command. The serial
// implementation lives in src/link.

#include "core/status.h"

#include <QList>
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

    // Several words in as few exchanges as the link allows (here: one each).
    // `values` gets one word per address, in order; after a failure, the words
    // read before the one that failed, which the failure names.
    virtual Status readE2Words(const QList<std::int32_t>& addresses, QList<std::int32_t>& values) {
        return readEach(addresses, values, false);
    }
    virtual Status readRamWords(const QList<std::int32_t>& addresses, QList<std::int32_t>& values) {
        return readEach(addresses, values, true);
    }
    // Writes EEPROM words in the order given; `written` counts those the unit took.
    virtual Status writeE2Words(const QList<std::int32_t>& addresses,
                                const QList<std::int32_t>& values, int& written) {
        for (written = 0; written < addresses.size(); ++written)
            if (Status status = writeE2(addresses[written], values.value(written)); !status)
                return status;
        return {};
    }

private:
    Status readEach(const QList<std::int32_t>& addresses, QList<std::int32_t>& values, bool ram) {
        values.clear();
        for (const std::int32_t address : addresses) {
            std::int32_t value = 0;
            Status status = ram ? readRam(address, value) : readE2(address, value);
            if (!status)
                return status;
            values.append(value);
        }
        return {};
    }
};

} // namespace hvc
