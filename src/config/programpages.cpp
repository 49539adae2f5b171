#include "config/programpages.h"

#include "config/frmconfig.h"
#include "inputs/frmjoycan.h"
#include "inputs/frmmagsel.h"

namespace hvc {

FrmMagSel* OpenDitherDialog(ShellContext& context, FrmConfig* page) {
    auto* dialog = page->findChild<FrmMagSel*>();
    if (!dialog) {
        dialog = new FrmMagSel(context, page);
        dialog->SetSolenoidPicture(page->DefaultSolenoidPicture());
        QObject::connect(dialog, &FrmMagSel::drawDitherRequested, page, &FrmConfig::DrawDither);
    }
    dialog->present();
    return dialog;
}

FrmJoyCan* OpenCanSettingsDialog(ShellContext& context, FrmConfig* page) {
    auto* dialog = page->findChild<FrmJoyCan*>();
    if (!dialog) {
        dialog = new FrmJoyCan(context, page);
        QObject::connect(dialog, &FrmJoyCan::configDrawJoyRequested, page,
                         &FrmConfig::ConfigDrawJoy);
    }
    dialog->present();
    return dialog;
}

PageFactory ProgramPages() {
    return [](ShellContext& context, Page page, QWidget* parent) -> PageForm* {
        if (page == Page::Config) {
            auto* config = new FrmConfig(context, parent);
            QObject::connect(config, &FrmConfig::ditherRequested, config,
                             [&context, config] { OpenDitherDialog(context, config); });
            QObject::connect(config, &FrmConfig::canSettingsRequested, config,
                             [&context, config] { OpenCanSettingsDialog(context, config); });
            return config;
        }
        return nullptr;
    };
}

} // namespace hvc
