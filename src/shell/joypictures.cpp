#include "shell/joypictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>

namespace hvc {

namespace {

constexpr JoyPicture kKindOrder[] = {JoyPicture::Normal, JoyPicture::X, JoyPicture::Y,
                                     JoyPicture::Z,      JoyPicture::W, JoyPicture::Off};

QPixmap loadIfExists(const QString& path) {
    // Only a regular file: a FIFO or a device node in the folder would hold the window.
    if (!QFileInfo(path).isFile())
        return {};
    return QPixmap(path);
}

// The tip of the index finger in HandIE.ico (32 x 32, painted by hvc-artwork).
constexpr int kHandHotX = 11;
constexpr int kHandHotY = 1;

} // namespace

void JoyPictures::load(const JoyCatalogue& catalogue, const QString& folder) {
    const QDir dir(folder);
    m_unknown = loadIfExists(dir.filePath(QStringLiteral("Unknow.jpg")));
    m_notUsed = loadIfExists(dir.filePath(QStringLiteral("NOTUSED.jpg")));
    m_custom = loadIfExists(dir.filePath(QStringLiteral("CUSTOM.jpg")));
    for (auto& pictures : m_pictures)
        pictures.fill(QPixmap());
    for (int i = 0; i < catalogue.joyCount() && i < JoyCatalogue::kMaxRecords; ++i) {
        const QString& code = catalogue.joyList(i).joyCode;
        auto& pictures = m_pictures[static_cast<size_t>(i)];
        for (JoyPicture kind : kKindOrder) {
            pictures[static_cast<size_t>(kind)] =
                loadIfExists(dir.filePath(JoyCatalogue::pictureFileName(code, kind)));
            // A catalogue of pictures takes a moment; keep the window alive meanwhile.
            QCoreApplication::processEvents();
        }
    }
    // res/bmp/joy -> res/ico/HandIE.ico. The .ico reader is a Qt plugin: ask for the
    // format by name, so a missing plugin leaves the system hand instead of a blank.
    const QString hand =
        QDir(folder + QStringLiteral("/../../ico")).absoluteFilePath(QStringLiteral("HandIE.ico"));
    m_hand = QCursor(Qt::PointingHandCursor);
    if (QFileInfo::exists(hand) && QImageReader::supportedImageFormats().contains("ico")) {
        QImageReader reader(hand, "ico");
        const QImage image = reader.read();
        if (!image.isNull())
            m_hand = QCursor(QPixmap::fromImage(image), kHandHotX, kHandHotY);
    }
}

QPixmap JoyPictures::picture(int position, JoyPicture kind) const {
    if (position < 0 || position >= JoyCatalogue::kMaxRecords)
        return {};
    return m_pictures[static_cast<size_t>(position)][static_cast<size_t>(kind)];
}

} // namespace hvc
