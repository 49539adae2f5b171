#pragma once
// The live monitor without widgets: which values the monitor page shows, how one
// polling pass reads them, and the rules that start and stop the polling. The
// page (src/monitor) is a thin view over this model; hvcctl monitor drives the
// same model from the command line.
//
// How a page drives it:
//   - on show (activation):   model.activate();   on hide: model.deactivate();
//   - Disconnect / Exit:      model.disableTimer();
//   - a display's controlEventA/B (monitoring switched on or off by the user):
//                             model.setMonitorEnable(display, on);
//   - draw from the signals: errorWordRead / outputWordRead / inputWordRead (the
//     three status words, see core/monitorwords.h for what they mean),
//     displayUpdated (updateDisplay of one display), progressChanged (the status
//     and progress bar; this is where the page may let pending events run),
//     objectsRefreshed (scales, formats, visibility changed: redraw the displays
//     and the joystick pictures), drawJoyRequested / drawMagRequested (raised by
//     requestJoyRedraw() / requestMagRedraw(), e.g. when the link is lost),
//     passCompleted (one whole pass: the trend plot and the recording take it),
//     pollingStopped (the run is over).
//
// The timer tmrMonitor (100 ms) is a QTimer of the model; it ticks while the
// event loop runs. Tests and tools may call tick() themselves instead. When a
// tick polls and when the run ends is AppState::polling's (core/pollingcontroller.h).

#include "core/appstate.h"
#include "core/status.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>

namespace hvc {

struct UnitVariable;

enum class MonitorDisplayKind {
    Joystick,  // JoyMonitorVal(i): joystick i position
    Current,   // IMeasure(i): measured current of section i
    Battery,   // JoyMonitorVbb: battery voltage
    Redundant, // JoyMonitorRed(i): never shown, never polled
};

// One value display of the page (a JoyMonitor control): the record it shows and
// how it shows it.
struct MonitorDisplay {
    MonitorDisplayKind kind = MonitorDisplayKind::Joystick;
    int index = -1;     // section or joystick 0..3; -1 for the battery display
    QString objectName; // "JoyMonitorVal_0", "IMeasure_2", "JoyMonitorVbb", "JoyMonitorRed_1"
    int varId = 0;      // position of boundVar in varTable; 0 while unbound
    UnitVariable* boundVar = nullptr;
    bool visible = true;
    bool monitorEnable = true;
    std::int16_t scaleMin = 0;
    std::int16_t scaleMax = 100;
    QString numberFormat;
    std::int16_t levelA = 0;
    std::int16_t levelB = 0;
    bool displayOption = true;
    // The value last handed to the display, and whether one has come since binding.
    double value = 0;
    bool hasValue = false;
};

// One value read in a pass.
struct MonitorReading {
    int display = 0; // index into MonitorModel::displays()
    int varId = 0;
    std::int32_t raw = 0; // the word as read, signed 16-bit
    double value = 0;     // ramShownValue: the word in display units
};

// One complete pass: when it started, the three status words and every value.
struct MonitorSample {
    QDateTime time;
    std::uint16_t errorCode = 0;
    std::uint16_t outputs = 0;
    std::uint16_t inputs = 0;
    QList<MonitorReading> readings;
};

class MonitorModel : public QObject, public PollingClient {
    Q_OBJECT
public:
    static constexpr int kTickMs = 100;

    explicit MonitorModel(AppState& state, QObject* parent = nullptr);
    ~MonitorModel() override;

    // The displays in the page's control order: JoyMonitorVal(0..3),
    // JoyMonitorVbb, IMeasure(0..3), JoyMonitorRed(0..3). The order is the order
    // of the reads in a pass.
    const QList<MonitorDisplay>& displays() const { return m_displays; }
    const MonitorDisplay& display(int i) const { return m_displays.at(i); }
    // Index of the display with this object name, -1 if none.
    int displayIndex(const QString& objectName) const;
    // The user switched a display's monitoring on or off (controlEventA/B).
    void setMonitorEnable(int display, bool on);
    // The number of sections drawn for a section count: outside 1..4 the count
    // means nothing, and the nearest that can be drawn is shown. The page follows
    // the same rule for its controls.
    static int sectionsShown(int count);
    // Shows the displays of sections 0..sectionsShown(count)-1 (and the battery),
    // hides the others and the redundant ones, as the page's section drawing does.
    void showSections(int count);
    // Displays a pass reads: visible, monitoring enabled and bound to a record.
    bool isPolled(int display) const;
    int polledCount() const;
    // VarIDs of the displays a pass reads, in order (the columns of a recording).
    QList<int> polledVarIds() const;

    // Page operations.
    void refreshObject(); // binds the displays to their records, then setObject
    void setObject();     // scales, formats and options from the records, no link traffic
    void activate();
    bool timerEnabled() const { return pollTimer().isActive(); }
    QTimer& tmrMonitor() { return pollTimer(); }
    // Redraw the joystick or solenoid pictures (the link was lost, the set-up changed).
    void requestJoyRedraw() { Q_EMIT drawJoyRequested(); }
    void requestMagRedraw() { Q_EMIT drawMagRequested(); }

    // One polling pass: the three status words, then every polled display. A
    // failed read ends it at once with the link's failure; the indicator is then
    // 0. Nothing is ever written to the unit.
    Status readMonitorVar();

    // The status words of the last pass that read them.
    std::uint16_t errorCode() const { return m_errorCode; }
    std::uint16_t outputs() const { return m_outputs; }
    std::uint16_t inputs() const { return m_inputs; }

Q_SIGNALS:
    void errorWordRead(quint16 word);  // updateErrObj
    void outputWordRead(quint16 word); // updateActiveOutput
    void inputWordRead(quint16 word);  // updateActiveDin
    void displayUpdated(int display, double value);
    void progressChanged(const QString& statusText, int percent);
    void objectsRefreshed();
    void drawJoyRequested(); // monitorDrawJoy
    void drawMagRequested(); // monitorDrawMag
    void passCompleted(const hvc::MonitorSample& sample);
    // The polling run is over: ok() when it was asked to stop or its timer was
    // disabled, the link's failure when a read failed.
    void pollingStopped(const hvc::Status& why);

private:
    Status runPass() override { return readMonitorVar(); }
    void runEnded(RunEnd, const Status& why) override { Q_EMIT pollingStopped(why); }
    void setFormulaParts();
    void drawProgress(int percent);
    void endPassOnLinkLoss();

    AppState& m_state;
    QList<MonitorDisplay> m_displays;
    std::uint16_t m_errorCode = 0;
    std::uint16_t m_outputs = 0;
    std::uint16_t m_inputs = 0;
};

} // namespace hvc
