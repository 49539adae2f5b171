#include "shell/mainbar.h"

#include "shell/spokenvalue.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QStatusBar>

namespace hvc {

QString programVersion() {
    return QStringLiteral(HVC_VERSION);
}

void MainBar::enable(const QString& name, bool on) const {
    QAction* a = command(name);
    Q_ASSERT_X(a || commands.isEmpty(), "MainBar::enable", qPrintable(name));
    if (a)
        a->setEnabled(on);
}

void MainBar::enable(std::initializer_list<const char*> names, bool on) const {
    for (const char* n : names)
        enable(QString::fromLatin1(n), on);
}

void MainBar::setPanel(StatusPanel p, const QString& text) const {
    if (QLabel* label = panel(p))
        showValue(label, text);
}

void MainBar::setStatusIcon(bool green) const {
    if (QLabel* p = panel(StatusPanel::Icon)) {
        const QIcon& icon = green ? greenIcon : redIcon;
        p->setPixmap(icon.pixmap(16, 16));
        const QString state = green ? QStringLiteral("Connected") : QStringLiteral("Not Connected");
        p->setToolTip(state);
        speakValue(p, QStringLiteral("Connection indicator"), state);
    }
}

void MainBar::setConnectField(const QString& text, bool green) const {
    if (!connectField)
        return;
    connectField->setText(text);
    speakValue(connectField, QStringLiteral("Connection state"), text);
    QPalette pal = connectField->palette();
    pal.setColor(QPalette::Base, green ? kGreen : QApplication::palette().color(QPalette::Button));
    connectField->setPalette(pal);
}

void MainBar::loginCommands(bool offered) const {
    const bool in = state.session.loggedIn;
    enable({"Login", "mnuSet_Login"}, offered && !in);
    enable({"Logout", "mnuSet_Logout"}, offered && in);
}

void MainBar::versionPanel() const {
    setPanel(StatusPanel::Version, QStringLiteral("v. ") + programVersion());
}

void MainBar::showNotConnected() const {
    setStatusIcon(false);
    setConnectField(QStringLiteral("Not Connected"), false);
    state.observers.progress.setPercent(0);
}

void MainBar::transferCommands(bool on) const {
    enable({"mnuHW_ReadAll", "mnuHW_WriteAll", "mnuHw_Reset", "mnuHw_Read", "mnuHW_Write",
            "Read All", "Write All", "Reset", "Read", "Write"},
           on);
}

void MainBar::showConnectedEdit() const {
    setStatusIcon(true);
    setConnectField(QStringLiteral("Connected"), true);
    state.observers.progress.setPercent(0);
    enable({"mnuHW_ReadAll", "mnuHW_WriteAll", "Read All", "Write All"}, false);
    enable({"mnuHw_Reset", "mnuHw_Read", "mnuHW_Write", "Load Configuration", "Save Configuration",
            "Reset", "Read", "Write"},
           true);
    holdConnect();
}

void MainBar::showConnectedNoTransfer() const {
    setStatusIcon(true);
    setConnectField(QStringLiteral("Connected"), true);
    state.observers.progress.setPercent(0);
    transferCommands(false);
    holdConnect();
}

void MainBar::showPolling(const QString& text) const {
    setStatusIcon(true);
    setConnectField(text, true);
    transferCommands(false);
    holdConnect();
}

void MainBar::showBusy(const QString& text) const {
    setStatusIcon(true);
    setConnectField(text, true);
}

void MainBar::holdConnect() const {
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
