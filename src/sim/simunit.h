#pragma once
// The memory of the simulated control unit, built from a variable map: EEPROM
// words (pageMask not 0) start at their defaults and can be kept in a file across
// runs; RAM words (pageMask 0) are animated like a running machine; the identity
// words and the load-defaults command behave as on a real unit.

#include "core/catalogue.h"
#include "core/status.h"
#include "link/wireframe.h"
#include "sim/simerrors.h"

#include <QHash>
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

namespace hvc {

class SimUnit {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::uint16_t kIdentityFirst = 0xFDEA;
    static constexpr int kIdentityWords = 5;
    // What the identity words spell while no power cycle is pending.
    static constexpr std::uint16_t kIdentity[kIdentityWords] = {0x48, 0x56, 0x43, 0x30, 0x31};

    SimUnit();

    // Loads the memory map; a failure with a message when the map cannot be read.
    Status load(const QString& ramlistPath);
    // Loads the EEPROM words kept in `path` (when it exists) and keeps every later
    // change there. `path` must be a regular file, a new path or a symbolic link
    // to either (the link stays, its target holds the words); a device node, a
    // FIFO or a folder is refused, as is a file that cannot be read.
    Status attachEeprom(const QString& path);
    void setFaultScenario(bool on) { m_errors.setScenario(on); }
    void setSeed(std::uint32_t seed) {
        m_seed = seed;
        m_errors.setSeed(seed);
    }
    // The error words: the faults scenario and the words held with --error.
    SimErrors& errors() { return m_errors; }
    // A unit that does not keep what it is sent, for tests and training: a write
    // to `address` is acknowledged and ignored, or stores the value plus `delta`.
    void ignoreWrites(std::int32_t address) { m_writeTwists.insert(address, std::nullopt); }
    void alterWrites(std::int32_t address, int delta) { m_writeTwists.insert(address, delta); }
    // A unit of the kind that knows only the one-word frames: it answers every
    // block request with a bad-request error.
    void setSingleWordOnly(bool on) { m_singleWordOnly = on; }
    // State changes ("defaults loaded", "power cycle", ...) for --verbose.
    std::function<void(const QString&)> log;

    // One request; fills `reply` (a Value, an acknowledgement or an Error frame).
    wire::Frame serve(const wire::Frame& request, Clock::time_point now);

    std::optional<std::uint16_t> read(std::int32_t address, Clock::time_point now);
    std::optional<wire::ErrorCode> write(std::int32_t address, std::uint16_t value);
    std::optional<wire::ErrorCode> command(std::uint16_t code, std::uint8_t sub,
                                           const QByteArray& text);
    void powerCycle(Clock::time_point now);

    bool resetPending() const { return m_resetPending; }
    const Catalogue& catalogue() const { return m_catalogue; }
    // The EEPROM word of an identifier, 0 when the map lacks it.
    std::int16_t eeprom(HvcId id) const;
    // Sets it (e.g. the serial number); false when the map lacks it.
    bool setEeprom(HvcId id, std::uint16_t value);

private:
    struct Word {
        int position = 0; // in the catalogue
        bool ram = false;
        std::uint16_t value = 0;
    };

    wire::Frame serveBlock(const wire::Frame& request, Clock::time_point now);
    std::optional<std::uint16_t> animated(HvcId id, double t) const;
    double joystick(int section, double t) const;
    // Moves the valves' set-points toward the joysticks, within each solenoid's
    // rise and fall ramps, up to time t.
    void advance(double t);
    double noise(std::uint32_t key, double t) const;
    Status saveEeprom() const;
    void loadDefaults();
    void note(const QString& text) const;

    Catalogue m_catalogue;
    QHash<std::int32_t, Word> m_words;
    QHash<int, std::int32_t> m_addressOfId;                // HvcId -> address
    QHash<std::int32_t, std::optional<int>> m_writeTwists; // none: ignored
    QString m_eepromPath;
    bool m_resetPending = false;
    bool m_singleWordOnly = false;
    bool m_blockWrite = false; // words of a block write: kept in the file once, at its end
    SimErrors m_errors;
    std::uint32_t m_seed = 1;
    Clock::time_point m_poweredOn;
    // Signed set-point of each section's valve (+: side A, -: side B, 1: full
    // current) and the time it was last brought up to.
    double m_setpoint[4] = {};
    double m_setpointTime = 0;
};

} // namespace hvc
