#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

class MessageBoxes;

// Writes a whole file the user chose to save. The old file stays as it was until the new
// one is complete, where the folder allows that. A failure is shown in an error box that
// names the file and the reason; returns whether the file was written.
bool saveUserFile(const QString& path, const QByteArray& bytes, MessageBoxes& boxes);

} // namespace platform
