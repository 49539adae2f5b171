#include "shell/shellpictures.h"

#include <QDir>

namespace hvc {

void ShellPictures::load(const QString& resDir) {
    const QDir res(resDir);
    // A missing file leaves a null icon or picture; the widgets draw without it.
    greenIcon = QIcon(res.filePath(QStringLiteral("ico/Green 16.ico")));
    whiteIcon = QIcon(res.filePath(QStringLiteral("ico/White 16.ico")));
    redIcon = QIcon(res.filePath(QStringLiteral("ico/Red 16.ico")));
    greenPicture = QPixmap(res.filePath(QStringLiteral("bmp/green.jpg")));
}

} // namespace hvc
