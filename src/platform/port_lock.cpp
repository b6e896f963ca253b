#include "platform/port_lock.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// How often a waiting program tries again.
constexpr int kRetryMs = 20;

// Each network namespace has ports of its own: programs in two namespaces never meet on
// one, and must not wait for each other.
quint64 networkNamespace() {
    struct stat info {};
    if (::stat("/proc/self/ns/net", &info) != 0)
        return 0;
    return quint64(info.st_ino);
}

} // namespace

PortLock::PortLock(const QString& folder, quint16 port)
    : path(QDir(folder).filePath(
          QStringLiteral("torvanescan-udp%1-net%2.lock").arg(port).arg(networkNamespace()))),
      portNumber(port) {}

PortLock::~PortLock() {
    release();
    if (fd >= 0)
        ::close(fd);
}

QString PortLock::folderFor(const QString& settingsFolder) {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && !QDir::isRelativePath(runtime))
        return runtime;
    return settingsFolder;
}

bool PortLock::openFile() {
    if (fd >= 0)
        return true;
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        failureText = QStringLiteral("cannot create the folder %1").arg(folder);
        return false;
    }
    fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW,
                0600);
    if (fd < 0) {
        failureText = QStringLiteral("cannot open %1: %2").arg(path, qt_error_string(errno));
        return false;
    }
    return true;
}

PortLock::Outcome PortLock::acquire(const QString& program, const QString& activity, int waitMs) {
    if (holding) {
        writeHolder(program, activity);
        return Outcome::Held;
    }
    if (!openFile())
        return Outcome::Unavailable;
    QElapsedTimer waited;
    waited.start();
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            failureText = QStringLiteral("cannot lock %1: %2").arg(path, qt_error_string(errno));
            return Outcome::Unavailable;
        }
        if (waited.elapsed() >= waitMs) {
            holderText = readHolder();
            return Outcome::InUse;
        }
        QThread::msleep(kRetryMs);
    }
    holding = true;
    // A file that could not be written names no holder to a waiting program; the lock
    // itself holds all the same.
    writeHolder(program, activity);
    return Outcome::Held;
}

void PortLock::release() {
    if (!holding)
        return;
    holding = false;
    // What the file says is only read while someone holds the lock; it may stay.
    ::flock(fd, LOCK_UN);
}

bool PortLock::writeHolder(const QString& program, const QString& activity) {
    const QByteArray text =
        QStringLiteral("%1 %2 %3\n").arg(program).arg(::getpid()).arg(activity).toUtf8();
    return ::ftruncate(fd, 0) == 0 && ::pwrite(fd, text.constData(), text.size(), 0) == text.size();
}

QString PortLock::readHolder() const {
    char buffer[256] = {};
    const ssize_t size = ::pread(fd, buffer, sizeof buffer - 1, 0);
    const QStringList words =
        size > 0 ? QString::fromUtf8(buffer, size).split(QLatin1Char(' '), Qt::SkipEmptyParts)
                 : QStringList();
    if (words.size() != 3)
        return QStringLiteral("another program");
    return QStringLiteral("%1 (pid %2, %3)").arg(words[0], words[1], words[2].trimmed());
}

QString portInUseText(quint16 port, const QString& holder) {
    return QStringLiteral("UDP port %1 is in use by %2").arg(port).arg(holder);
}

} // namespace platform
