#pragma once
// The main window's menus, toolbar and status bar. Every menu item and toolbar
// button is a QAction registered in MainBar under its name (the menu item's
// control name, the button's key), so that pages, the window and tests reach
// them by that name.

#include <QList>
#include <QString>
#include <functional>

class QAction;
class QLineEdit;
class QMainWindow;
class QMenu;
class QProgressBar;
class QToolBar;

namespace hvc {

class MainBar;

class CommandBar {
public:
    // Builds everything on `window`; `portPath` gives the device path of COM n
    // for the port items' tooltips.
    CommandBar(QMainWindow& window, MainBar& bar, const std::function<QString(int)>& portPath);

    // Calls `slot` when any of the named commands is triggered.
    void onTriggered(std::initializer_list<const char*> names,
                     const std::function<void()>& slot) const;

    QToolBar* toolBar() const { return m_toolBar; }
    QProgressBar* progressBar() const { return m_progressBar; }
    QLineEdit* fileStateField() const { return m_fileStateField; }
    QAction* connectButton() const { return m_connectButton; }
    // "None", COM 1..14, and the one baud rate.
    const QList<QAction*>& portItems() const { return m_portItems; }
    const QList<QAction*>& baudItems() const { return m_baudItems; }
    // Ticks COM n (none for 0) and shows it in the port panel.
    void showPort(int comPort) const;
    // Ticks baud item `index`; returns its text, or "" for an index out of range.
    QString checkBaud(int index) const;

private:
    void buildMenus(QMainWindow& window, const std::function<QString(int)>& portPath);
    void buildToolBar();
    void buildStatusBar(QMainWindow& window);
    QAction* menuItem(QMenu* menu, const char* caption, const char* name);
    QAction* button(const char* key, const char* tooltip);

    MainBar& m_bar;
    QToolBar* m_toolBar;
    QProgressBar* m_progressBar;
    QLineEdit* m_fileStateField;
    QLineEdit* m_connectField;
    QAction* m_connectButton = nullptr;
    QList<QAction*> m_portItems;
    QList<QAction*> m_baudItems;
};

} // namespace hvc
