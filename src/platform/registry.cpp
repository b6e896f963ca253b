#include "platform/registry.h"

#include "platform/input_file.h"
#include "platform/registry_text.h"
#include "platform/registry_tree.h"
#include "platform/store_folder_lock.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace platform {

namespace {

// One change as it is replayed onto the file's content at write time.
struct Change {
    QStringList path;
    std::optional<std::pair<QString, RegValue>> value; // none: the key only
};

void apply(RegistryKeyNode& root, const Change& change) {
    RegistryKeyNode& key = root.findOrCreate(change.path);
    if (change.value)
        key.setValue(change.value->first, change.value->second);
}

} // namespace

struct RegistryStore::Impl {
    QString path;
    RegistryKeyNode root;
    bool loaded = false;
    // Set when the file holds something this store could not read and could not move
    // out of the way: writing would destroy it, so every change is refused.
    bool keepFileUntouched = false;
    QString loadProblem;
    // An open batch: its changes so far, and the store as it was when it began.
    std::optional<std::vector<Change>> batch;
    RegistryKeyNode beforeBatch;

    void ensureLoaded() {
        if (!loaded)
            load();
    }

    void load() {
        loaded = true;
        root = RegistryKeyNode{};
        keepFileUntouched = false;
        const InputFile file = readInputFile(path);
        if (file.status == InputFile::Status::Missing)
            return;
        if (file.status == InputFile::Status::Unreadable) {
            keepFileUntouched = true;
            loadProblem = QStringLiteral("The settings store \"%1\" cannot be read (%2). The "
                                         "program goes on with default settings and will not "
                                         "save any.")
                              .arg(path, file.problem);
            return;
        }
        RegistryTextParse parsed = readRegistryText(file.bytes);
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

    void refresh() {
        ensureLoaded();
        if (keepFileUntouched || batch)
            return;
        // A file gone or damaged for the moment does not wipe what was read before.
        const InputFile file = readInputFile(path);
        if (file.status != InputFile::Status::Read)
            return;
        RegistryTextParse parsed = readRegistryText(file.bytes);
        if (parsed.error.isEmpty())
            root = std::move(parsed.root);
    }

    // Replays the changes onto the file as it is now and replaces it, all under the
    // folder lock; the store in memory becomes the result. On failure the reason is
    // returned and nothing has changed.
    QString commit(const std::vector<Change>& changes) {
        if (keepFileUntouched)
            return QStringLiteral("the store %1 could not be read and is left as it is").arg(path);
        const QString folder = QFileInfo(path).absolutePath();
        if (!QDir().mkpath(folder))
            return QStringLiteral("cannot create the folder %1").arg(folder);
        const StoreFolderLock lock(folder);
        if (!lock.failure().isEmpty())
            return lock.failure();

        const InputFile file = readInputFile(path);
        RegistryKeyNode tree;
        if (file.status == InputFile::Status::Unreadable) {
            return QStringLiteral("%1 cannot be read (%2) and is left as it is")
                .arg(path, file.problem);
        }
        if (file.status == InputFile::Status::Read) {
            RegistryTextParse parsed = readRegistryText(file.bytes);
            if (!parsed.error.isEmpty()) {
                return QStringLiteral("%1 was changed into something this program cannot read "
                                      "(%2) and is left as it is")
                    .arg(path, parsed.error);
            }
            tree = std::move(parsed.root);
        }
        for (const Change& change : changes)
            apply(tree, change);
        const QByteArray text = writeRegistryText(tree);
        if (file.status != InputFile::Status::Read || text != file.bytes) {
            if (const QString failure = write(text); !failure.isEmpty())
                return failure;
        }
        root = std::move(tree);
        return QString();
    }

    // Writes through a temporary file that replaces the store only when it is complete.
    QString write(const QByteArray& text) const {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        // QSaveFile::commit() does not notice a buffered write that failed (a full disk),
        // so the data is flushed and checked before the file may replace the store.
        if (file.write(text) != text.size() || !file.flush()) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return QStringLiteral("cannot write %1: %2").arg(path, reason);
        }
        if (!file.commit())
            return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return QString();
    }

    // A change made inside a batch is kept in memory until the batch is committed; any
    // other is written at once. Empty when done, else why not.
    QString change(const Change& pending) {
        if (!batch)
            return commit({pending});
        if (keepFileUntouched)
            return QStringLiteral("the store %1 could not be read and is left as it is").arg(path);
        apply(root, pending);
        batch->push_back(pending);
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

void RegistryStore::refresh() {
    impl->refresh();
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
    return impl->change(Change{parts, std::nullopt}).isEmpty();
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
    const QString failure = impl->change(Change{splitPath(path), std::pair(name, value)});
    if (!failure.isEmpty()) {
        throw RegistryError(
            QStringLiteral("Failed to set data for '%1': %2").arg(name, failure).toStdString());
    }
}

QStringList RegistryStore::splitPath(const QString& path) {
    return path.split(u'\\', Qt::SkipEmptyParts);
}

RegistryBatch::RegistryBatch(RegistryStore& store) : store(store) {
    RegistryStore::Impl& impl = *store.impl;
    impl.ensureLoaded();
    impl.beforeBatch = impl.root;
    impl.batch.emplace();
}

RegistryBatch::~RegistryBatch() {
    if (!open)
        return;
    RegistryStore::Impl& impl = *store.impl;
    impl.root = std::move(impl.beforeBatch);
    impl.batch.reset();
}

void RegistryBatch::commit() {
    if (!open)
        return;
    RegistryStore::Impl& impl = *store.impl;
    open = false;
    const std::vector<Change> changes = std::move(*impl.batch);
    impl.batch.reset();
    if (changes.empty())
        return;
    const QString failure = impl.commit(changes);
    if (!failure.isEmpty()) {
        impl.root = std::move(impl.beforeBatch);
        throw RegistryError(
            QStringLiteral("Failed to store the settings: %1").arg(failure).toStdString());
    }
}

} // namespace platform
