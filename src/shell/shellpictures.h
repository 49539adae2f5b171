#pragma once
// The pictures the window and the pages share: the status icons, the green
// picture and the joystick catalogue's pictures.

#include "shell/joypictures.h"

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace hvc {

class ShellPictures {
public:
    // Loads the status icons and the green picture from the resource folder.
    void load(const QString& resDir);

    QIcon greenIcon, whiteIcon, redIcon;
    QPixmap greenPicture;
    // The pictures of UnitDocument::joysticks; loaded with it when the configuration page loads.
    JoyPictures joyPictures;
};

} // namespace hvc
