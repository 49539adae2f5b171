#pragma once
// The pages the desktop program builds into its main window (the rest stay the
// shell's own until they arrive), and the dialogs they open.

#include "shell/pagehost.h"

namespace hvc {

class FrmConfig;
class FrmJoyCan;
class FrmMagSel;
class FrmMonitor;

PageFactory programPages();

// The monitor shows the configuration page's pin captions and pictures.
void showConfigPageOnMonitor(FrmMonitor* monitor, FrmConfig* config);

// The page's one dither dialog: made hidden with the page, then opened and
// brought to front on each request.
FrmMagSel* makeDitherDialog(ShellContext& context, FrmConfig* page);
FrmMagSel* openDitherDialog(ShellContext& context, FrmConfig* page);
// The page's one joystick and digital settings dialog, made on first use, shown
// (loaded anew when it was hidden) and brought to front.
FrmJoyCan* openCanSettingsDialog(ShellContext& context, FrmConfig* page);

} // namespace hvc
