#include "platform/registry_tree.h"

#include <algorithm>

namespace platform {

namespace {

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

RegistryKeyNode* RegistryKeyNode::child(const QString& childName) {
    auto found = std::find_if(children.begin(), children.end(), [&](const RegistryKeyNode& c) {
        return sameName(c.name, childName);
    });
    return found == children.end() ? nullptr : &*found;
}

const RegistryKeyNode* RegistryKeyNode::child(const QString& childName) const {
    return const_cast<RegistryKeyNode*>(this)->child(childName);
}

RegistryKeyNode& RegistryKeyNode::childOrNew(const QString& childName) {
    if (RegistryKeyNode* existing = child(childName)) {
        return *existing;
    }
    children.push_back(RegistryKeyNode{childName, {}, {}});
    return children.back();
}

const RegValue* RegistryKeyNode::value(const QString& valueName) const {
    auto found = std::find_if(values.begin(), values.end(),
                              [&](const auto& entry) { return sameName(entry.first, valueName); });
    return found == values.end() ? nullptr : &found->second;
}

void RegistryKeyNode::setValue(const QString& valueName, const RegValue& newValue) {
    auto found = std::find_if(values.begin(), values.end(),
                              [&](const auto& entry) { return sameName(entry.first, valueName); });
    if (found == values.end()) {
        values.emplace_back(valueName, newValue);
    } else {
        found->second = newValue;
    }
}

const RegistryKeyNode* RegistryKeyNode::find(const QStringList& path) const {
    const RegistryKeyNode* node = this;
    for (const QString& part : path) {
        node = node->child(part);
        if (node == nullptr) {
            return nullptr;
        }
    }
    return node;
}

RegistryKeyNode& RegistryKeyNode::findOrCreate(const QStringList& path) {
    RegistryKeyNode* node = this;
    for (const QString& part : path) {
        node = &node->childOrNew(part);
    }
    return *node;
}

} // namespace platform
