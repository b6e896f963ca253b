#include "platform/input_file.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

InputFile unreadable(const QString& problem) {
    return InputFile{InputFile::Status::Unreadable, QByteArray(), problem};
}

InputFile fromErrno(int error) {
    // A missing folder on the way counts as a missing file.
    if (error == ENOENT || error == ENOTDIR)
        return InputFile{InputFile::Status::Missing, QByteArray(), QString()};
    return unreadable(qt_error_string(error));
}

QString sizeText(qint64 bytes) {
    return QStringLiteral("%1 MiB").arg(double(bytes) / (1024 * 1024), 0, 'f', 1);
}

// Empty when the file may be read.
QString refusal(const struct stat& info, qint64 maxSize) {
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("it is a folder, not a file");
    if (S_ISFIFO(info.st_mode))
        return QStringLiteral("it is a named pipe, not a file");
    if (S_ISSOCK(info.st_mode))
        return QStringLiteral("it is a socket, not a file");
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        return QStringLiteral("it is a device, not a file");
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("it is not a regular file");
    if (info.st_size > maxSize)
        return QStringLiteral("it is larger than %1").arg(sizeText(maxSize));
    return QString();
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    const int fd;
};

} // namespace

InputFile readInputFile(const QString& path, qint64 maxSize) {
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty())
        return fromErrno(ENOENT);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0)
        return fromErrno(errno);
    if (const QString problem = refusal(info, maxSize); !problem.isEmpty())
        return unreadable(problem);

    // The file may have been swapped for a pipe since the check: O_NONBLOCK keeps open()
    // from waiting, and the descriptor is checked once more.
    const Descriptor file(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.fd < 0)
        return fromErrno(errno);
    if (::fstat(file.fd, &info) != 0)
        return unreadable(qt_error_string(errno));
    if (const QString problem = refusal(info, maxSize); !problem.isEmpty())
        return unreadable(problem);

    // One byte more than allowed tells a file that grew while it was read.
    QByteArray bytes(qsizetype(info.st_size) + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (filled > maxSize)
                return unreadable(QStringLiteral("it is larger than %1").arg(sizeText(maxSize)));
            bytes.resize(std::min<qsizetype>(bytes.size() * 2, maxSize + 1));
        }
        const ssize_t got = ::read(file.fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return unreadable(qt_error_string(errno));
        if (got == 0)
            break;
        filled += got;
    }
    bytes.truncate(filled);
    return InputFile{InputFile::Status::Read, bytes, QString()};
}

} // namespace platform
