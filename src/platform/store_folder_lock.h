#pragma once

#include <QString>

namespace platform {

// An exclusive lock on the settings store's folder for as long as the object lives, so
// that two running programs never re-read and replace the store at the same time. The
// folder itself is locked, not a file in it, so nothing is left behind. Another program
// holds the lock only while it writes, for milliseconds, so it is simply waited for; the
// system releases it when that program ends, however it ends.
class StoreFolderLock {
public:
    explicit StoreFolderLock(const QString& folder);
    ~StoreFolderLock();
    StoreFolderLock(const StoreFolderLock&) = delete;
    StoreFolderLock& operator=(const StoreFolderLock&) = delete;

    // Empty when the lock is held; else why it could not be taken.
    QString failure() const { return reason; }

private:
    int fd = -1;
    QString reason;
};

} // namespace platform
