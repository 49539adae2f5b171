#include "core/textfile.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hvc {

namespace {

constexpr qsizetype kExcerptLength = 80;

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

Status readWholeFile(const QString& path, const QString& kind, qint64 maxBytes, QByteArray& bytes) {
    bytes.clear();
    const QByteArray name = QFile::encodeName(path);
    const auto cannot = [&path](const char* what, int error) {
        return Status::failure(QStringLiteral("cannot %1 '%2': %3")
                                   .arg(QLatin1String(what), path, systemReason(error)));
    };
    const auto notRegular = [&path] {
        return Status::failure(QStringLiteral("'%1' is not a regular file").arg(path));
    };
    const auto tooLarge = [&path, &kind] {
        return Status::failure(QStringLiteral("'%1' is too large for a %2").arg(path, kind));
    };
    // A device node or a FIFO is refused before it is opened (opening some of
    // them has effects, a FIFO would wait for a writer); the descriptor is
    // checked again in case the path changed in between.
    struct stat info {};
    if (::stat(name.constData(), &info) != 0)
        return cannot("open", errno);
    if (!S_ISREG(info.st_mode))
        return notRegular();
    if (info.st_size > maxBytes)
        return tooLarge();
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return cannot("open", errno);
    Status result;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        result = notRegular();
    } else {
        // Reading stops one byte past the cap: enough to tell a file that grew.
        char chunk[65536];
        while (bytes.size() <= maxBytes) {
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                result = cannot("read", errno);
                break;
            }
            if (n == 0)
                break;
            bytes.append(chunk, static_cast<qsizetype>(n));
        }
        if (!result) {
            bytes.clear();
        } else if (bytes.size() > maxBytes) {
            bytes.clear();
            result = tooLarge();
        }
    }
    ::close(fd);
    return result;
}

QString excerpt(const QString& text) {
    if (text.size() <= kExcerptLength)
        return text;
    return text.left(kExcerptLength) + QStringLiteral("...");
}

} // namespace hvc
