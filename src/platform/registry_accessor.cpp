// platform::Registry, the accessor with one current key; the store is in registry.cpp.
#include "platform/registry.h"

namespace platform {

namespace {

QString canonicalPath(const QString& path) {
    return u'\\' + RegistryStore::splitPath(path).join(u'\\');
}

[[noreturn]] void throwError(const QString& message) {
    throw RegistryError(message.toStdString());
}

// Without a current key no value exists.
std::optional<RegValue> lookup(const RegistryStore& store, const std::optional<QString>& key,
                               const QString& name) {
    return key ? store.value(*key, name) : std::nullopt;
}

RegValue existing(const RegistryStore& store, const std::optional<QString>& key,
                  const QString& name) {
    std::optional<RegValue> found = lookup(store, key, name);
    if (!found) {
        throwError(QStringLiteral("Value '%1' does not exist").arg(name));
    }
    return std::move(*found);
}

const RegValue& ofType(const RegValue& value, const QString& name, RegType type) {
    if (value.type != type) {
        throwError(QStringLiteral("Invalid data type for '%1'").arg(name));
    }
    return value;
}

void writeTo(RegistryStore& store, const std::optional<QString>& key, const QString& name,
             const RegValue& value) {
    if (!key) {
        throwError(QStringLiteral("Failed to set data for '%1': no key is open").arg(name));
    }
    store.setValue(*key, name, value);
}

} // namespace

Registry::Registry(RegistryStore& store) : storeRef(store) {}

bool Registry::openKey(const QString& path, bool canCreate) {
    const bool available = storeRef.keyExists(path) || (canCreate && storeRef.createKey(path));
    if (available) {
        current = canonicalPath(path);
    }
    return available;
}

void Registry::closeKey() {
    current.reset();
}

bool Registry::hasCurrentKey() const {
    return current.has_value();
}

QString Registry::currentPath() const {
    return current.value_or(QString());
}

bool Registry::valueExists(const QString& name) const {
    return valueType(name).has_value();
}

std::optional<RegType> Registry::valueType(const QString& name) const {
    const std::optional<RegValue> found = lookup(storeRef, current, name);
    return found ? std::optional<RegType>(found->type) : std::nullopt;
}

QString Registry::readString(const QString& name) const {
    const std::optional<RegValue> found = lookup(storeRef, current, name);
    return found ? ofType(*found, name, RegType::String).text : QString();
}

qint32 Registry::readInteger(const QString& name) const {
    return ofType(existing(storeRef, current, name), name, RegType::Integer).number;
}

bool Registry::readBool(const QString& name) const {
    return readInteger(name) != 0;
}

QByteArray Registry::readBinaryData(const QString& name) const {
    return ofType(existing(storeRef, current, name), name, RegType::Binary).bytes;
}

void Registry::writeString(const QString& name, const QString& value) {
    writeTo(storeRef, current, name, RegValue{RegType::String, value, 0, {}});
}

void Registry::writeInteger(const QString& name, qint32 value) {
    writeTo(storeRef, current, name, RegValue{RegType::Integer, {}, value, {}});
}

void Registry::writeBool(const QString& name, bool value) {
    writeInteger(name, value ? 1 : 0);
}

void Registry::writeBinaryData(const QString& name, const QByteArray& value) {
    writeTo(storeRef, current, name, RegValue{RegType::Binary, {}, 0, value});
}

} // namespace platform
