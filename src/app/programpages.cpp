#include "app/programpages.h"

#include "config/frmconfig.h"
#include "debugger/frmdebug.h"
#include "diagnostic/frmdiagnostic.h"
#include "inputs/frmjoycan.h"
#include "inputs/frmmagsel.h"
#include "monitor/frmmonitor.h"

#include <QLabel>
#include <QPointer>
#include <memory>

namespace hvc {

FrmMagSel* makeDitherDialog(ShellContext& context, FrmConfig* page) {
    auto* dialog = page->findChild<FrmMagSel*>();
    if (!dialog) {
        dialog = new FrmMagSel(context, page);
        dialog->setSolenoidPicture(page->defaultSolenoidPicture());
        QObject::connect(dialog, &FrmMagSel::drawDitherRequested, page, &FrmConfig::drawDither);
    }
    return dialog;
}

FrmMagSel* openDitherDialog(ShellContext& context, FrmConfig* page) {
    FrmMagSel* dialog = makeDitherDialog(context, page);
    dialog->present();
    return dialog;
}

FrmJoyCan* openCanSettingsDialog(ShellContext& context, FrmConfig* page) {
    auto* dialog = page->findChild<FrmJoyCan*>();
    if (!dialog) {
        dialog = new FrmJoyCan(context, page);
        QObject::connect(dialog, &FrmJoyCan::configDrawJoyRequested, page,
                         &FrmConfig::configDrawJoy);
    }
    dialog->present();
    return dialog;
}

void showConfigPageOnMonitor(FrmMonitor* monitor, FrmConfig* config) {
    const QPointer<FrmConfig> page(config);
    auto label = [page](const char* name, int section) -> const QLabel* {
        return page ? page->findChild<QLabel*>(
                          QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(section))
                    : nullptr;
    };
    monitor->setConfigPage({[label](int section) { return label("LblPin", section); },
                            [label](int section) { return label("JoySel", section); },
                            [page] { return page ? page->defaultSolenoidPicture() : QPixmap(); }});
    // A new solenoid type on the configuration page redraws the monitor's pictures.
    if (config)
        QObject::connect(config, &FrmConfig::solenoidsDrawn, &monitor->model(),
                         &MonitorModel::requestMagRedraw);
}

PageFactory programPages() {
    // The configuration page is built first; the monitor copies from it.
    auto config = std::make_shared<QPointer<FrmConfig>>();
    return [config](ShellContext& context, Page page, QWidget* parent) -> PageForm* {
        if (page == Page::Config) {
            auto* configPage = new FrmConfig(context, parent);
            // The dither dialog is built with its page, hidden, so the first click
            // only shows it.
            makeDitherDialog(context, configPage);
            QObject::connect(configPage, &FrmConfig::ditherRequested, configPage,
                             [&context, configPage] { openDitherDialog(context, configPage); });
            QObject::connect(
                configPage, &FrmConfig::canSettingsRequested, configPage,
                [&context, configPage] { openCanSettingsDialog(context, configPage); });
            *config = configPage;
            return configPage;
        }
        if (page == Page::Debugger)
            return new FrmDebug(context, parent);
        if (page == Page::Monitor) {
            auto* monitor = new FrmMonitor(context, parent);
            showConfigPageOnMonitor(monitor, *config);
            return monitor;
        }
        if (page == Page::Diagnostic)
            return new FrmDiagnostic(context, parent);
        return nullptr;
    };
}

} // namespace hvc
