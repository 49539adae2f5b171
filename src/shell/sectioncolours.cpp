#include "shell/sectioncolours.h"

#include "core/textfile.h"

#include <QApplication>
#include <QPalette>
#include <QSaveFile>
#include <QTextStream>

namespace hvc {

namespace {

constexpr std::int32_t rgb(int r, int g, int b) {
    return r + 256 * g + 65536 * b;
}

struct SchemeRow {
    std::int32_t back[4];
    std::int32_t fore[4];
};

constexpr SchemeRow kSchemes[kSchemeCount] = {
    {{rgb(128, 0, 0), rgb(128, 128, 128), kSysWindow, rgb(0, 0, 0)},
     {rgb(255, 255, 255), rgb(255, 255, 255), kSysWindowText, kSysWindow}},
    {{rgb(255, 0, 0), rgb(255, 255, 0), rgb(0, 0, 192), rgb(128, 128, 255)},
     {rgb(255, 255, 255), kSysWindowText, rgb(255, 255, 255), rgb(255, 255, 255)}},
    {{rgb(128, 64, 0), rgb(255, 224, 192), rgb(255, 128, 128), rgb(192, 0, 0)},
     {rgb(255, 255, 255), rgb(0, 0, 0), kSysWindowText, kSysWindowText}},
    {{rgb(128, 0, 128), rgb(255, 224, 192), rgb(255, 128, 0), rgb(255, 0, 0)},
     {rgb(255, 255, 255), rgb(0, 0, 0), kSysWindowText, kSysWindowText}},
    {{rgb(255, 0, 0), rgb(0, 192, 0), rgb(0, 0, 192), rgb(255, 255, 0)},
     {rgb(255, 255, 255), rgb(255, 255, 255), rgb(255, 255, 255), rgb(0, 0, 0)}},
    {{rgb(192, 0, 0), rgb(255, 192, 192), rgb(255, 0, 0), rgb(0, 0, 192)},
     {rgb(255, 255, 255), rgb(0, 0, 0), rgb(255, 255, 255), rgb(255, 255, 255)}},
};

} // namespace

SectionColours schemeColours(int scheme) {
    const SchemeRow& row = kSchemes[std::clamp(scheme, 0, kSchemeCount - 1)];
    SectionColours c;
    for (int k = 0; k < 4; ++k) {
        c.sectionBackColor[k] = row.back[k];
        c.sectionForeColor[k] = row.fore[k];
    }
    return c;
}

QColor toQColor(std::int32_t code) {
    const auto bits = static_cast<std::uint32_t>(code);
    if (bits & 0x80000000u) {
        const QPalette pal = QApplication::palette();
        switch (bits & 0xFFu) {
        case 5: // window background
            return pal.color(QPalette::Base);
        case 8: // window text
            return pal.color(QPalette::Text);
        case 15: // button face
            return pal.color(QPalette::Button);
        case 18: // button text
            return pal.color(QPalette::ButtonText);
        default:
            return pal.color(QPalette::Window);
        }
    }
    return QColor(bits & 0xFFu, (bits >> 8) & 0xFFu, (bits >> 16) & 0xFFu);
}

std::int32_t fromQColor(const QColor& c) {
    return rgb(c.red(), c.green(), c.blue());
}

bool loadColorFromFile(const QString& path, SectionColours& colours) {
    QByteArray bytes;
    if (!readWholeFile(path, QStringLiteral("colour file"), kMaxSettingsFileSize, bytes))
        return false;
    std::int32_t values[8];
    const QList<QByteArray> lines = bytes.split('\n');
    for (int k = 0; k < 8; ++k) {
        std::int32_t& v = values[k];
        if (k >= lines.size())
            return false;
        bool ok = false;
        v = lines.at(k).trimmed().toInt(&ok);
        if (!ok)
            return false;
    }
    for (int k = 0; k < 4; ++k) {
        colours.sectionBackColor[k] = values[k];
        colours.sectionForeColor[k] = values[4 + k];
    }
    return true;
}

bool saveFileColour(const QString& path, const SectionColours& colours) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&file);
    for (std::int32_t v : colours.sectionBackColor)
        out << v << '\n';
    for (std::int32_t v : colours.sectionForeColor)
        out << v << '\n';
    out.flush();
    return file.commit();
}

QString colourFilePath(const ShellContext& context) {
    return context.settingsPath(QStringLiteral("colour.ini"));
}

void frmSectionColourInit(ShellContext& context) {
    if (!loadColorFromFile(colourFilePath(context), context.colours))
        context.colours = schemeColours(0);
}

} // namespace hvc
