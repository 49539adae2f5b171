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

    const UnitVariable* record(HvcId id) const {
        const int position = m_catalogue.idIndex(id);
        const UnitVariable* r = m_catalogue.varTable(position);
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

QString range(const UnitVariable& low, const UnitVariable& high) {
    return QStringLiteral("%1..%2 mA").arg(low.shownValue).arg(high.shownValue);
}

QString rampMode(std::int32_t code) {
    if (code == kModeBreak)
        return QStringLiteral("BREAK");
    if (code == kModeFull)
        return QStringLiteral("FULL");
    return unknownCodeCaption(code);
}

// The page's pin caption, with the two cases it shows nothing made visible.
QString inputCaption(std::int32_t word) {
    const auto w = static_cast<std::uint16_t>(word);
    const int kind = w & 0xF;
    const int axis = (w >> 4) & 0xF;
    if (kind == 0)
        return QStringLiteral("(empty)");
    if (kind == 1 && axis >= 8)
        return unknownCodeCaption(axis); // the page keeps whatever it showed before
    return pinLabelText(w, QString());
}

QString joystickModel(const JoyCatalogue& joysticks, std::int32_t id) {
    const int p = findJoyId(joysticks, {id, id, id, id})[0];
    if (p >= joysticks.joyCount() || joysticks.joyList(p).joyId != id)
        return unknownCodeCaption(id); // the page shows the not-used picture
    return QStringLiteral("%1 (%2)").arg(joysticks.joyList(p).joyName).arg(id);
}

int shownSections(const UnitVariable* count) {
    return std::clamp(count ? count->shownValue : 0, 1, kSections);
}

void explainSections(Explainer& e, const JoyCatalogue& joysticks) {
    const UnitVariable* count = e.record(HvcId::HVC_NUM_PROP_REG);
    const int shown = shownSections(count);
    e.add(QStringLiteral("sections"), count, [&] {
        return count->shownValue == shown
                   ? QString::number(shown)
                   : QStringLiteral("%1, shown %2").arg(count->shownValue).arg(shown);
    });
    const UnitVariable* freq = e.record(HvcId::HVC_DITHER_FREQ);
    e.add(QStringLiteral("dither frequency"), freq,
          [&] { return withUnit(freq->workingWord, "Hz"); });
    const UnitVariable* amp = e.record(HvcId::HVC_DITHER_AMP);
    e.add(QStringLiteral("dither amplitude"), amp,
          [&] { return withUnit(amp->workingWord, "mA"); });

    for (int i = 0; i < shown; ++i) {
        const QString key = section(i) + QStringLiteral(" solenoid ");
        for (int k = 2 * i; k <= 2 * i + 1; ++k) {
            const UnitVariable* low = e.record(idAfter(HvcId::HVC_I0_MIN, 2 * k));
            const UnitVariable* high = e.record(idAfter(HvcId::HVC_I0_MAX, 2 * k));
            e.add(key + side(k) + QStringLiteral(" current"), low && high,
                  [&] { return range(*low, *high); });
        }
        for (int k = 2 * i; k <= 2 * i + 1; ++k) {
            const UnitVariable* low = e.record(idAfter(HvcId::HVC_I0_SDM_MIN, 2 * k));
            const UnitVariable* high = e.record(idAfter(HvcId::HVC_I0_SDM_MAX, 2 * k));
            e.add(key + side(k) + QStringLiteral(" slow current"), low && high,
                  [&] { return range(*low, *high); });
        }
        for (int k = 2 * i; k <= 2 * i + 1; ++k) {
            const UnitVariable* rise = e.record(idAfter(HvcId::HVC_RAMP_TRISE_0, k));
            const UnitVariable* fall = e.record(idAfter(HvcId::HVC_RAMP_TFALL_0, k));
            e.add(key + side(k) + QStringLiteral(" ramp"), rise && fall, [&] {
                return QStringLiteral("rise %1 ms, fall %2 ms")
                    .arg(rise->workingWord)
                    .arg(fall->workingWord);
            });
        }
        const UnitVariable* mode = e.record(idAfter(HvcId::HVC_RAMP_INV_MODE_0, i));
        e.add(section(i) + QStringLiteral(" ramp mode"), mode,
              [&] { return rampMode(mode->workingWord); });
        const UnitVariable* input = e.record(idAfter(HvcId::HVC_JOY_0_CONFIG, i));
        e.add(section(i) + QStringLiteral(" joystick input"), input,
              [&] { return inputCaption(input->workingWord); });
        const UnitVariable* model = e.record(idAfter(HvcId::HVC_JOY_0_ID, i));
        e.add(section(i) + QStringLiteral(" joystick model"), model,
              [&] { return joystickModel(joysticks, model->shownValue); });
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
              e.has({idAfter(HvcId::HVC_JOY_0_CONFIG, j)}), [&] {
                  const JoyChannel c = s.channel(j);
                  return QStringLiteral("type %1, word %2, side A %3, side B %4")
                      .arg(explainCaption(joyTypeCaptions(), c.type),
                           explainCaption(joyWordCaptions(), c.word),
                           explainCaption(inputCaptions(), c.inputA),
                           explainCaption(inputCaptions(), c.inputB));
              });
    }

    for (int i = 1; i <= kDigitalInputs; ++i) {
        e.add(QStringLiteral("digital ") + digitalInputName(i),
              e.has({idAfter(HvcId::HVC_DGT_CONFIG_1, (i - 1) / 2)}), [&] {
                  const DigitalInput d = s.digital(i);
                  return QStringLiteral("%1, byte %2, bit %3")
                      .arg(explainCaption(dgtTypeCaptions(), d.type),
                           explainCaption(dgtPlaceCaptions(), d.byte),
                           explainCaption(dgtPlaceCaptions(), d.bit));
              });
    }

    for (int k = 0; k < kCommandInputs; ++k) {
        const HvcId word = k < 4 ? HvcId::HVC_FLOAT_CONFIG_1 : HvcId::HVC_FLOAT_CONFIG_2;
        e.add(QStringLiteral("command ") + commandNames().at(k), e.has({word}),
              [&] { return explainCaption(inputCaptions(), s.commandInput(k)); });
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
              e.has({idAfter(HvcId::HVC_JOY_0_INV, n)}),
              [&] { return inversionCaption(s.inversion(n)); });

    for (int n = 0; n < kOptionSections; ++n) {
        const QString key = QStringLiteral("option section %1 ").arg(n + 1);
        const bool present = e.has({idAfter(HvcId::HVC_SP_0_MACRO, n)});
        for (int b = 0; b < kSectionOptions; ++b) {
            const auto option = static_cast<SectionOption>(b);
            e.add(key + sectionOptionCaption(option), present,
                  [&] { return onOff(s.sectionOption(n, option)); });
        }
        // Bits no check box shows; the dialog writes them back as they are.
        const std::int32_t other = s.sectionFlags(n) & ~kShownOptionBits;
        if (present && other != 0)
            e.add(key + QStringLiteral("other bits"), true,
                  [&] { return unknownCodeCaption(other); });
    }
}

} // namespace

QString explainCaption(const QStringList& list, int code) {
    QString caption = codeCaption(list, code);
    if (caption.trimmed().isEmpty())
        return QStringLiteral("blank (%1)").arg(code);
    return caption;
}

QStringList explainConfiguration(const Catalogue& catalogue, const JoyCatalogue& joysticks,
                                 const ExplainHasValue& hasValue) {
    Explainer e(catalogue, hasValue);
    explainSections(e, joysticks);
    JoyCanSettings settings;
    settings.load(catalogue);
    explainDialog(e, settings);
    return e.take();
}

} // namespace hvc
