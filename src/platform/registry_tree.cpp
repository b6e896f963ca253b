#include "platform/registry_tree.h"

namespace platform {

QString foldedName(const QString& name) {
    QString folded;
    folded.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            folded.append(
                QChar::fromUcs4(QChar::toCaseFolded(QChar::surrogateToUcs4(c, name.at(i + 1)))));
            ++i;
        } else {
            folded.append(QChar(char16_t(QChar::toCaseFolded(char32_t(c.unicode())))));
        }
    }
    return folded;
}

RegistryKeyNode* RegistryKeyNode::child(const QString& childName) {
    const auto found = childIndex.constFind(foldedName(childName));
    return found == childIndex.cend() ? nullptr : &children[*found];
}

const RegistryKeyNode* RegistryKeyNode::child(const QString& childName) const {
    return const_cast<RegistryKeyNode*>(this)->child(childName);
}

RegistryKeyNode& RegistryKeyNode::childOrNew(const QString& childName) {
    if (RegistryKeyNode* existing = child(childName)) {
        return *existing;
    }
    childIndex.insert(foldedName(childName), children.size());
    RegistryKeyNode fresh;
    fresh.name = childName;
    children.push_back(std::move(fresh));
    return children.back();
}

const RegValue* RegistryKeyNode::value(const QString& valueName) const {
    const auto found = valueIndex.constFind(foldedName(valueName));
    return found == valueIndex.cend() ? nullptr : &values[*found].second;
}

void RegistryKeyNode::setValue(const QString& valueName, const RegValue& newValue) {
    const QString folded = foldedName(valueName);
    const auto found = valueIndex.constFind(folded);
    if (found == valueIndex.cend()) {
        valueIndex.insert(folded, values.size());
        values.emplace_back(valueName, newValue);
    } else {
        values[*found].second = newValue;
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
