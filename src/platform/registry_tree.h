#pragma once

#include "platform/registry.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace platform {

// One key of the store with its subkeys and values, both in creation order. Names keep
// the spelling they were created with and are looked up without regard to case, through
// an index by folded name, so that reading a store of many values stays linear. The tree
// is a plain value, so a change can be prepared on a copy and kept only once it has been
// written. Change children and values only through the members below, which keep the
// index.
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

private:
    // Folded name -> position in children / values.
    QHash<QString, std::size_t> childIndex;
    QHash<QString, std::size_t> valueIndex;
};

// The name as the case-insensitive comparison sees it: every code point case-folded, as
// QString::compare with Qt::CaseInsensitive folds it.
QString foldedName(const QString& name);

} // namespace platform
