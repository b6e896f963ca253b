#pragma once

#include "platform/input_file.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <sys/stat.h>

#include <array>

namespace testsupport {

// What a careless user or a damaged disk leaves where the program expects a file. Header
// only, so that the widget-free tests can use it without linking the support library.
enum class OddFile { NamedPipe, Folder, LinkLoop, Huge };

inline constexpr std::array<OddFile, 4> kOddFiles = {OddFile::NamedPipe, OddFile::Folder,
                                                     OddFile::LinkLoop, OddFile::Huge};

inline const char* oddFileName(OddFile kind) {
    switch (kind) {
    case OddFile::NamedPipe:
        return "named pipe";
    case OddFile::Folder:
        return "folder";
    case OddFile::LinkLoop:
        return "symbolic link loop";
    case OddFile::Huge:
        return "file above the size limit";
    }
    return "";
}

// Puts one at path, whose folder must exist. The huge file is sparse: it costs no disk.
inline bool makeOddFile(const QString& path, OddFile kind) {
    switch (kind) {
    case OddFile::NamedPipe:
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    case OddFile::Folder:
        return QDir().mkdir(path);
    case OddFile::LinkLoop:
        return QFile::link(path + QStringLiteral(".loop"), path) &&
               QFile::link(path, path + QStringLiteral(".loop"));
    case OddFile::Huge: {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.resize(platform::kMaxInputFileSize + 1);
    }
    }
    return false;
}

// Whether the odd file is still there as it was made.
inline bool oddFileIsIntact(const QString& path, OddFile kind) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    switch (kind) {
    case OddFile::NamedPipe:
        return S_ISFIFO(info.st_mode);
    case OddFile::Folder:
        return S_ISDIR(info.st_mode);
    case OddFile::LinkLoop:
        return S_ISLNK(info.st_mode);
    case OddFile::Huge:
        return S_ISREG(info.st_mode) && info.st_size == platform::kMaxInputFileSize + 1;
    }
    return false;
}

} // namespace testsupport
