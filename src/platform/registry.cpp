#include "platform/registry.h"

#include "platform/registry_text.h"
#include "platform/registry_tree.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace platform {

struct RegistryStore::Impl {
    QString path;
    RegistryKeyNode root;
    bool loaded = false;
    // Set when the file holds something this store could not read and could not move
    // out of the way: writing would destroy it, so every change is refused.
    bool keepFileUntouched = false;
    QString loadProblem;

    void ensureLoaded() {
        if (!loaded) {
            load();
        }
    }

    void load() {
        loaded = true;
        root = RegistryKeyNode{};
        keepFileUntouched = false;
        if (!QFileInfo::exists(path)) {
            return;
        }
        QFile file(path);
        QString reason;
        QByteArray bytes;
        if (file.open(QIODevice::ReadOnly)) {
            bytes = file.readAll();
            if (file.error() != QFileDevice::NoError) {
                reason = file.errorString();
            }
        } else {
            reason = file.errorString();
        }
        if (!reason.isEmpty()) {
            keepFileUntouched = true;
            loadProblem = QStringLiteral("The settings store \"%1\" cannot be read (%2). The "
                                         "program goes on with default settings and will not "
                                         "save any.")
                              .arg(path, reason);
            return;
        }
        RegistryTextParse parsed = readRegistryText(bytes);
        if (parsed.error.isEmpty()) {
            root = std::move(parsed.root);
            return;
        }
        const QString backup = setAside();
        if (backup.isEmpty()) {
            keepFileUntouched = true;
            loadProblem = QStringLiteral("The settings store \"%1\" is damaged (%2) and could "
                                         "not be set aside. The program goes on with default "
                                         "settings and will not save any.")
                              .arg(path, parsed.error);
        } else {
            loadProblem = QStringLiteral("The settings store \"%1\" is damaged (%2). It was "
                                         "kept as \"%3\"; the program goes on with default "
                                         "settings.")
                              .arg(path, parsed.error, backup);
        }
    }

    // Writes the whole tree through a temporary file that replaces the store only when
    // it is complete. On failure the reason is returned.
    QString write(const RegistryKeyNode& tree) const {
        if (keepFileUntouched) {
            return QStringLiteral("the store %1 could not be read and is left as it is").arg(path);
        }
        const QString folder = QFileInfo(path).absolutePath();
        if (!QDir().mkpath(folder)) {
            return QStringLiteral("cannot create the folder %1").arg(folder);
        }
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        }
        const QByteArray text = writeRegistryText(tree);
        // QSaveFile::commit() does not notice a buffered write that failed (a full disk),
        // so the data is flushed and checked before the file may replace the store.
        if (file.write(text) != text.size() || !file.flush()) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return QStringLiteral("cannot write %1: %2").arg(path, reason);
        }
        if (!file.commit()) {
            return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        }
        return QString();
    }

    // Moves an unreadable store aside under a name that is not in use yet.
    QString setAside() const {
        const QString stem =
            path + QStringLiteral(".broken-") +
            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        QString backup = stem;
        for (int n = 2; QFileInfo::exists(backup) && n < 1000; ++n) {
            backup = stem + u'-' + QString::number(n);
        }
        if (QFileInfo::exists(backup) || !QFile::rename(path, backup)) {
            return QString();
        }
        return backup;
    }
};

RegistryStore::RegistryStore(QString filePath) : impl(std::make_unique<Impl>()) {
    impl->path = filePath.isEmpty() ? defaultFilePath() : filePath;
}

RegistryStore::~RegistryStore() = default;

QString RegistryStore::defaultFilePath() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is invalid and must be ignored.
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        base = QDir::homePath() + QStringLiteral("/.config");
    }
    return base + QStringLiteral("/Kestrelwald/registry.txt");
}

void RegistryStore::load() {
    impl->load();
}

QString RegistryStore::takeLoadProblem() {
    impl->ensureLoaded();
    return std::exchange(impl->loadProblem, QString());
}

QString RegistryStore::filePath() const {
    return impl->path;
}

bool RegistryStore::keyExists(const QString& path) const {
    impl->ensureLoaded();
    return impl->root.find(splitPath(path)) != nullptr;
}

bool RegistryStore::createKey(const QString& path) {
    impl->ensureLoaded();
    const QStringList parts = splitPath(path);
    if (impl->root.find(parts) != nullptr) {
        return true;
    }
    RegistryKeyNode changed = impl->root;
    changed.findOrCreate(parts);
    if (!impl->write(changed).isEmpty()) {
        return false;
    }
    impl->root = std::move(changed);
    return true;
}

std::optional<RegValue> RegistryStore::value(const QString& path, const QString& name) const {
    impl->ensureLoaded();
    const RegistryKeyNode* key = impl->root.find(splitPath(path));
    if (key == nullptr) {
        return std::nullopt;
    }
    const RegValue* found = key->value(name);
    return found == nullptr ? std::nullopt : std::optional<RegValue>(*found);
}

QStringList RegistryStore::valueNames(const QString& path) const {
    impl->ensureLoaded();
    QStringList names;
    if (const RegistryKeyNode* key = impl->root.find(splitPath(path))) {
        for (const auto& entry : key->values) {
            names.append(entry.first);
        }
    }
    return names;
}

void RegistryStore::setValue(const QString& path, const QString& name, const RegValue& value) {
    impl->ensureLoaded();
    RegistryKeyNode changed = impl->root;
    changed.findOrCreate(splitPath(path)).setValue(name, value);
    const QString failure = impl->write(changed);
    if (!failure.isEmpty()) {
        throw RegistryError(
            QStringLiteral("Failed to set data for '%1': %2").arg(name, failure).toStdString());
    }
    impl->root = std::move(changed);
}

QStringList RegistryStore::splitPath(const QString& path) {
    return path.split(u'\\', Qt::SkipEmptyParts);
}

} // namespace platform
