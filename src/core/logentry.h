#pragma once
// One entry of the unit logbook: a read or write of a unit with the words it
// touched, who did it, when and how it ended.

#include "core/unitidentity.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

namespace hvc {

// One word of an entry: what the unit held before, what was sent, what it held after.
struct LogWord {
    QString name;
    std::int32_t address = 0;
    std::optional<std::int32_t> before;
    std::optional<std::int32_t> sent;
    std::optional<std::int32_t> readBack;
    // The word the unit holds after the entry, as far as known.
    std::optional<std::int32_t> image() const;
};

struct LogEntry {
    qint64 id = 0;
    QString kind;   // connect, read-all, write, write-all, set, restore, defaults
    QDateTime time; // UTC
    QString user;
    bool serviceLogin = false;
    QString program;
    QString version;
    QString port;
    QString outcome; // "ok", "differs", "failed: ..."
    UnitIdentity unit;
    QList<LogWord> words;
    // How many words changed, for an entry listed without its words.
    int changedCount = 0;
    // Words whose value the entry changed: the word read back, else the one sent,
    // differs from the one before (compared as 16-bit unit words). Without words,
    // changedCount.
    int changedWords() const;
    QJsonObject toJson(bool withWords) const;
    static LogEntry fromJson(const QJsonObject& object);
};

// Whether entries of `kind` hold the unit's whole image as read (connect, read-all).
bool isWholeImageKind(const QString& kind);
// The caption a kind is shown with: "Connect", "Write All", "Reset", ...
QString entryKindText(const QString& kind);

} // namespace hvc
