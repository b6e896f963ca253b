#pragma once

#include <QString>

namespace platform {

// The folder that holds the program's files (lang/, gdf/, config/, help/, lastCommits.ini):
// the executable's own folder when they lie beside it, as in the build tree, otherwise
// ../share/torvanescan/ relative to it, as after an installation. When neither holds any of
// them, the executable's folder, so that the program behaves as it would without its files.
// The result ends in "/".
QString dataFolder(const QString& executableDir);

} // namespace platform
