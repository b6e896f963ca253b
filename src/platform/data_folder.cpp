#include "platform/data_folder.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

namespace {

bool holdsProgramFiles(const QDir& folder) {
    for (const char* folderName : {"lang", "gdf", "config", "help"}) {
        if (QFileInfo(folder.filePath(QLatin1String(folderName))).isDir())
            return true;
    }
    return QFileInfo(folder.filePath(QStringLiteral("lastCommits.ini"))).isFile();
}

QString withSlash(const QString& path) {
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

} // namespace

QString dataFolder(const QString& executableDir) {
    const QDir beside(executableDir);
    if (holdsProgramFiles(beside))
        return withSlash(executableDir);
    const QDir installed(beside.filePath(QStringLiteral("../share/torvanescan")));
    if (holdsProgramFiles(installed))
        return withSlash(QDir::cleanPath(installed.absolutePath()));
    return withSlash(executableDir);
}

} // namespace platform
