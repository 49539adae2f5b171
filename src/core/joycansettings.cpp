#include "core/joycansettings.h"

#include "core/catalogue.h"
#include "core/unitvariable.h"

namespace hvc {

namespace {

std::int32_t working(const Catalogue& catalogue, HvcId id) {
    const UnitVariable* record = catalogue.find(id);
    return record ? record->shownValue : 0;
}

} // namespace

HvcId JoyCanSettings::numberId(int number) {
    if (number == JoyNodeId)
        return HvcId::HVC_JOY_NODE_ID;
    if (number == JoyTimeout)
        return HvcId::HVC_JOY_TIMEOUT;
    return idAfter(HvcId::HVC_FLOAT_CURRENT_1, number - FloatCurrent1);
}

void JoyCanSettings::load(const Catalogue& catalogue) {
    for (int n = 0; n < kNumbers; ++n)
        m_numbers[idx(n)] = working(catalogue, numberId(n));
    m_floatSides = unpackFloatSides(working(catalogue, HvcId::HVC_FLOAT_MAG_SIDE));
    for (int k = 0; k < kDgtConfigWords; ++k) {
        const auto pair = unpackDgtConfig(working(catalogue, idAfter(HvcId::HVC_DGT_CONFIG_1, k)));
        m_descriptors[idx(2 * k)] = pair[0];
        m_descriptors[idx(2 * k + 1)] = pair[1];
    }
    for (int j = 0; j < kJoyChannels; ++j) {
        m_channels[idx(j)] =
            unpackJoyChannel(working(catalogue, idAfter(HvcId::HVC_JOY_0_CONFIG, j)));
        m_loadedIds[idx(j)] = working(catalogue, idAfter(HvcId::HVC_JOY_0_ID, j));
        m_channelChanged[idx(j)] = false;
    }
    m_commands = unpackCommandInputs(working(catalogue, HvcId::HVC_FLOAT_CONFIG_1),
                                     working(catalogue, HvcId::HVC_FLOAT_CONFIG_2));
    for (int s = 0; s < kOptionSections; ++s) {
        m_inversions[idx(s)] = working(catalogue, idAfter(HvcId::HVC_JOY_0_INV, s));
        m_flags[idx(s)] = working(catalogue, idAfter(HvcId::HVC_SP_0_MACRO, s));
    }
}

DigitalInput JoyCanSettings::digital(int input) const {
    return unpackDigitalInput(descriptor(input));
}

void JoyCanSettings::setDigitalType(int input, int type) {
    DigitalInput d = digital(input);
    d.type = type;
    if (type == DigitalInput::Off)
        d.byte = d.bit = 0;
    m_descriptors[idx(input - 1)] = packDigitalInput(d);
}

void JoyCanSettings::setDigitalByte(int input, int byte) {
    DigitalInput d = digital(input);
    d.byte = byte;
    m_descriptors[idx(input - 1)] = packDigitalInput(d);
}

void JoyCanSettings::setDigitalBit(int input, int bit) {
    DigitalInput d = digital(input);
    d.bit = bit;
    m_descriptors[idx(input - 1)] = packDigitalInput(d);
}

void JoyCanSettings::setChannelType(int j, int type) {
    m_channelChanged[idx(j)] = true;
    JoyChannel& c = m_channels[idx(j)];
    c.type = type;
    // Every known type starts from the blank word; off and proportional channels
    // take no inputs, the digital types keep theirs.
    c.word = JoyChannel::kBlankWord;
    if (type == JoyChannel::Off || type == JoyChannel::Proportional)
        c.inputA = c.inputB = 0;
}

void JoyCanSettings::setChannelWord(int j, int word) {
    m_channelChanged[idx(j)] = true;
    m_channels[idx(j)].word = word;
}

void JoyCanSettings::setChannelInputA(int j, int input) {
    m_channelChanged[idx(j)] = true;
    m_channels[idx(j)].inputA = input;
}

void JoyCanSettings::setChannelInputB(int j, int input) {
    m_channelChanged[idx(j)] = true;
    m_channels[idx(j)].inputB = input;
}

bool JoyCanSettings::channelWordEnabled(int j) const {
    return channel(j).type == JoyChannel::Proportional;
}

bool JoyCanSettings::channelInputsEnabled(int j) const {
    const int type = channel(j).type;
    return type >= JoyChannel::DigitalReg && type <= JoyChannel::OnOffIndependent;
}

std::int32_t JoyCanSettings::channelId(int j) const {
    if (!m_channelChanged[idx(j)])
        return m_loadedIds[idx(j)];
    return joyChannelId(channel(j)).value_or(m_loadedIds[idx(j)]);
}

void JoyCanSettings::setSectionOption(int s, SectionOption option, bool on) {
    m_flags[idx(s)] = withSectionOption(m_flags[idx(s)], option, on);
}

std::vector<VarSetting> JoyCanSettings::compose() const {
    std::vector<VarSetting> out;
    out.reserve(40);
    for (int n = 0; n < kNumbers; ++n)
        out.push_back({numberId(n), m_numbers[idx(n)]});
    out.push_back({HvcId::HVC_FLOAT_MAG_SIDE, packFloatSides(m_floatSides)});
    for (int k = 0; k < kDgtConfigWords; ++k)
        out.push_back({idAfter(HvcId::HVC_DGT_CONFIG_1, k),
                       packDgtConfig(m_descriptors[idx(2 * k)], m_descriptors[idx(2 * k + 1)])});
    out.push_back({HvcId::HVC_DGT_CONFIG_8, 0});
    for (int j = 0; j < kJoyChannels; ++j)
        out.push_back({idAfter(HvcId::HVC_JOY_0_CONFIG, j), packJoyChannel(channel(j))});
    for (int j = 0; j < kJoyChannels; ++j)
        out.push_back({idAfter(HvcId::HVC_JOY_0_ID, j), channelId(j)});
    const auto commands = packCommandInputs(m_commands);
    out.push_back({HvcId::HVC_FLOAT_CONFIG_1, commands[0]});
    out.push_back({HvcId::HVC_FLOAT_CONFIG_2, commands[1]});
    for (int s = 0; s < kOptionSections; ++s)
        out.push_back({idAfter(HvcId::HVC_JOY_0_INV, s), m_inversions[idx(s)]});
    for (int s = 0; s < kOptionSections; ++s)
        out.push_back({idAfter(HvcId::HVC_SP_0_MACRO, s), m_flags[idx(s)]});
    return out;
}

} // namespace hvc
