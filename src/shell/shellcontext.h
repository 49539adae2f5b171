#pragma once
// What the desktop program keeps beside the core's AppState for the whole run:
// where its files are, the shared pictures, the section colours, the controller
// names, and the hooks to the port table and the document viewer.

#include "core/appstate.h"
#include "shell/shellpictures.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace hvc {

class PageForm;

// Four colours per table, section 1..4 at index 0..3, 0x00BBGGRR or a system
// colour code (high bit set).
struct SectionColours {
    std::array<std::int32_t, 4> sectionBackColor{};
    std::array<std::int32_t, 4> sectionForeColor{};
    bool operator==(const SectionColours&) const = default;
};

// What the desktop around the program provides: the port table and the
// document viewer.
struct ShellHooks {
    // Chooses the port of the next OpenLink.
    std::function<void(int)> selectPort;
    // The device path shown as the tooltip of a COM item.
    std::function<QString(int)> portPath;
    // Opens a file or address with the desktop; false when nothing could open it.
    std::function<bool(const QString& target)> openDocument;
};

class ShellContext {
public:
    ShellContext(AppState& state, QString programDir, QString resDir);

    AppState& state;
    QString programDir;
    QString resDir;
    // The user's settings folder (colour.ini); empty: the resource folder's ini/.
    QString configDir;

    // Path of a file below the resource folder, e.g. resPath("ini/Ramlist.ini").
    QString resPath(const QString& relative) const;
    // A settings file the program writes ("colour.ini", "options.ini"): in the
    // user's settings folder, or in res/ini when none is set (tests, a build
    // folder run by hand).
    QString settingsPath(const QString& name) const;
    // Loads the status icons, the green picture and the controller names.
    void loadPictures();

    ShellPictures pictures;
    std::array<QString, 8> controllerNames;
    SectionColours colours;

    PageForm* activePage = nullptr;

    ShellHooks hooks;
    // Drawings that must be redone when the connection indicator falls to 0
    // (the monitor registers its joystick and solenoid drawings here).
    std::vector<std::function<void()>> disconnectRedraws;
};

} // namespace hvc
