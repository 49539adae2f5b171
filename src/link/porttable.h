#pragma once
// COM port numbers as the program and its connection string know them, mapped to
// device paths: "--port COMn=PATH" entries, else /dev/ttyS<n-1>.

#include <QMap>
#include <QString>

namespace hvc {

class PortTable {
public:
    // "COM3=/dev/ttyUSB0" -> 3 and "/dev/ttyUSB0". "COM" in any case, n >= 1,
    // a non-empty path.
    static bool parseMapping(const QString& text, int& n, QString& path);

    void set(int n, const QString& path);
    // The mapped path, else /dev/ttyS<n-1>; empty for n < 1 without a mapping.
    QString devicePath(int n) const;
    const QMap<int, QString>& mappings() const { return m_paths; }

private:
    QMap<int, QString> m_paths;
};

} // namespace hvc
