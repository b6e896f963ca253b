#pragma once

#include "platform/registry.h"

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace platform {

// One key of the store with its subkeys and values, both in creation order. Names keep
// the spelling they were created with and are looked up without regard to case. The
// tree is a plain value, so a change can be prepared on a copy and kept only once it has
// been written.
struct RegistryKeyNode {
    QString name;
    std::vector<RegistryKeyNode> children;
    std::vector<std::pair<QString, RegValue>> values;

    RegistryKeyNode* child(const QString& childName);
    const RegistryKeyNode* child(const QString& childName) const;
    RegistryKeyNode& childOrNew(const QString& childName);

    const RegValue* value(const QString& valueName) const;
    void setValue(const QString& valueName, const RegValue& newValue);

    // The key at the end of the path below this one, or null.
    const RegistryKeyNode* find(const QStringList& path) const;
    // Creates what is missing along the path.
    RegistryKeyNode& findOrCreate(const QStringList& path);
};

} // namespace platform
