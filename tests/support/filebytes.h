#pragma once
// Whole-file reads and writes for tests that check or forge files byte by byte.
#include <QByteArray>
#include <QFile>
#include <QString>

namespace hvc::testutil {

// The file's bytes; empty when it cannot be read.
inline QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Replaces the file with exactly these bytes; false when that failed.
inline bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace hvc::testutil
