#include "platform/store_folder_lock.h"

#include <QFile>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

namespace {

// A write holds the lock for milliseconds; a holder that keeps it longer is stuck, and
// waiting for it forever would freeze the window.
constexpr int kWaitRounds = 500;
constexpr int kRoundMs = 10;

} // namespace

StoreFolderLock::StoreFolderLock(const QString& folder) {
    fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        reason =
            QStringLiteral("cannot open the folder %1: %2").arg(folder, qt_error_string(errno));
        return;
    }
    for (int round = 0; round < kWaitRounds; ++round) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return;
        if (errno != EWOULDBLOCK && errno != EINTR)
            break;
        QThread::msleep(kRoundMs);
    }
    reason =
        errno == EWOULDBLOCK
            ? QStringLiteral("the folder %1 stays locked by another program").arg(folder)
            : QStringLiteral("cannot lock the folder %1: %2").arg(folder, qt_error_string(errno));
    ::close(fd);
    fd = -1;
}

StoreFolderLock::~StoreFolderLock() {
    if (fd >= 0)
        ::close(fd); // closing releases the lock
}

} // namespace platform
