#pragma once
// The session with the unit: which port and baud rate, who is logged in, whether
// writes are checked, the connection indicator and the link in use.

#include "core/unitidentity.h"

#include <QString>
#include <functional>

namespace hvc {

class UnitLink;

// The connection indicator: what the link is doing now.
enum class ConnectState {
    NotConnected = 0,
    Connected = 1,
    Transfer = 2,
    MonitorPolling = 3,
    DiagnosticPolling = 4,
    DebuggerWorking = 5,
};

class Session {
public:
    int comPort = 1;
    // The device the link is on, where it has a name of its own (hvcctl --port); else
    // the unit is on "COM n".
    QString portName;
    // The unit as its identity words were read on this connection (by Connect, or
    // hvcctl's first read); unknown when not read. A file loaded later may hold
    // another unit's words, and a write may change the section count the model
    // comes from: the logbook keeps naming this unit.
    UnitIdentity unit;
    QString baudText = QStringLiteral("9600");
    bool loggedIn = false;
    // Every Write and Write All reads the written words back (Set menu, on by default).
    bool verifyWrites = true;
    bool exitRequested = false;
    UnitLink* link = nullptr;

    ConnectState connectState() const { return m_connectState; }
    // Calls connectChanged when the indicator moves.
    void setConnectState(ConnectState value);
    std::function<void(ConnectState)> connectChanged;

private:
    ConnectState m_connectState = ConnectState::NotConnected;
};

} // namespace hvc
