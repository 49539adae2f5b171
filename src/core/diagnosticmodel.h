#pragma once
// The diagnostic page without widgets: its eleven error rows, the polling of the
// bound error words, the active-error list and the session's error history. The
// page (src/diagnostic) is a thin view over this model.
//
// How a page drives it:
//   - once at load:           model.loadMessages(path); (rows 5 and 6 enabled, refreshObject)
//   - on show (activation):   model.activate();   on hide: model.deactivate();
//   - Disconnect / Exit:      model.disableTimer();
//   - draw from the signals: rowUpdated (updateDisplay of one row), rowsRefreshed
//     (binding, visibility, bit texts changed), activeErrorsChanged (the list and
//     the history), progressChanged (the status and progress bar; this is where
//     the page may let pending events run), pollingStopped (the run is over).
//
// Each new word of a row goes through valueChanged(Index, Value, Changed), as the
// row control raises it, and that keeps the list and the history; so the list
// does not depend on a widget being there.
//
// The timer timerDiagnostic (100 ms) is a QTimer of the model; it ticks while the
// event loop runs. Tests and tools may call tick() themselves instead. When a tick
// polls and when the run ends is AppState::polling's (core/pollingcontroller.h).

#include "core/activeerrorlist.h"
#include "core/appstate.h"
#include "core/diagnosticlist.h"
#include "core/errorhistory.h"
#include "core/status.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>

namespace hvc {

struct UnitVariable;

// How a lit bit is shown: a status flag (the ready bit, never listed), a warning
// (first number 1 in the shipped file) or an error.
enum class DiagnosticBitKind { None, Status, Warning, Error };

// One row of the page (a DiagnosticError control): the error word it shows.
struct DiagnosticRow {
    int index = 0; // 0..10
    int varId = 0; // position of boundVar in varTable; 0 while unbound
    UnitVariable* boundVar = nullptr;
    bool visible = true;
    bool enable = false; // polled only while true
    int msgId = -1;      // row of the message table whose texts it shows; -1 none
    std::array<QString, 8> texts{};
    std::array<DiagnosticBitKind, 8> kinds{};
    // The word last shown, and whether one has come since the page was made.
    std::int32_t value = 0;
    bool hasValue = false;
};

class DiagnosticModel : public QObject, public PollingClient {
    Q_OBJECT
public:
    static constexpr int kTickMs = 100;
    static constexpr int kRows = DiagnosticList::kRows;

    explicit DiagnosticModel(AppState& state, QObject* parent = nullptr);

    // Reads the message file (a fault is reported through the prompter), enables
    // rows 5 and 6, then refreshObject.
    bool loadMessages(const QString& path);
    const DiagnosticList& messages() const { return m_messages; }

    const QList<DiagnosticRow>& rows() const { return m_rows; }
    const DiagnosticRow& row(int i) const { return m_rows.at(i); }
    void setEnable(int row, bool on);
    // Rows a pass reads: visible, enabled and bound to a record.
    bool isPolled(int row) const;
    int polledCount() const;

    // Page operations.
    void refreshObject(); // binds rows 0-6, hides 7-10, gives the rows their bit texts
    void activate();
    bool timerEnabled() const { return pollTimer().isActive(); }
    QTimer& timerDiagnostic() { return pollTimer(); }

    // One polling pass over the polled rows in row order. A failed read ends it at
    // once with the link's failure; the indicator is then 0. Nothing is written.
    Status readDiagnosticVar();

    // A new word for a row, as the row control takes it: raises valueChanged with
    // the bits that differ from the word shown before.
    void updateDisplay(int row, std::int32_t word);
    // The row control's event: bits set in `changed` came (set in `value`) or went.
    // Keeps the active-error list and the history.
    void valueChanged(int index, std::int32_t value, std::int32_t changed);

    const ActiveErrorList& activeErrors() const { return m_active; }
    const ErrorHistory& history() const { return m_history; }
    // Only the user clears the history; nothing else does, not even a disconnect.
    void clearHistory();
    // Writes the history as CSV. Only a regular file or a new path is written;
    // the file is replaced as a whole or left as it was.
    Status exportHistory(const QString& path) const;
    // When an error came or went; the tests set their own clock.
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };

Q_SIGNALS:
    void rowUpdated(int row, qint32 value, qint32 changed);
    void rowsRefreshed();
    void activeErrorsChanged();
    void progressChanged(const QString& statusText, int percent);
    // The polling run is over: ok() when asked to stop or its timer was disabled,
    // the link's failure when a read failed.
    void pollingStopped(const hvc::Status& why);

private:
    Status runPass() override { return readDiagnosticVar(); }
    void runEnded(RunEnd, const Status& why) override { Q_EMIT pollingStopped(why); }

    AppState& m_state;
    DiagnosticList m_messages;
    ActiveErrorList m_active{m_messages};
    ErrorHistory m_history;
    QList<DiagnosticRow> m_rows;
};

} // namespace hvc
