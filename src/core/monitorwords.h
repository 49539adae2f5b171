#pragma once
// What the monitor's status words mean, as plain functions the monitor page, the
// recording and hvcctl share: the ready state from the error summary word, the
// power outputs from the output word, the digital inputs from the input word, and
// which input each indicator watches (taken from the unit's configuration words).

#include <QList>
#include <QString>
#include <cstdint>

namespace hvc {

class Catalogue;

// Bit 6 of the error summary word is the unit's ready bit; any other bit is a fault.
inline constexpr std::uint16_t kErrorReadyMask = 0xFFBF;
inline constexpr const char* kReadyText = "READY";
inline constexpr const char* kNotReadyText = "NOT READY";

bool unitReady(std::uint16_t errorCode);
QString readyText(std::uint16_t errorCode); // "READY" or "NOT READY"

enum class ValveSide { A = 0, B = 1 };
// Section 0..3, side A is bit 2i, side B bit 2i+1.
bool outputOn(std::uint16_t outputWord, int section, ValveSide side);
// "1A", "2B", ... of every output that is on, in bit order.
QList<QString> outputsOn(std::uint16_t outputWord);

// Digital input n (0..15) is bit n of the input word.
bool inputActive(std::uint16_t inputWord, int input);
// Every active input number, lowest first.
QList<int> inputsActive(std::uint16_t inputWord);

// Field 0..3 (bits 0-3, 4-7, 8-11, 12-15) of a configuration word taken as 16
// unsigned bits: 0x9001 gives 1 for field 0 and 9 for field 3.
int wordField(std::int32_t word, int field);

// An indicator that watches one digital input, with the input number it watches.
struct InputIndicator {
    QString objectName; // "LblPinDM", "LblFL_2", "lblDinLJoy_1", ...
    int input = 0;
    bool joystick = false; // a digital joystick's input rather than a command input
};

// The indicators in the order the monitor updates them: for each joystick whose
// configuration word says it is digital (input kind 2 or more) its low and high
// input; then dead man, the second function input and floats 1-4. The numbers
// come from unitWord of the configuration words (HVC_JOY_n_CONFIG,
// HVC_FLOAT_CONFIG_1/2). Joysticks of sections beyond `sections` are left out.
QList<InputIndicator> inputIndicators(const Catalogue& catalogue, int sections = 4);

// Caption of an input indicator: "DI_03" for input 3; input 0 reads "OFF" on a
// joystick and "N.C." on a command input.
QString inputCaption(int input, bool joystick);

// A value in a display format of the "####0.0" kind: as many decimals as the
// format has digits after its point.
QString formatDisplayValue(double value, const QString& numberFormat);

} // namespace hvc
