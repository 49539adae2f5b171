#include "shell/shellcontext.h"

#include "shell/helplauncher.h"

#include <QDir>

namespace hvc {

ShellContext::ShellContext(AppState& s, QString program, QString res)
    : state(s), programDir(std::move(program)), resDir(std::move(res)) {
    controllerNames.fill(QStringLiteral("CTRLBOX"));
    openDocument = &HelpLauncher::openWithDesktop;
}

QString ShellContext::resPath(const QString& relative) const {
    return QDir(resDir).filePath(relative);
}

QString ShellContext::settingsPath(const QString& name) const {
    if (configDir.isEmpty())
        return resPath(QStringLiteral("ini/") + name);
    return QDir(configDir).filePath(name);
}

void ShellContext::loadPictures() {
    // A missing file leaves a null icon or picture; the widgets draw without it.
    greenIcon = QIcon(resPath(QStringLiteral("ico/Green 16.ico")));
    whiteIcon = QIcon(resPath(QStringLiteral("ico/White 16.ico")));
    redIcon = QIcon(resPath(QStringLiteral("ico/Red 16.ico")));
    greenPicture = QPixmap(resPath(QStringLiteral("bmp/green.jpg")));
    controllerNames.fill(QStringLiteral("CTRLBOX"));
}

} // namespace hvc
