#include "core/verifysetting.h"

#include <QFile>
#include <QSaveFile>

namespace hvc {

namespace {

constexpr const char* kKey = "VerifyWrites=";

} // namespace

bool loadVerifySetting(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return true;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine(256).trimmed();
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
