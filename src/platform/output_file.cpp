#include "platform/output_file.h"

#include "platform/message_boxes.h"

#include <QDir>
#include <QSaveFile>

namespace platform {

bool saveUserFile(const QString& path, const QByteArray& bytes, MessageBoxes& boxes) {
    QSaveFile file(path);
    // A folder the user may write files in but not create them in (a shared drop folder)
    // still takes the file, written in place.
    file.setDirectWriteFallback(true);
    // QSaveFile::commit() misses a failed buffered write, hence the explicit flush.
    const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() &&
                         file.flush() && file.commit();
    if (!written) {
        const QString reason = file.errorString();
        file.cancelWriting();
        boxes.messageBox(QStringLiteral("Cannot create file \"%1\". %2")
                             .arg(QDir::toNativeSeparators(path), reason),
                         QString(), MessageBoxes::Icon::Error, MessageBoxes::Buttons::Ok);
    }
    return written;
}

} // namespace platform
