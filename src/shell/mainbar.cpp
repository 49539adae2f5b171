#include "shell/mainbar.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QStatusBar>

namespace hvc {

QString ProgramVersion() {
    return QStringLiteral(HVC_VERSION);
}

void MainBar::enable(const QString& name, bool on) const {
    if (QAction* a = command(name))
        a->setEnabled(on);
}

void MainBar::enable(std::initializer_list<const char*> names, bool on) const {
    for (const char* n : names)
        enable(QString::fromLatin1(n), on);
}

void MainBar::setPanel(int n, const QString& text) const {
    if (n > 0 && n < static_cast<int>(panels.size()) && panels[n])
        panels[n]->setText(text);
}

void MainBar::setStatusIcon(bool green) const {
    if (QLabel* p = panels[1]) {
        const QIcon& icon = green ? greenIcon : redIcon;
        p->setPixmap(icon.pixmap(16, 16));
        p->setToolTip(green ? QStringLiteral("Connected") : QStringLiteral("Not Connected"));
    }
}

void MainBar::setConnectField(const QString& text, bool green) const {
    if (!TxtConnect)
        return;
    TxtConnect->setText(text);
    QPalette pal = TxtConnect->palette();
    pal.setColor(QPalette::Base, green ? kGreen : QApplication::palette().color(QPalette::Button));
    TxtConnect->setPalette(pal);
}

void MainBar::LoginCommands(bool offered) const {
    const bool in = state.LoggedIn;
    enable({"Login", "mnuSet_Login"}, offered && !in);
    enable({"Logout", "mnuSet_Logout"}, offered && in);
}

void MainBar::VersionPanel() const {
    setPanel(3, QStringLiteral("v. ") + ProgramVersion());
}

void MainBar::NotConnected() const {
    setStatusIcon(false);
    setConnectField(QStringLiteral("Not Connected"), false);
    state.ProgressPercent = 0;
}

void MainBar::TransferCommands(bool on) const {
    enable({"mnuHW_ReadAll", "mnuHW_WriteAll", "mnuHw_Reset", "mnuHw_Read", "mnuHW_Write",
            "Read All", "Write All", "Reset", "Read", "Write"},
           on);
}

void MainBar::ConnectedEdit() const {
    setStatusIcon(true);
    setConnectField(QStringLiteral("Connected"), true);
    state.ProgressPercent = 0;
    enable({"mnuHW_ReadAll", "mnuHW_WriteAll", "Read All", "Write All"}, false);
    enable({"mnuHw_Reset", "mnuHw_Read", "mnuHW_Write", "Load Configuration", "Save Configuration",
            "Reset", "Read", "Write"},
           true);
    ConnectHeld();
}

void MainBar::ConnectedNoTransfer() const {
    setStatusIcon(true);
    setConnectField(QStringLiteral("Connected"), true);
    state.ProgressPercent = 0;
    TransferCommands(false);
    ConnectHeld();
}

void MainBar::Polling(const QString& text) const {
    setStatusIcon(true);
    setConnectField(text, true);
    TransferCommands(false);
    ConnectHeld();
}

void MainBar::Busy(const QString& text) const {
    setStatusIcon(true);
    setConnectField(text, true);
}

void MainBar::ConnectHeld() const {
    if (QAction* b = command(QStringLiteral("Connect"))) {
        b->setEnabled(true);
        b->setChecked(true);
        b->setToolTip(QStringLiteral("Disconnect"));
    }
    if (QAction* m = command(QStringLiteral("mnuHW_Connect"))) {
        m->setText(QStringLiteral("Disconnect"));
        m->setEnabled(true);
    }
    enable({"mnuSet_ComID", "mnuSet_ComBauldID"}, false);
}

} // namespace hvc
