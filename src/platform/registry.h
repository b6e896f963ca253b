#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace platform {

// Raised by a read of a missing or differently typed value, and by a write that could not
// be made lasting (the store file is not writable).
class RegistryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class RegType { String, Integer, Binary };

struct RegValue {
    RegType type = RegType::String;
    QString text;      // RegType::String
    qint32 number = 0; // RegType::Integer
    QByteArray bytes;  // RegType::Binary
};

// The per-user, hierarchical store that stands in for HKEY_CURRENT_USER. Key paths are
// "\"-separated and compared without regard to case, as are value names; a key keeps the
// spelling it was created with. Every change is written at once, atomically, to a
// human-readable text file.
//
// Several running programs may share the file. A write changes only the values it
// writes: under a lock on the store's folder it re-reads the file as it is on disk at that
// moment, applies its changes and replaces the file, so nothing another program (or a
// person with an editor) wrote in the meantime is lost. The store in memory is then what
// the file holds.
class RegistryStore {
public:
    // filePath empty: defaultFilePath().
    explicit RegistryStore(QString filePath = QString());
    ~RegistryStore();

    // $XDG_CONFIG_HOME/Kestrelwald/registry.txt (XDG_CONFIG_HOME defaults to ~/.config).
    static QString defaultFilePath();

    // Reads the file; the first use of the store reads it when nobody has called load().
    // A missing file is an empty store. A file that cannot be parsed is renamed to a
    // backup (never overwritten) and the store starts empty; the text of that report is
    // then available once through takeLoadProblem(). A file that cannot be read at all (a
    // folder, pipe or link loop in its place, a file above kMaxInputFileSize) or cannot be
    // set aside is left alone, reported the same way, and every change is refused.
    void load();
    QString takeLoadProblem();
    QString filePath() const;
    // Takes in what other programs wrote since this store last read or wrote the file.
    // Keeps the present content when the file is missing, cannot be read or parsed now.
    void refresh();

    bool keyExists(const QString& path) const;
    // Creates the key and its parents if missing. False when the store cannot be written.
    bool createKey(const QString& path);
    std::optional<RegValue> value(const QString& path, const QString& name) const;
    QStringList valueNames(const QString& path) const;
    // Throws RegistryError when the change cannot be written to the file; the in-memory
    // store then keeps its previous content.
    void setValue(const QString& path, const QString& name, const RegValue& value);

    // Splits and cleans a path: "\software\Kestrelwald\" -> {"software", "Kestrelwald"}.
    static QStringList splitPath(const QString& path);

private:
    friend class RegistryBatch;
    struct Impl;
    std::unique_ptr<Impl> impl;
};

// Changes made to the store while a batch is open are kept in memory and written
// together, in one locked re-read, merge and replace, by commit(). A batch that ends
// without commit() takes its changes back. One batch at a time per store.
class RegistryBatch {
public:
    explicit RegistryBatch(RegistryStore& store);
    ~RegistryBatch();
    RegistryBatch(const RegistryBatch&) = delete;
    RegistryBatch& operator=(const RegistryBatch&) = delete;

    // Throws RegistryError when the changes cannot be written; the store then keeps what
    // it held before the batch.
    void commit();

private:
    RegistryStore& store;
    bool open = true;
};

// An accessor with one current key, in the manner of the platform registry class the
// program was designed around. All paths given to openKey start at HKEY_CURRENT_USER.
class Registry {
public:
    explicit Registry(RegistryStore& store);

    // Makes the key current. With canCreate a missing key is created. False when the key
    // does not exist (and may not be created) or cannot be created; the current key then
    // stays as it was.
    bool openKey(const QString& path, bool canCreate);
    void closeKey();
    bool hasCurrentKey() const;
    QString currentPath() const;

    bool valueExists(const QString& name) const;
    std::optional<RegType> valueType(const QString& name) const;

    // Without a current key no value exists. A missing string value reads as empty; a
    // value of another type throws RegistryError.
    QString readString(const QString& name) const;
    // Missing or of another type: throws RegistryError. A Boolean is an integer, not 0.
    qint32 readInteger(const QString& name) const;
    bool readBool(const QString& name) const;
    QByteArray readBinaryData(const QString& name) const;

    // Throw RegistryError when there is no current key or the store cannot be written.
    void writeString(const QString& name, const QString& value);
    void writeInteger(const QString& name, qint32 value);
    void writeBool(const QString& name, bool value);
    void writeBinaryData(const QString& name, const QByteArray& value);

    RegistryStore& store() const { return storeRef; }

private:
    RegistryStore& storeRef;
    std::optional<QString> current;
};

} // namespace platform
