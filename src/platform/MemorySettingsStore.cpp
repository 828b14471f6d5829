#include "platform/MemorySettingsStore.h"

namespace platform {

MemorySettingsStore::MemorySettingsStore() = default;
MemorySettingsStore::~MemorySettingsStore() = default;

bool MemorySettingsStore::Node::holdsSomething() const {
    if (!values.empty()) return true;
    for (const auto& [name, child] : children) {
        if (child->holdsSomething()) return true;
    }
    return false;
}

const MemorySettingsStore::Node* MemorySettingsStore::find(const QString& key) const {
    const QStringList parts = splitKey(key);
    if (parts.isEmpty()) return nullptr;
    const Node* node = &root_;
    for (const QString& p : parts) {
        auto it = node->children.find(p);
        if (it == node->children.end()) return nullptr;
        node = it->second.get();
    }
    return node;
}

MemorySettingsStore::Node* MemorySettingsStore::findOrCreate(const QString& key) {
    const QStringList parts = splitKey(key);
    if (parts.isEmpty()) return nullptr;
    Node* node = &root_;
    for (const QString& p : parts) {
        auto& child = node->children[p];
        if (!child) child = std::make_unique<Node>();
        node = child.get();
    }
    return node;
}

bool MemorySettingsStore::keyExists(const QString& key) const {
    std::lock_guard lock(mutex_);
    const Node* node = find(key);
    return node && node->holdsSomething();
}

QStringList MemorySettingsStore::subkeys(const QString& key) const {
    std::lock_guard lock(mutex_);
    QStringList out;
    if (const Node* node = find(key)) {
        for (const auto& [name, child] : node->children) {
            if (child->holdsSomething()) out << name;
        }
    }
    return out;
}

QStringList MemorySettingsStore::valueNames(const QString& key) const {
    std::lock_guard lock(mutex_);
    QStringList out;
    if (const Node* node = find(key)) {
        for (const auto& [name, value] : node->values) out << name;
    }
    return out;
}

std::optional<MemorySettingsStore::Value> MemorySettingsStore::read(const QString& key,
                                                                    const QString& name) const {
    std::lock_guard lock(mutex_);
    const Node* node = find(key);
    if (!node) return std::nullopt;
    auto it = node->values.find(name);
    if (it == node->values.end()) return std::nullopt;
    return it->second;
}

std::optional<int32_t> MemorySettingsStore::readInt(const QString& key, const QString& name) const {
    const auto v = read(key, name);
    if (!v) return std::nullopt;
    if (const auto* i = std::get_if<int32_t>(&*v)) return *i;
    if (const auto* s = std::get_if<QString>(&*v)) {
        bool ok = false;
        const int32_t n = s->trimmed().toInt(&ok);
        if (ok) return n;
    }
    return std::nullopt;
}

std::optional<QString> MemorySettingsStore::readString(const QString& key, const QString& name) const {
    const auto v = read(key, name);
    if (!v) return std::nullopt;
    if (const auto* s = std::get_if<QString>(&*v)) return *s;
    if (const auto* i = std::get_if<int32_t>(&*v)) return QString::number(*i);
    return std::nullopt;
}

std::optional<QByteArray> MemorySettingsStore::readBinary(const QString& key, const QString& name) const {
    const auto v = read(key, name);
    if (!v) return std::nullopt;
    if (const auto* b = std::get_if<QByteArray>(&*v)) return *b;
    return std::nullopt;
}

bool MemorySettingsStore::write(const QString& key, const QString& name, Value value) {
    if (name.isEmpty()) return false;
    std::lock_guard lock(mutex_);
    Node* node = findOrCreate(key);
    if (!node) return false;
    node->values[name] = std::move(value);
    return true;
}

bool MemorySettingsStore::writeInt(const QString& key, const QString& name, int32_t value) {
    return write(key, name, value);
}
bool MemorySettingsStore::writeString(const QString& key, const QString& name, const QString& value) {
    return write(key, name, value);
}
bool MemorySettingsStore::writeBinary(const QString& key, const QString& name, const QByteArray& value) {
    return write(key, name, value);
}

bool MemorySettingsStore::removeValue(const QString& key, const QString& name) {
    std::lock_guard lock(mutex_);
    const QStringList parts = splitKey(key);
    if (parts.isEmpty()) return false;
    Node* node = &root_;
    for (const QString& p : parts) {
        auto it = node->children.find(p);
        if (it == node->children.end()) return true;
        node = it->second.get();
    }
    node->values.erase(name);
    return true;
}

bool MemorySettingsStore::removeKey(const QString& key) {
    std::lock_guard lock(mutex_);
    const QStringList parts = splitKey(key);
    if (parts.isEmpty()) return false;
    Node* parent = &root_;
    for (int i = 0; i + 1 < parts.size(); ++i) {
        auto it = parent->children.find(parts[i]);
        if (it == parent->children.end()) return true;
        parent = it->second.get();
    }
    parent->children.erase(parts.back());
    return true;
}

}  // namespace platform
