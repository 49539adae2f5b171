#pragma once
// What the core needs of the device link: the guarded procedures that read and
// write one 16-bit word and send a command. The serial implementation lives in
// src/link; status texts are "" on success and "FAILED!" on failure.

#include <QString>
#include <cstdint>

namespace hvc {

inline constexpr const char* kFailed = "FAILED!";

class UnitLink {
public:
    virtual ~UnitLink() = default;
    virtual bool OpenLink() = 0;
    virtual void CloseLink() = 0;
    virtual QString LinkState() const = 0; // "Open" or "Close"
    virtual QString ReadE2(std::int32_t address, std::int32_t& value) = 0;
    virtual QString ReadRAM(std::int32_t address, std::int32_t& value) = 0;
    virtual QString WriteE2(std::int32_t address, std::int32_t value) = 0;
    virtual QString WriteRAM(std::int32_t address, std::int32_t value) = 0;
    // 0 on success, 1 on failure.
    virtual std::int16_t DevCommand(std::int32_t code, const QString& text) = 0;
};

} // namespace hvc
