#include "platform/store_folder_lock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

StoreFolderLock::StoreFolderLock(const QString& folder) {
    fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        reason =
            QStringLiteral("cannot open the folder %1: %2").arg(folder, qt_error_string(errno));
        return;
    }
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        reason =
            QStringLiteral("cannot lock the folder %1: %2").arg(folder, qt_error_string(errno));
        ::close(fd);
        fd = -1;
    }
}

StoreFolderLock::~StoreFolderLock() {
    if (fd >= 0)
        ::close(fd); // closing releases the lock
}

} // namespace platform
