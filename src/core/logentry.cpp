#include "core/logentry.h"

#include <QJsonArray>

namespace hvc {

namespace {

QString timeText(const QDateTime& t) {
    return t.toUTC().toString(Qt::ISODateWithMs);
}

QDateTime timeFrom(const QString& text) {
    QDateTime t = QDateTime::fromString(text, Qt::ISODateWithMs);
    t.setTimeSpec(Qt::UTC);
    return t;
}

QJsonValue wordJson(const std::optional<std::int32_t>& w) {
    return w ? QJsonValue(*w) : QJsonValue();
}

std::optional<std::int32_t> wordJson(const QJsonValue& v) {
    if (!v.isDouble())
        return std::nullopt;
    return v.toInt();
}

} // namespace

std::optional<std::int32_t> LogWord::image() const {
    return readBack ? readBack : sent;
}

int LogEntry::changedWords() const {
    if (words.isEmpty())
        return changedCount;
    int n = 0;
    for (const LogWord& w : words)
        n += w.before && w.image() && ((*w.image() ^ *w.before) & 0xFFFF) != 0 ? 1 : 0;
    return n;
}

QJsonObject LogEntry::toJson(bool withWords) const {
    QJsonObject o{{QStringLiteral("id"), id},
                  {QStringLiteral("kind"), kind},
                  {QStringLiteral("time"), timeText(time)},
                  {QStringLiteral("user"), user},
                  {QStringLiteral("serviceLogin"), serviceLogin},
                  {QStringLiteral("program"), program},
                  {QStringLiteral("version"), version},
                  {QStringLiteral("port"), port},
                  {QStringLiteral("outcome"), outcome},
                  {QStringLiteral("known"), unit.known},
                  {QStringLiteral("model"), unit.model},
                  {QStringLiteral("serial"), unit.serial},
                  {QStringLiteral("firmware"), unit.firmware},
                  {QStringLiteral("changed"), changedWords()}};
    if (withWords) {
        QJsonArray list;
        for (const LogWord& w : words)
            list.append(QJsonObject{{QStringLiteral("name"), w.name},
                                    {QStringLiteral("address"), w.address},
                                    {QStringLiteral("before"), wordJson(w.before)},
                                    {QStringLiteral("sent"), wordJson(w.sent)},
                                    {QStringLiteral("readBack"), wordJson(w.readBack)}});
        o.insert(QStringLiteral("words"), list);
    }
    return o;
}

LogEntry LogEntry::fromJson(const QJsonObject& o) {
    LogEntry e;
    e.kind = o.value(QStringLiteral("kind")).toString();
    e.time = timeFrom(o.value(QStringLiteral("time")).toString());
    e.user = o.value(QStringLiteral("user")).toString();
    e.serviceLogin = o.value(QStringLiteral("serviceLogin")).toBool();
    e.program = o.value(QStringLiteral("program")).toString();
    e.version = o.value(QStringLiteral("version")).toString();
    e.port = o.value(QStringLiteral("port")).toString();
    e.outcome = o.value(QStringLiteral("outcome")).toString();
    e.unit.known = o.value(QStringLiteral("known")).toBool();
    e.unit.model = o.value(QStringLiteral("model")).toString();
    e.unit.serial = o.value(QStringLiteral("serial")).toString();
    e.unit.firmware = o.value(QStringLiteral("firmware")).toString();
    if (!e.unit.known)
        e.unit.port = e.port;
    const QJsonArray words = o.value(QStringLiteral("words")).toArray();
    for (const auto& v : words) {
        const QJsonObject w = v.toObject();
        e.words.append(
            {w.value(QStringLiteral("name")).toString(), w.value(QStringLiteral("address")).toInt(),
             wordJson(w.value(QStringLiteral("before"))), wordJson(w.value(QStringLiteral("sent"))),
             wordJson(w.value(QStringLiteral("readBack")))});
    }
    return e;
}

bool isWholeImageKind(const QString& kind) {
    return kind == QLatin1String("connect") || kind == QLatin1String("read-all");
}

QString entryKindText(const QString& kind) {
    static const QList<std::pair<QString, QString>> kCaptions = {
        {QStringLiteral("connect"), QStringLiteral("Connect")},
        {QStringLiteral("read-all"), QStringLiteral("Read All")},
        {QStringLiteral("write"), QStringLiteral("Write")},
        {QStringLiteral("write-all"), QStringLiteral("Write All")},
        {QStringLiteral("set"), QStringLiteral("Set")},
        {QStringLiteral("restore"), QStringLiteral("Restore")},
        {QStringLiteral("defaults"), QStringLiteral("Reset")},
    };
    for (const auto& [k, caption] : kCaptions)
        if (k == kind)
            return caption;
    return kind;
}

} // namespace hvc
