#include "core/installlayout.h"

#include <QDir>
#include <QFileInfo>

namespace hvc {

namespace {
const char* const kManual = "HVCMANUAL.pdf";
const char* const kInstalledRes = "../share/hvc-configurator/res";
const char* const kInstalledDoc = "../share/doc/hvc-configurator";
} // namespace

QString resourceDirFor(const QString& programDir) {
    const QDir dir(programDir);
    QString beside = dir.filePath(QStringLiteral("res"));
    if (QFileInfo(beside).isDir())
        return beside;
    const QString installed = QDir::cleanPath(dir.filePath(QString::fromLatin1(kInstalledRes)));
    return QFileInfo(installed).isDir() ? installed : beside;
}

QString manualPathFor(const QString& programDir) {
    const QDir dir(programDir);
    for (const QString& candidate :
         {dir.filePath(QString::fromLatin1(kManual)),
          QDir::cleanPath(dir.filePath(QString::fromLatin1(kInstalledDoc) + u'/' +
                                       QString::fromLatin1(kManual)))})
        if (QFileInfo(candidate).isFile())
            return candidate;
    return {};
}

} // namespace hvc
