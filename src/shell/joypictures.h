#pragma once
// The pictures of the joystick catalogue's models, the three shared ones and the
// hand pointer, loaded from the resource folder beside the catalogue.

#include "core/joycatalogue.h"

#include <QCursor>
#include <QPixmap>
#include <QString>
#include <array>

namespace hvc {

class JoyPictures {
public:
    // Loads the pictures of every record of the catalogue from `folder` (res/bmp/joy)
    // and the hand pointer from res/ico beside it. A missing file leaves its picture
    // empty and is never reported; pending events run between pictures.
    void load(const JoyCatalogue& catalogue, const QString& folder);
    // A record's picture; an empty one for a position beyond the catalogue.
    QPixmap picture(int position, JoyPicture kind = JoyPicture::Normal) const;
    QPixmap unknownPicture() const { return m_unknown; }
    QPixmap notUsedPicture() const { return m_notUsed; }
    QPixmap customPicture() const { return m_custom; }
    // The pointer shown over the solenoid pictures; the arrow-less pointing hand of
    // the system when the icon file is missing.
    QCursor handCursor() const { return m_hand; }

private:
    static constexpr int kKinds = 6;
    std::array<std::array<QPixmap, kKinds>, JoyCatalogue::kMaxRecords> m_pictures;
    QPixmap m_unknown;
    QPixmap m_notUsed;
    QPixmap m_custom;
    QCursor m_hand{Qt::PointingHandCursor};
};

} // namespace hvc
