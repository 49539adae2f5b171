#pragma once
// The debugger without widgets: one word of the unit, chosen from the catalogue
// or by its address, read and written in EEPROM and RAM, watched continuously
// (MONITOR) together with a watch list, the load-defaults command and the dither
// block. The debugger page (src/debugger) is a thin view over it; tests drive it
// directly.
//
// How a page drives it:
//   - on show: activate();  on hide: deactivate();  Disconnect / Exit: disableTimer();
//   - the list and the address field: choose(position), setLastKey(key), cmbUpdate(text);
//   - the buttons: read(), write(text), display(), set(text), toggleMonitor(), reset(),
//     canProbe(), ditherDisplay(), ditherUpdate(), toggleWatch() ...;
//   - draw from the signals: viewChanged (the chosen word's texts), ditherChanged,
//     watchChanged / watchRowUpdated, lockChanged (MONITOR locks the word's
//     controls), runningChanged (button captions), busyChanged (the main window
//     refuses input while the unit loads its defaults).
//
// Every exchange sets the connection indicator to 5 while it uses the link and
// gives back 1 after success. A failed exchange shows "Operation Failed :" with
// the link's reason, closes the link and leaves the indicator at 0, as every
// other command does. The timer tmrDebug (20 ms) ticks while the event loop runs;
// tests call tick() themselves. When a tick polls and when the run ends is
// AppState::polling's (core/pollingcontroller.h); every command runs under its
// pass guard, so that no tick starts inside one.

#include "core/appstate.h"
#include "core/hvcids.h"
#include "core/status.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <array>
#include <cstdint>

namespace hvc {

struct UnitVariable;

inline constexpr const char* kNoVariableText = "-------";
inline constexpr const char* kWaitText = "..Wait..";
// What a raw field shows when its exchange failed: no number the unit did not send.
inline constexpr const char* kNoValueText = "----";

// The texts the page shows for the chosen word.
struct DebugWordView {
    QString address;     // txtAddress
    QString name;        // lblName
    QString addressText; // LblAddress
    QString tooltip;     // LblTooltip
    QString monitorName; // LblMonitorName
    QString unit;        // LblUnit
    QString unitE2;      // LblUnitE2
    QString unitRam;     // LblUnitRam
    QString e2Raw;       // lblE2Data
    QString e2Display;   // LblDisplayE2
    QString ramRaw;      // lblRAMData
    QString ramDisplay;  // LblDisplayRAM
};

// One row of the dither block: HVC_DITHER_AMP, HVC_DITHER_AMP_PERC, HVC_DITHER_FREQ.
struct DitherRow {
    HvcId id = HvcId::HVC_DITHER_AMP;
    UnitVariable* record = nullptr; // nullptr when the map lacks the variable
    QString text;                   // TxtDataD(i)
    int scroll = 0;                 // hscData(i)
    int minimum = 0;
    int maximum = 0;
    bool editing = false; // typed but not yet taken (the field is coloured)
};

// One word of the watch list: a catalogue record, or an address no record has.
struct WatchEntry {
    int position = 0; // varTable position; 0 for a bare address
    std::int32_t address = 0;
    bool hasValue = false;
    std::int32_t raw = 0;
    double value = 0;
};

class DebuggerModel : public QObject, public PollingClient {
    Q_OBJECT
public:
    static constexpr int kTickMs = 20;
    static constexpr int kEnterKey = 13;
    static constexpr int kDitherRows = 3;

    explicit DebuggerModel(AppState& state, QObject* parent = nullptr);
    ~DebuggerModel() override;

    // cmbVariablesList: "-------", then the Name of every record in catalogue order.
    QStringList variableList() const;
    int position() const { return m_position; }
    UnitVariable* record() const;
    const DebugWordView& view() const { return m_view; }

    // cmbVariablesList_Click.
    void choose(int position);
    // The last key typed in txtAddress (kEnterKey for Enter).
    void setLastKey(int key) { m_lastKey = key; }
    // Selects the record whose address is the typed one; none, after Enter: record 1.
    // Returns the position chosen, or -1 when nothing changed.
    int cmbUpdate(const QString& text);

    // An address text with every "." removed, read as up to six hexadecimal digits.
    static bool readAddressText(const QString& text, std::int32_t& address);
    // A numeric text shorter than 6 characters without "." or ",".
    static bool textStringIsInteger(const QString& text);
    // A whole decimal number from -32768 to 32767, blanks around it allowed.
    static bool parseWord(const QString& text, std::int32_t& value);
    // ramShownValue as the page shows it.
    static QString valueText(double value);

    // The commands. Each refuses, with a message and without sending anything, a
    // word that is not chosen or a value that is not a 16-bit number.
    void read();
    void write(const QString& data);
    void display();
    void set(const QString& data);
    void toggleMonitor();
    void reset();
    void canProbe() {}
    void ditherDisplay();
    void ditherUpdate();

    // The dither block's fields.
    const DitherRow& ditherRow(int row) const { return m_dither.at(static_cast<size_t>(row)); }
    void ditherTyped(int row, const QString& text);
    void ditherEnter(int row, const QString& text);
    void ditherScrolled(int row, int value);

    // The watch list.
    const QList<WatchEntry>& watchList() const { return m_watch; }
    bool addWatch(int position);
    bool addWatchAddress(const QString& text);
    void removeWatch(int row);
    void clearWatch();
    void toggleWatch();
    bool watching() const { return m_watchOn; }
    QString watchName(int row) const;
    QString watchAddress(int row) const;
    QString watchRaw(int row) const;
    QString watchValue(int row) const;
    QString watchUnit(int row) const;
    // The table as TAB-separated lines with a header, for the clipboard.
    QString watchTableText() const;

    // Page operations.
    void refreshObject();
    void activate();
    // The timer itself; a test may stop it and tick by hand, the run stays enabled.
    QTimer& tmrDebug() { return pollTimer(); }
    bool timerEnabled() const { return m_state.polling.timerEnabled(Page::Debugger); }
    bool monitoring() const { return m_monitorOn; }
    bool locked() const { return m_locked; }
    bool busy() const { return m_state.polling.passRunning(Page::Debugger); }
    int monitorTicks() const { return m_monitorTicks; }

Q_SIGNALS:
    void viewChanged();
    void ditherChanged(int row);
    void watchChanged();
    void watchRowUpdated(int row);
    void lockChanged(bool locked);
    void runningChanged();
    void busyChanged(bool busy);

private:
    enum class Memory { E2, Ram };
    enum class WordCommand { Read, Write, Display, Set };

    // The pass guard every command and tick holds.
    PollingController::Pass guard() { return {m_state.polling, Page::Debugger}; }
    bool disabledMeanwhile() const { return m_state.polling.disabledDuringPass(Page::Debugger); }
    Status runPass() override;
    void runEnded(RunEnd how, const Status& why) override;
    bool hasWork() const override { return m_monitorOn || m_watchOn; }
    bool runOn() const override { return m_monitorOn || m_watchOn; }

    void wordCommand(WordCommand command, const QString& data);
    bool mayUseWord();
    bool mayCommand() const;
    bool openLink();
    Status exchangeRead(Memory memory, std::int32_t address, std::int32_t& word);
    Status exchangeWrite(Memory memory, std::int32_t address, std::int32_t word);
    void failed(const Status& status);
    void finished();
    void drawBar();
    void lock(bool on);
    void startRun();
    void stopRunIfIdle();
    void endRun();
    // `known`: the word already read for it (in one list with the monitored word).
    bool readWatchEntry(WatchEntry& entry, Status& status, const std::int32_t* known = nullptr);
    QString displayOf(const UnitVariable& record, bool e2) const;

    AppState& m_state;
    int m_position = 0;
    int m_lastKey = 0;
    DebugWordView m_view;
    std::array<DitherRow, kDitherRows> m_dither;
    QList<WatchEntry> m_watch;
    int m_watchNext = 0;
    bool m_monitorOn = false;
    bool m_watchOn = false;
    bool m_locked = false;
    int m_monitorTicks = 0;
};

} // namespace hvc
