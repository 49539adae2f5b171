#include "core/verifysetting.h"

#include "core/textfile.h"

#include <QSaveFile>

namespace hvc {

namespace {

constexpr const char* kKey = "VerifyWrites=";

} // namespace

bool loadVerifySetting(const QString& path) {
    QByteArray bytes;
    if (!readWholeFile(path, QStringLiteral("settings file"), kMaxSettingsFileSize, bytes))
        return true;
    for (const QByteArray& raw : bytes.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith(kKey))
            return line.mid(static_cast<qsizetype>(qstrlen(kKey))) != "0";
    }
    return true;
}

bool saveVerifySetting(const QString& path, bool on) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    file.write(QByteArray(kKey) + (on ? "1\n" : "0\n"));
    return file.commit();
}

} // namespace hvc
