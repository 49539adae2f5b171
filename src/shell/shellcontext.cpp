#include "shell/shellcontext.h"

#include "shell/helplauncher.h"

#include <QDir>

namespace hvc {

ShellContext::ShellContext(AppState& s, QString program, QString res)
    : state(s), programDir(std::move(program)), resDir(std::move(res)) {
    controllerNames.fill(QStringLiteral("CTRLBOX"));
    hooks.openDocument = &HelpLauncher::openWithDesktop;
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
    pictures.load(resDir);
    controllerNames.fill(QStringLiteral("CTRLBOX"));
}

} // namespace hvc
