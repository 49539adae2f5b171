#pragma once
// The parts of the main window that the pages draw on at every status refresh:
// the numbered status panels, the connection field, and the menu items and
// toolbar buttons the pages switch. Menu items are found by their control name
// ("mnuHW_ReadAll"), toolbar buttons by their key ("Read All").

#include "core/appstate.h"

#include <QColor>
#include <QHash>
#include <QIcon>
#include <QString>
#include <array>

class QAction;
class QLabel;
class QLineEdit;
class QStatusBar;

namespace hvc {

inline const QColor kGreen(0, 192, 0);
inline const QColor kPaleYellow(255, 255, 128);

// The numbered panels of the status bar (4 is the file-state field).
enum class StatusPanel {
    Icon = 1,
    Spare = 2,
    Version = 3,
    Percent = 5,
    Model = 6,
    Firmware = 7,
    Port = 8,
    Baud = 9,
};

// The program's own version, as the About box and the status panel show it.
QString programVersion();

class MainBar {
public:
    explicit MainBar(AppState& state) : state(state) {}

    AppState& state;
    QStatusBar* statusBar = nullptr;
    std::array<QLabel*, 10> panels{}; // 1..9
    QLineEdit* connectField = nullptr;
    QHash<QString, QAction*> commands;
    QIcon greenIcon, redIcon;

    QAction* command(const QString& name) const { return commands.value(name); }
    // Enables a command by name; a name no command has is a programming error.
    void enable(const QString& name, bool on) const;
    void enable(std::initializer_list<const char*> names, bool on) const;
    QLabel* panel(StatusPanel p) const { return panels[static_cast<size_t>(p)]; }
    void setPanel(StatusPanel p, const QString& text) const;
    void setStatusIcon(bool green) const;
    // Text of the connection field on green, or on the button-face colour.
    void setConnectField(const QString& text, bool green) const;

    // The blocks the pages' drawBar is made of.
    void loginCommands(bool offered) const;
    void versionPanel() const;
    void showNotConnected() const;
    void showConnectedEdit() const;
    void showConnectedNoTransfer() const;
    void showPolling(const QString& text) const;
    void showBusy(const QString& text) const;
    void holdConnect() const;
    void transferCommands(bool on) const;
};

} // namespace hvc
