#include "core/logbooksetting.h"

#include "core/textfile.h"

#include <QSaveFile>
#include <QUrl>
#include <QUrlQuery>

namespace hvc {

namespace {

constexpr const char* kRecordKey = "Record=";
constexpr const char* kLocationKey = "Location=";

} // namespace

LogbookSetting loadLogbookSetting(const QString& path) {
    LogbookSetting setting;
    QByteArray bytes;
    if (!readWholeFile(path, QStringLiteral("settings file"), kMaxSettingsFileSize, bytes))
        return setting;
    for (const QByteArray& raw : bytes.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith(kRecordKey))
            setting.record = line.mid(static_cast<qsizetype>(qstrlen(kRecordKey))) != "0";
        else if (line.startsWith(kLocationKey))
            setting.location =
                QString::fromUtf8(line.mid(static_cast<qsizetype>(qstrlen(kLocationKey))));
    }
    return setting;
}

bool saveLogbookSetting(const QString& path, const LogbookSetting& setting) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    // A line break would start a line of its own: the location ends at the first.
    const QString location = setting.location.section(u'\n', 0, 0).trimmed();
    file.write(QByteArray(kRecordKey) + (setting.record ? "1\n" : "0\n") + kLocationKey +
               location.toUtf8() + '\n');
    return file.commit();
}

Status checkLogbookLocation(const QString& location) {
    if (!location.startsWith(QLatin1String("postgresql:")) &&
        !location.startsWith(QLatin1String("postgres:")))
        return {};
    const QUrl url(location);
    if (!url.password().isEmpty() || QUrlQuery(url).hasQueryItem(QStringLiteral("password")))
        return Status::failure(QStringLiteral(
            "The logbook's address must not hold a password: it would be kept in a plain "
            "file. Leave it out of the URL and put it in ~/.pgpass (or PGPASSFILE, PGSERVICE "
            "or PGPASSWORD)."));
    return {};
}

} // namespace hvc
