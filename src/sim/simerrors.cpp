#include "sim/simerrors.h"

#include "core/unitvariable.h"

#include <array>
#include <bit>
#include <random>

namespace hvc {

namespace {

constexpr std::array<HvcId, 14> kErrorWords = {
    HvcId::HVC_ERROR_CODE,   HvcId::HVC_VBB_ERROR,      HvcId::HVC_HSD_ERROR,
    HvcId::HVC_CHD_ERR_CODE, HvcId::HVC_CAN_ERROR_CODE, HvcId::HVC_SETPOINT_ERROR,
    HvcId::HVC_ERROR_SEC_1,  HvcId::HVC_ERROR_SEC_2,    HvcId::HVC_ERROR_SEC_3,
    HvcId::HVC_ERROR_SEC_4,  HvcId::HVC_SP0_ERROR,      HvcId::HVC_SP1_ERROR,
    HvcId::HVC_SP2_ERROR,    HvcId::HVC_SP3_ERROR,
};
constexpr std::array<HvcId, 4> kSectionWords = {HvcId::HVC_ERROR_SEC_1, HvcId::HVC_ERROR_SEC_2,
                                                HvcId::HVC_ERROR_SEC_3, HvcId::HVC_ERROR_SEC_4};
constexpr std::array<HvcId, 4> kSetPointWords = {HvcId::HVC_SP0_ERROR, HvcId::HVC_SP1_ERROR,
                                                 HvcId::HVC_SP2_ERROR, HvcId::HVC_SP3_ERROR};

// The scenario's sources with their summary bit in HVC_ERROR_CODE.
struct Source {
    HvcId word;
    int summaryBit;
};
constexpr std::array<Source, 7> kSources = {{
    {HvcId::HVC_VBB_ERROR, 0},
    {HvcId::HVC_HSD_ERROR, 1},
    {HvcId::HVC_ERROR_SEC_1, 2},
    {HvcId::HVC_ERROR_SEC_2, 3},
    {HvcId::HVC_ERROR_SEC_3, 4},
    {HvcId::HVC_ERROR_SEC_4, 5},
    {HvcId::HVC_CAN_ERROR_CODE, 7},
}};
constexpr std::uint16_t kSetPointBit = 0x0080;

template <std::size_t N> int indexOf(const std::array<HvcId, N>& ids, HvcId id) {
    for (std::size_t i = 0; i < N; ++i)
        if (ids[i] == id)
            return static_cast<int>(i);
    return -1;
}

// One cycle of the story: the order of the sources and each one's bit. The
// generators are fully specified by the standard, so a seed tells the same
// story on every build.
struct CyclePlan {
    std::array<int, kSources.size()> order{};          // order[j]: the source of slot j
    std::array<std::uint32_t, kSources.size()> draw{}; // per source: picks its bit
};

CyclePlan planCycle(std::uint32_t seed, std::int64_t cycle) {
    const auto c = static_cast<std::uint64_t>(cycle);
    std::seed_seq seq{seed, static_cast<std::uint32_t>(c), static_cast<std::uint32_t>(c >> 32)};
    std::mt19937 gen(seq);
    CyclePlan plan;
    for (std::size_t i = 0; i < plan.order.size(); ++i)
        plan.order[i] = static_cast<int>(i);
    for (std::size_t i = plan.order.size() - 1; i > 0; --i)
        std::swap(plan.order[i], plan.order[gen() % (i + 1)]);
    for (std::uint32_t& d : plan.draw)
        d = gen();
    return plan;
}

// The bits a source may raise on a unit with `sections` sections.
std::uint16_t candidateBits(int source, int sections) {
    const HvcId word = kSources[static_cast<std::size_t>(source)].word;
    if (const int s = indexOf(kSectionWords, word); s >= 0 && s >= sections)
        return 0;
    std::uint16_t bits = SimErrors::sourceBits(word);
    if (word == HvcId::HVC_HSD_ERROR) // two outputs per configured section
        bits &= static_cast<std::uint16_t>((1u << (2 * sections)) - 1);
    return bits;
}

std::uint16_t pickBit(std::uint16_t bits, std::uint32_t draw) {
    const int count = std::popcount(bits);
    if (count == 0)
        return 0;
    int nth = static_cast<int>(draw % static_cast<std::uint32_t>(count));
    for (int b = 0; b < 16; ++b) {
        if ((bits & (1u << b)) == 0)
            continue;
        if (nth-- == 0)
            return static_cast<std::uint16_t>(1u << b);
    }
    return 0;
}

} // namespace

bool SimErrors::isErrorWord(HvcId id) {
    return indexOf(kErrorWords, id) >= 0;
}

std::uint16_t SimErrors::sourceBits(HvcId id) {
    switch (id) {
    case HvcId::HVC_VBB_ERROR:
        return 0x000F;         // low, high, dip, sensor supply
    case HvcId::HVC_HSD_ERROR: // short circuit of output 1A..4B
    case HvcId::HVC_ERROR_SEC_1:
    case HvcId::HVC_ERROR_SEC_2:
    case HvcId::HVC_ERROR_SEC_3:
    case HvcId::HVC_ERROR_SEC_4:
        return 0x00FF;
    case HvcId::HVC_CAN_ERROR_CODE:
        return 0x0001; // bus off
    default:
        return 0;
    }
}

void SimErrors::powerCycle() {
    m_step = 0;
    m_readThisStep = 0;
    m_written.clear();
}

std::uint16_t SimErrors::read(HvcId id, int sections) {
    const int index = indexOf(kErrorWords, id);
    if (index >= 0) {
        const std::uint32_t bit = 1u << index;
        if ((m_readThisStep & bit) != 0) {
            ++m_step;
            m_readThisStep = 0;
        }
        m_readThisStep |= bit;
    }
    return value(id, m_step, sections);
}

std::uint16_t SimErrors::value(HvcId id, std::int64_t step, int sections) const {
    const auto key = static_cast<int>(id);
    if (const auto it = m_written.constFind(key); it != m_written.constEnd())
        return *it;
    if (const auto it = m_held.constFind(key); it != m_held.constEnd())
        return *it;
    switch (id) {
    case HvcId::HVC_ERROR_CODE: {
        std::uint16_t word = kReadyBit;
        for (const Source& source : kSources)
            if (value(source.word, step, sections) != 0)
                word |= static_cast<std::uint16_t>(1u << source.summaryBit);
        return word;
    }
    case HvcId::HVC_SETPOINT_ERROR: {
        std::uint16_t word = 0;
        for (std::size_t n = 0; n < kSetPointWords.size(); ++n)
            if (value(kSetPointWords[n], step, sections) != 0)
                word |= static_cast<std::uint16_t>(1u << n);
        return word;
    }
    default:
        break;
    }
    if (const int n = indexOf(kSetPointWords, id); n >= 0)
        return (value(kSectionWords[static_cast<std::size_t>(n)], step, sections) & kSetPointBit)
                   ? 1
                   : 0;
    if (!m_scenario || sourceBits(id) == 0 || step < 0)
        return 0;
    const std::int64_t at = step % kCycleSteps;
    const CyclePlan plan = planCycle(m_seed, step / kCycleSteps);
    for (std::size_t slot = 0; slot < plan.order.size(); ++slot) {
        const int source = plan.order[slot];
        if (kSources[static_cast<std::size_t>(source)].word != id)
            continue;
        const std::int64_t from = kQuietSteps + kSlotSteps * static_cast<std::int64_t>(slot);
        if (at < from || at >= from + kActiveSteps)
            return 0;
        return pickBit(candidateBits(source, sections),
                       plan.draw[static_cast<std::size_t>(source)]);
    }
    return 0;
}

std::uint16_t SimErrors::scenarioWord(HvcId id, std::int64_t step, int sections) const {
    SimErrors plain;
    plain.m_scenario = m_scenario;
    plain.m_seed = m_seed;
    return plain.value(id, step, sections);
}

Status parseErrorHold(const Catalogue& catalogue, const QString& text, HvcId& id,
                      std::uint16_t& word) {
    const qsizetype eq = text.indexOf(u'=');
    if (eq <= 0) {
        return Status::failure(QStringLiteral("--error takes NAME=WORD, not '%1'").arg(text));
    }
    const QString name = text.left(eq).trimmed();
    const QString number = text.mid(eq + 1).trimmed();
    const int position = catalogue.findByName(name);
    const auto found =
        position > 0 ? Catalogue::idFromName(catalogue.identifierAt(position)) : std::nullopt;
    if (!found || !SimErrors::isErrorWord(*found)) {
        return Status::failure(
            QStringLiteral("--error: '%1' is not an error word of the map (such as "
                           "HVC_ERROR_SEC_2 or 2012.00)")
                .arg(name));
    }
    bool ok = false;
    const qulonglong value = number.toULongLong(&ok, 0);
    if (!ok || value > 0xFFFF) {
        return Status::failure(
            QStringLiteral("--error: WORD must be a whole number from 0 to 65535 (0x.. for "
                           "hex), not '%1'")
                .arg(number));
    }
    id = *found;
    word = static_cast<std::uint16_t>(value);
    return {};
}

} // namespace hvc
