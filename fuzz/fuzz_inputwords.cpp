// Feeds arbitrary 16-bit words into the records the joystick and digital settings
// read, loads them into the dialog's model, makes a fuzzer-chosen set of list
// changes and composes what OK would write. Every row left alone must come back
// bit for bit (the reserved HVC_DGT_CONFIG_8, the high byte of HVC_FLOAT_CONFIG_2
// and the bits of HVC_FLOAT_MAG_SIDE above the four sections write as 0), and a
// changed row must carry exactly its change. The expected words are kept here with
// plain masks, apart from the packing code. The configuration in words must
// describe any records without failing.
//
// Input: a count of changes, three bytes per change (what, row, choice), one byte
// choosing which records count as holding a value, then the records' words.
#include "core/catalogue.h"
#include "core/explain.h"
#include "core/joycansettings.h"
#include "core/joycatalogue.h"
#include "core/prompter.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace hvc;

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

// Every identifier as one plain word, so that any 16-bit pattern loads as it is.
struct Fixture {
    ScriptedPrompter prompter;
    Catalogue catalogue;
    JoyCatalogue joysticks;
    std::vector<HvcId> order; // the dialog's records first, then the rest

    Fixture() {
        QString map = QStringLiteral("Name\tAddress\tSubCode\tIdentifier\tSaveName\tDefault\t"
                                     "Section\tPageMask\tMin\tMax\tConvText\tExtraText\tFormula\t"
                                     "InverseFormula\n");
        for (int i = 0; i < kHvcIdCount; ++i)
            map += QStringLiteral("Var %1\t%2\t00\t%3\tVar %1\t0\t0\t11\t-32768\t65535\t\t\t\t\n")
                       .arg(i)
                       .arg(0x100 + 2 * i, 4, 16, QLatin1Char('0'))
                       .arg(QLatin1String(Catalogue::idName(static_cast<HvcId>(i))));
        check(catalogue.loadCatalogueText(map, prompter));
        check(joysticks.loadJoyListText(
            QStringLiteral("Code\tName\n"
                           "NOTUSED\tNot used\t\t\t\t\t1\t1\t0\t0\t0\n"
                           "HJ4G\tHJ-4 ergonomic grip\t\t\t\t\t1\t1\t68\t1\t0\n"),
            prompter));
        JoyCanSettings probe;
        for (const VarSetting& s : probe.compose())
            order.push_back(s.id);
        for (int i = 0; i < kHvcIdCount; ++i) {
            const auto id = static_cast<HvcId>(i);
            if (std::find(order.begin(), order.end(), id) == order.end())
                order.push_back(id);
        }
    }
};

struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    std::uint8_t byte() { return at < size ? data[at++] : 0; }
    std::int16_t word() {
        const std::uint8_t low = byte();
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(byte() << 8 | low));
    }
};

int idx(HvcId first, HvcId id) {
    return static_cast<int>(id) - static_cast<int>(first);
}

std::uint32_t nibble(std::uint32_t word, int k) {
    return word >> (4 * k) & 0xFu;
}

std::uint32_t withNibble(std::uint32_t word, int k, std::uint32_t value) {
    return (word & ~(0xFu << (4 * k))) | value << (4 * k);
}

// What OK must write, kept as plain words.
struct Expected {
    std::array<std::int32_t, JoyCanSettings::kNumbers> numbers{};
    std::uint32_t sides = 0;
    std::array<std::uint32_t, kDgtConfigWords> digital{};
    std::array<std::uint32_t, kJoyChannels> channels{};
    std::array<std::int32_t, kJoyChannels> loadedIds{};
    std::uint32_t commands1 = 0, commands2 = 0;
    std::array<std::int32_t, kOptionSections> inversions{};
    std::array<std::int32_t, kOptionSections> flags{};

    void setDescriptorField(int input, std::uint32_t mask, std::uint32_t value) {
        std::uint32_t& w = digital[static_cast<size_t>((input - 1) / 2)];
        const int shift = (input - 1) % 2 * 8;
        w = (w & ~(mask << shift)) | (value & mask) << shift;
    }

    std::array<bool, kJoyChannels> channelChanged{};

    std::int32_t channelId(int j) const {
        const std::uint32_t w = channels[static_cast<size_t>(j)];
        if (!channelChanged[static_cast<size_t>(j)])
            return loadedIds[static_cast<size_t>(j)];
        switch (nibble(w, 0)) {
        case 0:
            return 8;
        case 1:
            return nibble(w, 1) < 2 ? static_cast<std::int32_t>(nibble(w, 1)) : 2;
        case 2:
        case 3:
        case 4:
            return 5;
        default:
            return loadedIds[static_cast<size_t>(j)];
        }
    }

    std::int32_t value(HvcId id) const {
        using H = HvcId;
        for (int n = 0; n < JoyCanSettings::kNumbers; ++n)
            if (id == JoyCanSettings::numberId(n))
                return numbers[static_cast<size_t>(n)];
        if (id == H::HVC_FLOAT_MAG_SIDE)
            return static_cast<std::int32_t>(sides & 0xFu);
        if (id == H::HVC_DGT_CONFIG_8)
            return 0;
        if (id >= H::HVC_DGT_CONFIG_1 && id <= H::HVC_DGT_CONFIG_7)
            return static_cast<std::int32_t>(digital[idx(H::HVC_DGT_CONFIG_1, id)] & 0xFFFFu);
        if (id >= H::HVC_JOY_0_CONFIG && id <= H::HVC_JOY_3_CONFIG)
            return static_cast<std::int32_t>(channels[idx(H::HVC_JOY_0_CONFIG, id)] & 0xFFFFu);
        if (id >= H::HVC_JOY_0_ID && id <= H::HVC_JOY_3_ID)
            return channelId(idx(H::HVC_JOY_0_ID, id));
        if (id == H::HVC_FLOAT_CONFIG_1)
            return static_cast<std::int32_t>(commands1 & 0xFFFFu);
        if (id == H::HVC_FLOAT_CONFIG_2)
            return static_cast<std::int32_t>(commands2 & 0xFFu);
        if (id >= H::HVC_JOY_0_INV && id <= H::HVC_JOY_3_INV)
            return inversions[idx(H::HVC_JOY_0_INV, id)];
        if (id >= H::HVC_SP_0_MACRO && id <= H::HVC_SP_3_MACRO)
            return flags[idx(H::HVC_SP_0_MACRO, id)];
        std::abort(); // compose wrote a record the dialog does not own
    }
};

Expected expectedFrom(const Catalogue& catalogue) {
    const auto word = [&catalogue](HvcId id) { return catalogue.find(id)->shownValue; };
    const auto at = [](HvcId first, int k) { return idAfter(first, k); };
    Expected e;
    for (int n = 0; n < JoyCanSettings::kNumbers; ++n)
        e.numbers[static_cast<size_t>(n)] = word(JoyCanSettings::numberId(n));
    e.sides = static_cast<std::uint32_t>(word(HvcId::HVC_FLOAT_MAG_SIDE));
    for (int k = 0; k < kDgtConfigWords; ++k)
        e.digital[static_cast<size_t>(k)] =
            static_cast<std::uint32_t>(word(at(HvcId::HVC_DGT_CONFIG_1, k)));
    for (int j = 0; j < kJoyChannels; ++j) {
        e.channels[static_cast<size_t>(j)] =
            static_cast<std::uint32_t>(word(at(HvcId::HVC_JOY_0_CONFIG, j)));
        e.loadedIds[static_cast<size_t>(j)] = word(at(HvcId::HVC_JOY_0_ID, j));
    }
    e.commands1 = static_cast<std::uint32_t>(word(HvcId::HVC_FLOAT_CONFIG_1));
    e.commands2 = static_cast<std::uint32_t>(word(HvcId::HVC_FLOAT_CONFIG_2));
    for (int s = 0; s < kOptionSections; ++s) {
        e.inversions[static_cast<size_t>(s)] = word(at(HvcId::HVC_JOY_0_INV, s));
        e.flags[static_cast<size_t>(s)] = word(at(HvcId::HVC_SP_0_MACRO, s));
    }
    return e;
}

// One change as the dialog's lists and boxes can make it.
void change(JoyCanSettings& model, Expected& e, std::uint8_t what, std::uint8_t row,
            std::uint8_t choice) {
    const int input = row % kDigitalInputs + 1;
    const int j = row % kJoyChannels;
    const int s = row % kOptionSections;
    switch (what % 12) {
    case 0: {
        const std::int32_t v = (static_cast<std::int8_t>(choice)) * 37;
        model.setNumber(row % JoyCanSettings::kNumbers, v);
        e.numbers[static_cast<size_t>(row % JoyCanSettings::kNumbers)] = v;
        break;
    }
    case 1: {
        const int type = choice % 3;
        model.setDigitalType(input, type);
        e.setDescriptorField(input, 0x03, static_cast<std::uint32_t>(type));
        if (type == 0)
            e.setDescriptorField(input, 0xFC, 0);
        break;
    }
    case 2:
        model.setDigitalByte(input, choice % 8);
        e.setDescriptorField(input, 0x1C, static_cast<std::uint32_t>(choice % 8) << 2);
        break;
    case 3:
        model.setDigitalBit(input, choice % 8);
        e.setDescriptorField(input, 0xE0, static_cast<std::uint32_t>(choice % 8) << 5);
        break;
    case 4: {
        const auto type = static_cast<std::uint32_t>(choice % 5);
        model.setChannelType(j, static_cast<int>(type));
        e.channelChanged[static_cast<size_t>(j)] = true;
        std::uint32_t& w = e.channels[static_cast<size_t>(j)];
        w = withNibble(withNibble(w, 0, type), 1, 7);
        if (type <= 1)
            w = withNibble(withNibble(w, 2, 0), 3, 0);
        break;
    }
    case 5:
    case 6:
    case 7: {
        const int field = what % 12 - 4; // word, side A, side B
        const auto code = static_cast<std::uint32_t>(field == 1 ? choice % 8 : choice % 15);
        if (field == 1)
            model.setChannelWord(j, static_cast<int>(code));
        else if (field == 2)
            model.setChannelInputA(j, static_cast<int>(code));
        else
            model.setChannelInputB(j, static_cast<int>(code));
        e.channels[static_cast<size_t>(j)] =
            withNibble(e.channels[static_cast<size_t>(j)], field, code);
        e.channelChanged[static_cast<size_t>(j)] = true;
        break;
    }
    case 8: {
        const int k = row % kCommandInputs;
        const auto code = static_cast<std::uint32_t>(choice % 15);
        model.setCommandInput(k, static_cast<int>(code));
        if (k < 4)
            e.commands1 = withNibble(e.commands1, k, code);
        else
            e.commands2 = withNibble(e.commands2, k - 4, code);
        break;
    }
    case 9:
        model.setFloatSideB(s, (choice & 1) != 0);
        e.sides = (choice & 1) != 0 ? e.sides | 1u << s : e.sides & ~(1u << s);
        break;
    case 10:
        model.setInverted(s, (choice & 1) != 0);
        e.inversions[static_cast<size_t>(s)] = (choice & 1) != 0 ? 170 : 85;
        break;
    default: {
        const int bit = choice % 3;
        const bool on = (choice >> 2 & 1) != 0;
        model.setSectionOption(s, static_cast<SectionOption>(bit), on);
        std::int32_t& f = e.flags[static_cast<size_t>(s)];
        f = on ? f | 1 << bit : f & ~(1 << bit);
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Fixture fixture;
    Catalogue& catalogue = fixture.catalogue;
    Reader in{data, size};

    const int changes = in.byte() % 32;
    std::vector<std::array<std::uint8_t, 3>> script;
    for (int c = 0; c < changes; ++c)
        script.push_back({in.byte(), in.byte(), in.byte()});
    const std::uint8_t present = in.byte();
    for (HvcId id : fixture.order)
        catalogue.find(id)->takeUnitWord(in.word());

    JoyCanSettings model;
    model.load(catalogue);
    Expected expected = expectedFrom(catalogue);
    for (const auto& c : script)
        change(model, expected, c[0], c[1], c[2]);

    const std::vector<VarSetting> composed = model.compose();
    check(composed.size() == 33);
    for (const VarSetting& s : composed)
        check(s.value == expected.value(s.id));

    // Any records, with any of them lacking a value.
    const ExplainHasValue hasValue = [present](int position) {
        return present == 0 || (position * 37 + present) % 5 != 0;
    };
    const QStringList lines = explainConfiguration(catalogue, fixture.joysticks, hasValue);
    check(lines.size() >= 3 + 9 + 50);
    for (const QString& line : lines) {
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        check(colon > 0 && colon + 2 < line.size());
    }
    return 0;
}
