#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// The largest file the program takes in (settings store, ini and description files,
// documents). Real ones are a few kilobytes; anything near this is not one of ours, and
// reading it whole would cost minutes and hundreds of megabytes.
inline constexpr qint64 kMaxInputFileSize = 16 * 1024 * 1024;

struct InputFile {
    enum class Status { Read, Missing, Unreadable };
    Status status = Status::Missing;
    QByteArray bytes;
    QString problem; // why an existing file was not read, e.g. "it is a named pipe"
};

// Reads a whole file, which must be a regular file (a symbolic link to one is fine) of at
// most maxSize bytes. A named pipe would block the program inside open() until someone
// writes to it, so the kind of file is checked before opening, the file is opened
// without waiting and checked again on the open descriptor; a folder, pipe, device,
// socket, link loop or a larger file is Unreadable and is never read.
InputFile readInputFile(const QString& path, qint64 maxSize = kMaxInputFileSize);

} // namespace platform
