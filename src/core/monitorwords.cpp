#include "core/monitorwords.h"

#include "core/catalogue.h"

namespace hvc {

bool unitReady(std::uint16_t errorCode) {
    return (errorCode & kErrorReadyMask) == 0;
}

QString readyText(std::uint16_t errorCode) {
    return QString::fromLatin1(unitReady(errorCode) ? kReadyText : kNotReadyText);
}

bool outputOn(std::uint16_t outputWord, int section, ValveSide side) {
    if (section < 0 || section > 3)
        return false;
    return (outputWord >> (2 * section + static_cast<int>(side)) & 1u) != 0;
}

QList<QString> outputsOn(std::uint16_t outputWord) {
    QList<QString> on;
    for (int section = 0; section < 4; ++section)
        for (const ValveSide side : {ValveSide::A, ValveSide::B})
            if (outputOn(outputWord, section, side))
                on << QString::number(section + 1) + (side == ValveSide::A ? u'A' : u'B');
    return on;
}

bool inputActive(std::uint16_t inputWord, int input) {
    return input >= 0 && input < 16 && (inputWord >> input & 1u) != 0;
}

QList<int> inputsActive(std::uint16_t inputWord) {
    QList<int> active;
    for (int n = 0; n < 16; ++n)
        if (inputActive(inputWord, n))
            active << n;
    return active;
}

int wordField(std::int32_t word, int field) {
    const auto bits = static_cast<std::uint16_t>(static_cast<std::uint32_t>(word) & 0xFFFFu);
    return (bits >> (4 * field)) & 0xF;
}

QList<InputIndicator> inputIndicators(const Catalogue& catalogue, int sections) {
    auto e2 = [&catalogue](HvcId id) {
        const UnitVariable* r = catalogue.find(id);
        return r ? r->unitWord : 0;
    };
    constexpr HvcId kJoyConfig[4] = {HvcId::HVC_JOY_0_CONFIG, HvcId::HVC_JOY_1_CONFIG,
                                     HvcId::HVC_JOY_2_CONFIG, HvcId::HVC_JOY_3_CONFIG};
    QList<InputIndicator> list;
    for (int i = 0; i < 4 && i < sections; ++i) {
        const std::int32_t config = e2(kJoyConfig[i]);
        if (wordField(config, 0) < 2)
            continue;
        list << InputIndicator{QStringLiteral("lblDinLJoy_%1").arg(i), wordField(config, 2), true}
             << InputIndicator{QStringLiteral("lblDinHJoy_%1").arg(i), wordField(config, 3), true};
    }
    const std::int32_t float1 = e2(HvcId::HVC_FLOAT_CONFIG_1);
    const std::int32_t float2 = e2(HvcId::HVC_FLOAT_CONFIG_2);
    list << InputIndicator{QStringLiteral("LblPinDM"), wordField(float1, 0), false}
         << InputIndicator{QStringLiteral("LblPinSL"), wordField(float1, 1), false}
         << InputIndicator{QStringLiteral("LblFL_0"), wordField(float1, 2), false}
         << InputIndicator{QStringLiteral("LblFL_1"), wordField(float1, 3), false}
         << InputIndicator{QStringLiteral("LblFL_2"), wordField(float2, 0), false}
         << InputIndicator{QStringLiteral("LblFL_3"), wordField(float2, 1), false};
    return list;
}

QString inputCaption(int input, bool joystick) {
    if (input == 0)
        return joystick ? QStringLiteral("OFF") : QStringLiteral("N.C.");
    return QStringLiteral("DI_%1").arg(input, 2, 10, QChar(u'0'));
}

QString formatDisplayValue(double value, const QString& numberFormat) {
    const qsizetype point = numberFormat.indexOf(u'.');
    const int decimals = point < 0 ? 0 : static_cast<int>(numberFormat.size() - point - 1);
    QString text = QString::number(value, 'f', decimals);
    // "-0" and "-0.0" read as zero.
    if (text.startsWith(u'-') && text.mid(1).toDouble() == 0.0)
        text.remove(0, 1);
    return text;
}

} // namespace hvc
