#include "core/explain.h"

#include "core/catalogue.h"
#include "core/inputwords.h"
#include "core/joycansettings.h"
#include "core/joycatalogue.h"
#include "core/joyinputs.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace hvc {

namespace {

constexpr int kSections = 4;
// The configuration page stores its ramp modes as they are shown.
constexpr std::int32_t kModeFull = 85;
constexpr std::int32_t kModeBreak = 170;
constexpr std::int32_t kShownOptionBits = 0x7;

QString section(int i) {
    return QStringLiteral("section %1").arg(i + 1);
}

QString side(int k) {
    return k % 2 == 0 ? QStringLiteral("A") : QStringLiteral("B");
}

class Explainer {
public:
    Explainer(const Catalogue& catalogue, const ExplainHasValue& hasValue)
        : m_catalogue(catalogue), m_hasValue(hasValue) {}

    const CVarData* record(HvcId id) const {
        const int position = m_catalogue.IdIndex(id);
        const CVarData* r = m_catalogue.VarTable(position);
        if (r == nullptr || (m_hasValue && !m_hasValue(position)))
            return nullptr;
        return r;
    }

    // Every one of `ids` holds a value.
    bool has(std::initializer_list<HvcId> ids) const {
        return std::all_of(ids.begin(), ids.end(), [this](HvcId id) { return record(id); });
    }

    // `render` runs only when the item's records hold values.
    template <class Render> void add(const QString& key, bool present, Render render) {
        m_lines << key + QStringLiteral(": ") +
                       (present ? render() : QString::fromLatin1(kExplainNoValue));
    }

    QStringList take() { return std::move(m_lines); }

private:
    const Catalogue& m_catalogue;
    const ExplainHasValue& m_hasValue;
    QStringList m_lines;
};

QString withUnit(std::int32_t value, const char* unit) {
    return QString::number(value) + u' ' + QLatin1String(unit);
}

QString range(const CVarData& low, const CVarData& high) {
    return QStringLiteral("%1..%2 mA").arg(low.E2Display).arg(high.E2Display);
}

QString rampMode(std::int32_t code) {
    if (code == kModeBreak)
        return QStringLiteral("BREAK");
    if (code == kModeFull)
        return QStringLiteral("FULL");
    return UnknownCodeCaption(code);
}

// The page's pin caption, with the two cases it shows nothing made visible.
QString inputCaption(std::int32_t word) {
    const auto w = static_cast<std::uint16_t>(word);
    const int kind = w & 0xF;
    const int axis = (w >> 4) & 0xF;
    if (kind == 0)
        return QStringLiteral("(empty)");
    if (kind == 1 && axis >= 8)
        return UnknownCodeCaption(axis); // the page keeps whatever it showed before
    return PinLabelText(w, QString());
}

QString joystickModel(const JoyCatalogue& joysticks, std::int32_t id) {
    const int p = FindJoyID(joysticks, {id, id, id, id})[0];
    if (p >= joysticks.JoyCount() || joysticks.JoyList(p).JoyID != id)
        return UnknownCodeCaption(id); // the page shows the not-used picture
    return QStringLiteral("%1 (%2)").arg(joysticks.JoyList(p).JoyName).arg(id);
}

int shownSections(const CVarData* count) {
    return std::clamp(count ? count->E2Display : 0, 1, kSections);
}

void explainSections(Explainer& e, const JoyCatalogue& joysticks) {
    const CVarData* count = e.record(HvcId::HVC_NUM_PROP_REG);
    const int shown = shownSections(count);
    e.add(QStringLiteral("sections"), count, [&] {
        return count->E2Display == shown
                   ? QString::number(shown)
                   : QStringLiteral("%1, shown %2").arg(count->E2Display).arg(shown);
    });
    const CVarData* freq = e.record(HvcId::HVC_DITHER_FREQ);
    e.add(QStringLiteral("dither frequency"), freq, [&] { return withUnit(freq->E2Value, "Hz"); });
    const CVarData* amp = e.record(HvcId::HVC_DITHER_AMP);
    e.add(QStringLiteral("dither amplitude"), amp, [&] { return withUnit(amp->E2Value, "mA"); });

    for (int i = 0; i < shown; ++i) {
        const QString key = section(i) + QStringLiteral(" solenoid ");
        for (int k = 2 * i; k <= 2 * i + 1; ++k) {
            const CVarData* low = e.record(IdAfter(HvcId::HVC_I0_MIN, 2 * k));
            const CVarData* high = e.record(IdAfter(HvcId::HVC_I0_MAX, 2 * k));
            e.add(key + side(k) + QStringLiteral(" current"), low && high,
                  [&] { return range(*low, *high); });
        }
        for (int k = 2 * i; k <= 2 * i + 1; ++k) {
            const CVarData* low = e.record(IdAfter(HvcId::HVC_I0_SDM_MIN, 2 * k));
            const CVarData* high = e.record(IdAfter(HvcId::HVC_I0_SDM_MAX, 2 * k));
            e.add(key + side(k) + QStringLiteral(" slow current"), low && high,
                  [&] { return range(*low, *high); });
        }
        for (int k = 2 * i; k <= 2 * i + 1; ++k) {
            const CVarData* rise = e.record(IdAfter(HvcId::HVC_RAMP_TRISE_0, k));
            const CVarData* fall = e.record(IdAfter(HvcId::HVC_RAMP_TFALL_0, k));
            e.add(key + side(k) + QStringLiteral(" ramp"), rise && fall, [&] {
                return QStringLiteral("rise %1 ms, fall %2 ms")
                    .arg(rise->E2Value)
                    .arg(fall->E2Value);
            });
        }
        const CVarData* mode = e.record(IdAfter(HvcId::HVC_RAMP_INV_MODE_0, i));
        e.add(section(i) + QStringLiteral(" ramp mode"), mode,
              [&] { return rampMode(mode->E2Value); });
        const CVarData* input = e.record(IdAfter(HvcId::HVC_JOY_0_CONFIG, i));
        e.add(section(i) + QStringLiteral(" joystick input"), input,
              [&] { return inputCaption(input->E2Value); });
        const CVarData* model = e.record(IdAfter(HvcId::HVC_JOY_0_ID, i));
        e.add(section(i) + QStringLiteral(" joystick model"), model,
              [&] { return joystickModel(joysticks, model->E2Display); });
    }
}

QString onOff(bool on) {
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

void explainDialog(Explainer& e, const JoyCanSettings& s) {
    e.add(QStringLiteral("can joystick node"), e.has({HvcId::HVC_JOY_NODE_ID}),
          [&] { return QString::number(s.number(JoyCanSettings::JoyNodeId)); });
    e.add(QStringLiteral("can joystick time-out"), e.has({HvcId::HVC_JOY_TIMEOUT}),
          [&] { return withUnit(s.number(JoyCanSettings::JoyTimeout), "ms"); });

    for (int j = 0; j < kJoyChannels; ++j) {
        e.add(QStringLiteral("can channel Joy %1").arg(j + 1),
              e.has({IdAfter(HvcId::HVC_JOY_0_CONFIG, j)}), [&] {
                  const JoyChannel c = s.channel(j);
                  return QStringLiteral("type %1, word %2, side A %3, side B %4")
                      .arg(ExplainCaption(JoyTypeCaptions(), c.type),
                           ExplainCaption(JoyWordCaptions(), c.word),
                           ExplainCaption(InputCaptions(), c.inputA),
                           ExplainCaption(InputCaptions(), c.inputB));
              });
    }

    for (int i = 1; i <= kDigitalInputs; ++i) {
        e.add(QStringLiteral("digital ") + DigitalInputName(i),
              e.has({IdAfter(HvcId::HVC_DGT_CONFIG_1, (i - 1) / 2)}), [&] {
                  const DigitalInput d = s.digital(i);
                  return QStringLiteral("%1, byte %2, bit %3")
                      .arg(ExplainCaption(DgtTypeCaptions(), d.type),
                           ExplainCaption(DgtPlaceCaptions(), d.byte),
                           ExplainCaption(DgtPlaceCaptions(), d.bit));
              });
    }

    for (int k = 0; k < kCommandInputs; ++k) {
        const HvcId word = k < 4 ? HvcId::HVC_FLOAT_CONFIG_1 : HvcId::HVC_FLOAT_CONFIG_2;
        e.add(QStringLiteral("command ") + CommandNames().at(k), e.has({word}),
              [&] { return ExplainCaption(InputCaptions(), s.commandInput(k)); });
    }

    for (int n = 0; n < kOptionSections; ++n) {
        const QString key = QStringLiteral("float section %1").arg(n + 1);
        const int number = JoyCanSettings::FloatCurrent1 + n;
        e.add(key + QStringLiteral(" current"), e.has({JoyCanSettings::numberId(number)}),
              [&] { return withUnit(s.number(number), "mA"); });
        e.add(key + QStringLiteral(" side"), e.has({HvcId::HVC_FLOAT_MAG_SIDE}),
              [&] { return s.floatSideB(n) ? QStringLiteral("B") : QStringLiteral("A"); });
    }

    for (int n = 0; n < kOptionSections; ++n)
        e.add(QStringLiteral("inversion section %1").arg(n + 1),
              e.has({IdAfter(HvcId::HVC_JOY_0_INV, n)}),
              [&] { return InversionCaption(s.inversion(n)); });

    for (int n = 0; n < kOptionSections; ++n) {
        const QString key = QStringLiteral("option section %1 ").arg(n + 1);
        const bool present = e.has({IdAfter(HvcId::HVC_SP_0_MACRO, n)});
        for (int b = 0; b < kSectionOptions; ++b) {
            const auto option = static_cast<SectionOption>(b);
            e.add(key + SectionOptionCaption(option), present,
                  [&] { return onOff(s.sectionOption(n, option)); });
        }
        // Bits no check box shows; the dialog writes them back as they are.
        const std::int32_t other = s.sectionFlags(n) & ~kShownOptionBits;
        if (present && other != 0)
            e.add(key + QStringLiteral("other bits"), true,
                  [&] { return UnknownCodeCaption(other); });
    }
}

} // namespace

QString ExplainCaption(const QStringList& list, int code) {
    QString caption = CodeCaption(list, code);
    if (caption.trimmed().isEmpty())
        return QStringLiteral("blank (%1)").arg(code);
    return caption;
}

QStringList ExplainConfiguration(const Catalogue& catalogue, const JoyCatalogue& joysticks,
                                 const ExplainHasValue& hasValue) {
    Explainer e(catalogue, hasValue);
    explainSections(e, joysticks);
    JoyCanSettings settings;
    settings.load(catalogue);
    explainDialog(e, settings);
    return e.take();
}

} // namespace hvc
