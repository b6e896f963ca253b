#include "support/temp_directory.h"

#include <QDir>

#include <cerrno>
#include <csignal>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace testsupport {

namespace {

const QString kPrefix = QStringLiteral("torvane-testbed-");

// Names are kPrefix + the owner's process id + "-" + a random part.
void removeFoldersOfDeadProcesses() {
    QDir parent(QDir::tempPath());
    for (const QString& name : parent.entryList({kPrefix + "*"}, QDir::Dirs)) {
        bool isNumber = false;
        const qint64 owner = name.mid(kPrefix.size()).section('-', 0, 0).toLongLong(&isNumber);
        if (isNumber && owner > 0 && kill(pid_t(owner), 0) != 0 && errno == ESRCH)
            QDir(parent.filePath(name)).removeRecursively();
    }
}

QString folderTemplate() {
    removeFoldersOfDeadProcesses();
    return QDir::tempPath() + "/" + kPrefix + QString::number(getpid()) + "-XXXXXX";
}

} // namespace

TempDirectory::TempDirectory() : folder_(folderTemplate()) {
    if (!folder_.isValid())
        throw std::runtime_error("cannot make a temporary folder: " +
                                 folder_.errorString().toStdString());
}

std::string TempDirectory::file(const std::string& name) const {
    return path() + "/" + name;
}

std::string TempDirectory::write(const std::string& name, const std::string& text) const {
    const std::string target = file(name);
    std::ofstream out(target, std::ios::binary);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + target);
    return target;
}

} // namespace testsupport
