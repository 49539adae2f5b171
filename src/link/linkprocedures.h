#pragma once
// The link procedures the rest of the program calls: open and close the device
// link, read and write one 16-bit word, send a command. The guarded procedures
// (readE2, readRam, writeE2, writeRam) do nothing and report success while the
// link is closed; the connection display is what keeps the user from a closed
// link. A failure carries the device link's reason as its detail.

#include "core/unitlink.h"
#include "link/porttable.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

namespace hvc {

class DeviceLinkMng;
class Prompter;

// A value crossing the link as 16 bits: the low 16 bits taken as a signed number
// (0x1FFFF -> -1, 0x8000 -> -32768, 40000 -> -25536).
constexpr std::int16_t reduceToWord(std::int32_t value) {
    const auto low = static_cast<std::uint16_t>(static_cast<std::uint32_t>(value) & 0xFFFFu);
    return static_cast<std::int16_t>(low >= 0x8000u ? static_cast<std::int32_t>(low) - 0x10000
                                                    : static_cast<std::int32_t>(low));
}

// "GDB:1,1000,#COM:" + n + ",9600,N,8,1"
QString connectionString(int comPort);

class LinkProcedures : public UnitLink {
public:
    LinkProcedures(PortTable ports, Prompter& prompter);
    ~LinkProcedures() override;

    void setPort(int comPort);
    int port() const;
    PortTable& ports();
    // The time-out of each exchange; without it the component's own default.
    void setTimeout(int ms);

    Status devOpen();
    void devClose();
    Status devRead(std::int32_t address, std::int32_t& value);
    Status devWrite(std::int32_t address, std::int32_t value);
    Status sendCommand(std::int32_t code, const QString& text) override;

    // Closes and reopens the link; on failure tells the user "Can't Open COM n" with
    // the reason (port busy, no such device, ...) as the detail.
    Status openLink() override;
    void closeLink() override;
    bool isLinkOpen() const override { return m_open; }
    Status readE2(std::int32_t address, std::int32_t& value) override;
    Status readRam(std::int32_t address, std::int32_t& value) override;
    Status writeE2(std::int32_t address, std::int32_t value) override;
    Status writeRam(std::int32_t address, std::int32_t value) override;
    Status readE2Words(const QList<std::int32_t>& addresses, QList<std::int32_t>& values) override;
    Status readRamWords(const QList<std::int32_t>& addresses, QList<std::int32_t>& values) override;
    Status writeE2Words(const QList<std::int32_t>& addresses, const QList<std::int32_t>& values,
                        int& written) override;
    // Requests sent again after a garbled or missing reply, over every opening.
    int retries() const;
    // Exchanges (requests sent, retries included), and those in block frames.
    int exchanges() const;
    int blockExchanges() const;
    // Bytes of the requests sent and the replies taken, over every opening.
    long wireBytes() const;
    // Block frames on (the default) or off, from the next opening on.
    void setBlockFrames(bool on) { m_blockFrames = on; }

private:
    PortTable m_ports;
    Prompter& m_prompter;
    int m_port = 1;
    std::optional<int> m_timeoutMs;
    std::unique_ptr<DeviceLinkMng> m_link;
    bool m_open = false;
    int m_closedRetries = 0;
    int m_closedExchanges = 0;
    int m_closedBlockExchanges = 0;
    long m_closedWireBytes = 0;
    bool m_blockFrames = true;
    Status devReadWords(const QList<std::int32_t>& addresses, QList<std::int32_t>& values);
};

} // namespace hvc
