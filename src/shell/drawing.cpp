#include "shell/drawing.h"

#include "shell/mainbar.h"
#include "shell/pageform.h"
#include "shell/shellcontext.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <cmath>

namespace hvc {

void drawStatus(ShellContext& context, MainBar& bar, QProgressBar* progressBar,
                const QString& statusText) {
    if (context.activePage)
        context.activePage->drawBar(bar, progressBar, statusText);
    AppState& state = context.state;
    if (progressBar) {
        progressBar->setValue(std::clamp(state.observers.progress.percent(), 0, 100));
        bar.setPanel(StatusPanel::Percent, QString::number(progressBar->value()) + u'%');
    } else {
        bar.setPanel(StatusPanel::Percent,
                     QString::number(state.observers.progress.percent()) + u'%');
    }
    const UnitVariable* version = state.document.catalogue.find(HvcId::HVC_PROG_VERS);
    const UnitVariable* sections = state.document.catalogue.find(HvcId::HVC_NUM_PROP_REG);
    bar.setPanel(StatusPanel::Firmware, firmwareText(version ? version->shownValue : 0));
    bar.setPanel(StatusPanel::Model, unitModelText(sections ? sections->shownValue : 0));
    setCommandState(context, bar);
}

void setCommandState(const ShellContext& context, const MainBar& bar) {
    bar.enable({"Help", "Info", "mnuHelp_Help", "mnuHelp_Info"}, true);
    const ConnectState state = context.state.session.connectState();
    if (state != ConnectState::NotConnected && state != ConnectState::Transfer)
        return;
    bar.transferCommands(false);
    QAction* button = bar.command(QStringLiteral("Connect"));
    QAction* item = bar.command(QStringLiteral("mnuHW_Connect"));
    if (button) {
        button->setChecked(state == ConnectState::Transfer);
        button->setEnabled(state == ConnectState::NotConnected);
        button->setToolTip(QStringLiteral("Connect"));
    }
    if (item) {
        item->setEnabled(state == ConnectState::NotConnected);
        if (state == ConnectState::NotConnected)
            item->setText(QStringLiteral("Connect"));
    }
    bar.enable("mnuSet_ComID", state == ConnectState::NotConnected);
    bar.enable("mnuSet_ComBauldID", false);
}

void setFieldColour(QLineEdit* field, const QColor& colour) {
    QPalette pal = field->palette();
    pal.setColor(QPalette::Base, colour);
    field->setPalette(pal);
}

void showParamState(const ShellContext& context, QLineEdit* textField) {
    const AppState& state = context.state;
    if (state.session.connectState() != ConnectState::Connected) {
        textField->setText(QStringLiteral("---"));
        setFieldColour(textField, QApplication::palette().color(QPalette::Button));
    } else if (state.document.flags.paramsDiffer()) {
        textField->setText(QStringLiteral("PARAMETER DIFF."));
        setFieldColour(textField, kPaleYellow);
    } else {
        textField->setText(QStringLiteral("PARAMETER OK"));
        setFieldColour(textField, kGreen);
    }
}

void selectAllText(QLineEdit* textField) {
    textField->setSelection(0, textField->text().size());
}

void centerForm(QWidget* window, const QWidget* parent) {
    if (!window || !parent)
        return;
    const QRect p = parent->frameGeometry();
    const QRect w = window->frameGeometry();
    window->move(p.left() + (p.width() - w.width()) / 2, p.top() + (p.height() - w.height()) / 2);
}

} // namespace hvc
