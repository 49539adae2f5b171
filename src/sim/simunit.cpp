#include "sim/simunit.h"

#include "core/prompter.h"
#include "core/textfile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <fcntl.h>
#include <numbers>
#include <unistd.h>

namespace hvc {

namespace {

constexpr std::uint16_t kReset[SimUnit::kIdentityWords] = {0x52, 0x45, 0x53, 0x45, 0x54};
constexpr std::uint16_t kDefaultsCode = 1024;
constexpr std::uint8_t kDefaultsSub = 4;
constexpr const char* kDefaultsText = "1145130828";
constexpr double kDeadband = 0.05;

constexpr HvcId kJoyValue[4] = {HvcId::HVC_JOY0_VALUE, HvcId::HVC_JOY1_VALUE, HvcId::HVC_JOY2_VALUE,
                                HvcId::HVC_JOY3_VALUE};
constexpr HvcId kJoyRed[4] = {HvcId::HVC_JOY0_RED, HvcId::HVC_JOY1_RED, HvcId::HVC_JOY2_RED,
                              HvcId::HVC_JOY3_RED};
constexpr HvcId kJoyConfig[4] = {HvcId::HVC_JOY_0_CONFIG, HvcId::HVC_JOY_1_CONFIG,
                                 HvcId::HVC_JOY_2_CONFIG, HvcId::HVC_JOY_3_CONFIG};
constexpr HvcId kMeasure[4] = {HvcId::HVC_I0_MEASURE_400, HvcId::HVC_I1_MEASURE_400,
                               HvcId::HVC_I2_MEASURE_400, HvcId::HVC_I3_MEASURE_400};
constexpr HvcId kIMin[8] = {HvcId::HVC_I0_MIN, HvcId::HVC_I1_MIN, HvcId::HVC_I2_MIN,
                            HvcId::HVC_I3_MIN, HvcId::HVC_I4_MIN, HvcId::HVC_I5_MIN,
                            HvcId::HVC_I6_MIN, HvcId::HVC_I7_MIN};
constexpr HvcId kIMax[8] = {HvcId::HVC_I0_MAX, HvcId::HVC_I1_MAX, HvcId::HVC_I2_MAX,
                            HvcId::HVC_I3_MAX, HvcId::HVC_I4_MAX, HvcId::HVC_I5_MAX,
                            HvcId::HVC_I6_MAX, HvcId::HVC_I7_MAX};
constexpr HvcId kRise[8] = {HvcId::HVC_RAMP_TRISE_0, HvcId::HVC_RAMP_TRISE_1,
                            HvcId::HVC_RAMP_TRISE_2, HvcId::HVC_RAMP_TRISE_3,
                            HvcId::HVC_RAMP_TRISE_4, HvcId::HVC_RAMP_TRISE_5,
                            HvcId::HVC_RAMP_TRISE_6, HvcId::HVC_RAMP_TRISE_7};
constexpr HvcId kFall[8] = {HvcId::HVC_RAMP_TFALL_0, HvcId::HVC_RAMP_TFALL_1,
                            HvcId::HVC_RAMP_TFALL_2, HvcId::HVC_RAMP_TFALL_3,
                            HvcId::HVC_RAMP_TFALL_4, HvcId::HVC_RAMP_TFALL_5,
                            HvcId::HVC_RAMP_TFALL_6, HvcId::HVC_RAMP_TFALL_7};
// The ramps are followed in steps of 5 ms; a gap longer than the longest ramps
// is not worth following, the valves have long caught up.
constexpr double kRampStep = 0.005;
constexpr double kRampHorizon = 12.0;
template <std::size_t N> int indexOf(const HvcId (&ids)[N], HvcId id) {
    for (std::size_t i = 0; i < N; ++i)
        if (ids[i] == id)
            return static_cast<int>(i);
    return -1;
}

std::uint64_t mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

std::uint16_t toWord(double v) {
    return static_cast<std::uint16_t>(static_cast<std::int32_t>(std::lround(v)) & 0xFFFF);
}

bool writeAll(int fd, const QByteArray& data) {
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n =
            ::write(fd, data.constData() + done, static_cast<size_t>(data.size() - done));
        if (n < 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

SimUnit::SimUnit() : m_poweredOn(Clock::now()) {}

void SimUnit::note(const QString& text) const {
    if (log)
        log(text);
}

Status SimUnit::load(const QString& ramlistPath) {
    ScriptedPrompter prompter;
    if (!m_catalogue.loadCatalogue(ramlistPath, prompter)) {
        return Status::failure(ramlistPath + QStringLiteral(": ") + prompter.texts().join(u' '));
    }
    m_words.clear();
    m_addressOfId.clear();
    for (int i = 1; i <= m_catalogue.varCount(); ++i) {
        const UnitVariable& r = m_catalogue[i];
        if (!m_words.contains(r.address))
            m_words.insert(r.address,
                           Word{i, r.pageMask == 0, static_cast<std::uint16_t>(r.defaultValue)});
        if (const auto id = Catalogue::idFromName(m_catalogue.identifierAt(i)))
            m_addressOfId.insert(static_cast<int>(*id), r.address);
    }
    return {};
}

void SimUnit::loadDefaults() {
    for (auto it = m_words.begin(); it != m_words.end(); ++it)
        it->value = static_cast<std::uint16_t>(m_catalogue[it->position].defaultValue);
}

std::int16_t SimUnit::eeprom(HvcId id) const {
    const auto at = m_addressOfId.constFind(static_cast<int>(id));
    if (at == m_addressOfId.constEnd())
        return 0;
    return static_cast<std::int16_t>(m_words.value(*at).value);
}

bool SimUnit::setEeprom(HvcId id, std::uint16_t value) {
    const auto at = m_addressOfId.constFind(static_cast<int>(id));
    if (at == m_addressOfId.constEnd())
        return false;
    m_words[*at].value = value;
    return true;
}

Status SimUnit::attachEeprom(const QString& path) {
    m_eepromPath.clear();
    // The image is replaced by renaming a new file over it: only a regular file or
    // a new path may be replaced that way. A symbolic link keeps pointing where it
    // did; its target is the image.
    QString target = path;
    if (const QFileInfo link(path); link.isSymLink()) {
        target = link.canonicalFilePath();
        if (target.isEmpty()) // a link to a file still to be made
            target = link.symLinkTarget();
    }
    if (const QFileInfo info(target); info.exists() || info.isSymLink()) {
        if (!info.isFile())
            return Status::failure(QStringLiteral("'%1' is not a regular file").arg(path));
        QByteArray bytes;
        if (Status read = readWholeFile(target, QStringLiteral("simulator EEPROM file"),
                                        kMaxEepromFileSize, bytes);
            !read)
            return read;
        int lineNo = 0;
        for (const QByteArray& raw : bytes.split('\n')) {
            ++lineNo;
            const QString line = QString::fromLatin1(raw).trimmed();
            if (line.isEmpty() || line.startsWith(u'#'))
                continue;
            const QStringList parts = line.split(u' ', Qt::SkipEmptyParts);
            std::int32_t address = 0;
            bool ok = parts.size() == 2 && parseAddressText(parts[0], address);
            const int value = ok ? parts[1].toInt(&ok) : 0;
            if (!ok || value < -32768 || value > 65535) {
                return Status::failure(
                    QStringLiteral("%1: line %2 is not 'ADDRESS.SUB VALUE'").arg(path).arg(lineNo));
            }
            auto it = m_words.find(address);
            if (it != m_words.end() && !it->ram)
                it->value = static_cast<std::uint16_t>(value & 0xFFFF);
        }
    }
    m_eepromPath = target;
    return saveEeprom();
}

// Written to a temporary file, flushed to disk and renamed over the old one, so
// that a crash leaves either the old or the new image, never a torn one.
Status SimUnit::saveEeprom() const {
    if (m_eepromPath.isEmpty())
        return {};
    QList<std::int32_t> addresses;
    for (auto it = m_words.cbegin(); it != m_words.cend(); ++it)
        if (!it->ram)
            addresses.append(it.key());
    std::sort(addresses.begin(), addresses.end());
    QByteArray text = "# hvc-sim EEPROM image: ADDRESS.SUB VALUE\n";
    for (const std::int32_t a : addresses)
        text += formatAddressText(a).toLatin1() + ' ' +
                QByteArray::number(static_cast<std::int16_t>(m_words.value(a).value)) + '\n';

    const QByteArray target = QFile::encodeName(m_eepromPath);
    const QByteArray temp = target + ".tmp";
    // Whatever a crash left under the temporary name goes first: O_EXCL then never
    // writes through a link or into a FIFO there.
    ::unlink(temp.constData());
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    bool ok = fd >= 0 && writeAll(fd, text) && ::fsync(fd) == 0;
    if (fd >= 0)
        ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.constData(), target.constData()) == 0;
    if (!ok) {
        Status failed = Status::failure(
            QStringLiteral("%1: %2").arg(m_eepromPath, QString::fromLocal8Bit(strerror(errno))));
        ::unlink(temp.constData());
        return failed;
    }
    const QByteArray dir = QFile::encodeName(QFileInfo(m_eepromPath).absolutePath());
    if (const int dfd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return {};
}

double SimUnit::noise(std::uint32_t key, double t) const {
    const auto tick = static_cast<std::uint64_t>(t * 10.0);
    const std::uint64_t h = mix(mix(m_seed ^ (static_cast<std::uint64_t>(key) << 32)) ^ tick);
    return static_cast<double>(h % 2001) / 1000.0 - 1.0;
}

// Joystick positions sweep from one end to the other, each at its own pace and,
// from the seed, its own phase.
double SimUnit::joystick(int section, double t) const {
    const int sections = std::clamp<int>(eeprom(HvcId::HVC_NUM_PROP_REG), 0, 4);
    if (section >= sections)
        return 0.0;
    const double phase =
        0.9 * section + static_cast<double>(mix(m_seed * 31ull + section) % 6283) / 1000.0;
    const double p = std::sin(2 * std::numbers::pi * t / (6.0 + 1.7 * section) + phase);
    return std::abs(p) < kDeadband ? 0.0 : p;
}

void SimUnit::advance(double t) {
    if (t < m_setpointTime)
        return;
    double from = std::max(m_setpointTime, t - kRampHorizon);
    if (from > m_setpointTime)
        for (int j = 0; j < 4; ++j)
            m_setpoint[j] = joystick(j, from);
    // Full scale per ramp time; a ramp of 0 follows at once.
    auto reach = [this](HvcId id, double step) {
        const double seconds = std::max<int>(0, eeprom(id)) / 1000.0;
        return seconds > 0 ? step / seconds : 2.0;
    };
    do {
        const double step = std::min(kRampStep, t - from);
        from += step;
        for (int j = 0; j < 4; ++j) {
            double& s = m_setpoint[j];
            const double target = joystick(j, from);
            const bool sideB = s < 0 || (s == 0 && target < 0);
            const int k = 2 * j + (sideB ? 1 : 0);
            // Across neutral the valve first falls to 0 on its side, then rises on the other.
            const double goal = (s > 0 && target < 0) || (s < 0 && target > 0) ? 0.0 : target;
            const bool rising = std::abs(goal) > std::abs(s);
            const double move = reach(rising ? kRise[k] : kFall[k], step);
            s = goal > s ? std::min(goal, s + move) : std::max(goal, s - move);
        }
    } while (from < t);
    m_setpointTime = t;
}

std::optional<std::uint16_t> SimUnit::animated(HvcId id, double t) const {
    if (int j = indexOf(kJoyValue, id); j >= 0)
        return toWord(std::abs(joystick(j, t)) * 1000);
    if (int j = indexOf(kJoyRed, id); j >= 0)
        return toWord(std::abs(joystick(j, t)) * 1000);
    if (int j = indexOf(kMeasure, id); j >= 0) {
        // The current follows the valve's set-point between the solenoid's limits.
        const double s = m_setpoint[j];
        if (s == 0.0)
            return std::uint16_t{0};
        const int k = 2 * j + (s < 0 ? 1 : 0);
        double lo = eeprom(kIMin[k]), hi = eeprom(kIMax[k]);
        if (hi < lo)
            std::swap(lo, hi);
        const double current =
            lo + std::abs(s) * (hi - lo) + 3.0 * noise(static_cast<std::uint32_t>(id), t);
        return toWord(std::clamp(current, lo, hi));
    }
    switch (id) {
    case HvcId::HVC_HSD_MONITOR: {
        std::uint16_t bits = 0;
        for (int j = 0; j < 4; ++j) {
            if (m_setpoint[j] > 0)
                bits |= static_cast<std::uint16_t>(1u << (2 * j));
            else if (m_setpoint[j] < 0)
                bits |= static_cast<std::uint16_t>(1u << (2 * j + 1));
        }
        return bits;
    }
    case HvcId::HVC_DIGIT_MONITOR: {
        std::uint32_t bits = 0;
        bool deflected = false;
        const int sections = std::clamp<int>(eeprom(HvcId::HVC_NUM_PROP_REG), 0, 4);
        for (int j = 0; j < 4; ++j) {
            const double p = joystick(j, t);
            deflected = deflected || p != 0.0;
            const auto cfg = static_cast<std::uint16_t>(eeprom(kJoyConfig[j]));
            if (j >= sections || (cfg & 0xF) < 2)
                continue;
            // A digital joystick drives its low input one way and its high input the other.
            const int low = (cfg >> 8) & 0xF, high = (cfg >> 12) & 0xF;
            if (p > 0 && low >= 1)
                bits |= 1u << low;
            if (p < 0 && high >= 1)
                bits |= 1u << high;
        }
        const auto commands1 = static_cast<std::uint16_t>(eeprom(HvcId::HVC_FLOAT_CONFIG_1));
        const auto commands2 = static_cast<std::uint16_t>(eeprom(HvcId::HVC_FLOAT_CONFIG_2));
        const int deadMan = commands1 & 0xF;
        if (deflected && deadMan >= 1)
            bits |= 1u << deadMan;
        // The second function switch and the float buttons are pressed now and then.
        const int switched[5] = {(commands1 >> 4) & 0xF, (commands1 >> 8) & 0xF,
                                 (commands1 >> 12) & 0xF, commands2 & 0xF, (commands2 >> 4) & 0xF};
        for (int n = 0; n < 5; ++n) {
            const double period = n == 0 ? 7.0 : 11.0 + 2.3 * n;
            const double phase = static_cast<double>(mix(m_seed * 131ull + n) % 1000) / 1000.0;
            const double at = std::fmod(t / period + phase, 1.0);
            if (switched[n] >= 1 && at < (n == 0 ? 0.5 : 0.15))
                bits |= 1u << switched[n];
        }
        return static_cast<std::uint16_t>(bits & 0x7FFF);
    }
    case HvcId::HVC_FLOAT_MONITOR:
        return std::uint16_t{0};
    case HvcId::HVC_VBB_400:
        // A battery that is charged and loaded in turn: 24.0 to 27.0 V.
        return toWord(std::clamp(2550 +
                                     110 * std::sin(2 * std::numbers::pi * t / 45.0 +
                                                    static_cast<double>(m_seed % 628) / 100) +
                                     25 * std::sin(2 * std::numbers::pi * t / 7.3) +
                                     8 * noise(static_cast<std::uint32_t>(id), t),
                                 2400.0, 2700.0));
    default:
        break;
    }
    return std::nullopt;
}

std::optional<std::uint16_t> SimUnit::read(std::int32_t address, Clock::time_point now) {
    const int unit = address >> 8, sub = address & 0xFF;
    if (sub == 0 && unit >= kIdentityFirst && unit < kIdentityFirst + 2 * kIdentityWords &&
        (unit - kIdentityFirst) % 2 == 0) {
        const int k = (unit - kIdentityFirst) / 2;
        return m_resetPending ? kReset[k] : kIdentity[k];
    }
    const auto it = m_words.constFind(address);
    if (it == m_words.constEnd())
        return std::nullopt;
    if (it->ram) {
        const double t = std::chrono::duration<double>(now - m_poweredOn).count();
        advance(t);
        if (const auto id = Catalogue::idFromName(m_catalogue.identifierAt(it->position))) {
            if (SimErrors::isErrorWord(*id))
                return m_errors.read(*id, std::clamp<int>(eeprom(HvcId::HVC_NUM_PROP_REG), 0, 4));
            if (const auto v = animated(*id, t))
                return v;
        }
    }
    return it->value;
}

std::optional<wire::ErrorCode> SimUnit::write(std::int32_t address, std::uint16_t value) {
    if ((address >> 8) >= kIdentityFirst && (address >> 8) < kIdentityFirst + 2 * kIdentityWords)
        return wire::ErrorCode::Refused;
    auto it = m_words.find(address);
    if (it == m_words.end())
        return wire::ErrorCode::UnknownAddress;
    if (const auto twist = m_writeTwists.constFind(address); twist != m_writeTwists.cend()) {
        if (!twist->has_value()) {
            note(QStringLiteral("write of %1 to %2 ignored").arg(value).arg(address, 6, 16));
            return std::nullopt;
        }
        value = static_cast<std::uint16_t>(value + **twist);
    }
    const std::uint16_t before = it->value;
    it->value = value;
    if (it->ram)
        if (const auto id = Catalogue::idFromName(m_catalogue.identifierAt(it->position)))
            if (SimErrors::isErrorWord(*id))
                m_errors.written(*id, value);
    if (!it->ram && !m_blockWrite) {
        if (const Status saved = saveEeprom(); !saved) {
            it->value = before;
            note(QStringLiteral("EEPROM not kept: ") + saved.text());
            return wire::ErrorCode::Refused;
        }
    }
    return std::nullopt;
}

std::optional<wire::ErrorCode> SimUnit::command(std::uint16_t code, std::uint8_t sub,
                                                const QByteArray& text) {
    if (code != kDefaultsCode || sub != kDefaultsSub || text != kDefaultsText)
        return wire::ErrorCode::Refused;
    loadDefaults();
    m_resetPending = true;
    if (const Status saved = saveEeprom(); !saved)
        note(QStringLiteral("EEPROM not kept: ") + saved.text());
    note(QStringLiteral("defaults loaded; identity reads RESET until a power cycle"));
    return std::nullopt;
}

void SimUnit::powerCycle(Clock::time_point now) {
    m_resetPending = false;
    m_poweredOn = now;
    std::fill(std::begin(m_setpoint), std::end(m_setpoint), 0.0);
    m_setpointTime = 0;
    m_errors.powerCycle();
    for (auto it = m_words.begin(); it != m_words.end(); ++it)
        if (it->ram)
            it->value = static_cast<std::uint16_t>(m_catalogue[it->position].defaultValue);
    note(QStringLiteral("power cycle"));
}

// Word after word in the order asked; the first word that cannot be served ends
// the block with an error that names it, and the words written before it stay.
wire::Frame SimUnit::serveBlock(const wire::Frame& request, Clock::time_point now) {
    wire::Frame reply;
    reply.seq = request.seq;
    const bool writing = request.kind == wire::Kind::WriteRanges;
    int k = 0;
    // A block write keeps its words in the EEPROM file once, after the last one,
    // and before it is acknowledged; if that fails, none of them is kept.
    const QHash<std::int32_t, Word> before = writing ? m_words : QHash<std::int32_t, Word>();
    m_blockWrite = writing;
    const auto keep = [&](std::optional<wire::ErrorCode> error) {
        m_blockWrite = false;
        if (!writing || k == 0)
            return error;
        if (const Status saved = saveEeprom(); !saved) {
            m_words = before;
            k = 0;
            note(QStringLiteral("EEPROM not kept: ") + saved.text());
            return std::optional<wire::ErrorCode>(wire::ErrorCode::Refused);
        }
        return error;
    };
    for (const wire::WordRange& range : request.ranges) {
        const int count = request.kind == wire::Kind::ReadList ? 1 : range.count;
        for (int i = 0; i < count; ++i, ++k) {
            const std::int32_t address =
                static_cast<std::int32_t>((range.address + 2 * i) & 0xFFFF) << 8 | range.sub;
            std::optional<wire::ErrorCode> error;
            if (writing) {
                error = write(address, request.words.value(k));
            } else if (const auto v = read(address, now)) {
                reply.words.append(*v);
            } else {
                error = wire::ErrorCode::UnknownAddress;
            }
            if (error) {
                error = keep(error);
                wire::Frame refused;
                refused.kind = wire::Kind::Error;
                refused.seq = request.seq;
                refused.error = static_cast<std::uint8_t>(*error);
                refused.index = static_cast<std::uint8_t>(k);
                return refused;
            }
        }
    }
    if (const auto error = keep(std::nullopt)) {
        wire::Frame refused;
        refused.kind = wire::Kind::Error;
        refused.seq = request.seq;
        refused.error = static_cast<std::uint8_t>(*error);
        return refused;
    }
    reply.kind = wire::replyKind(request.kind);
    reply.count = static_cast<std::uint8_t>(writing ? k : 0);
    return reply;
}

wire::Frame SimUnit::serve(const wire::Frame& request, Clock::time_point now) {
    wire::Frame reply;
    reply.seq = request.seq;
    std::optional<wire::ErrorCode> error;
    const std::int32_t address = static_cast<std::int32_t>(request.address) << 8 | request.sub;
    switch (request.kind) {
    case wire::Kind::Read:
        if (const auto v = read(address, now)) {
            reply.kind = wire::Kind::Value;
            reply.value = *v;
        } else {
            error = wire::ErrorCode::UnknownAddress;
        }
        break;
    case wire::Kind::Write:
        error = write(address, request.value);
        reply.kind = wire::Kind::WriteAck;
        break;
    case wire::Kind::Command:
        error = command(request.address, request.sub, request.text);
        reply.kind = wire::Kind::CommandAck;
        break;
    case wire::Kind::ReadRanges:
    case wire::Kind::ReadList:
    case wire::Kind::WriteRanges:
        if (m_singleWordOnly || !wire::withinLimits(request)) {
            error = wire::ErrorCode::BadRequest;
            break;
        }
        return serveBlock(request, now);
    default:
        error = wire::ErrorCode::BadRequest;
        break;
    }
    if (error) {
        reply.kind = wire::Kind::Error;
        reply.error = static_cast<std::uint8_t>(*error);
    }
    return reply;
}

} // namespace hvc
