#pragma once
// Where the tests find their files: the data folder (HVC_TEST_DATA) and the
// checkout (HVC_SOURCE_DIR), both defined for test targets only.
#include <QString>

namespace hvc::test {

// A file of tests/data.
inline QString dataPath(const char* name) {
    return QStringLiteral(HVC_TEST_DATA "/") + QString::fromUtf8(name);
}

// A file of the checkout, e.g. sourcePath("res/ini/Ramlist.ini").
inline QString sourcePath(const char* relative) {
    return QStringLiteral(HVC_SOURCE_DIR "/") + QString::fromUtf8(relative);
}

} // namespace hvc::test
