#pragma once
// A settings store held in memory, for tests: same contracts as the file-backed store
// (see SettingsStore.h), nothing written anywhere.

#include <map>
#include <memory>
#include <mutex>
#include <variant>

#include "platform/SettingsStore.h"

namespace platform {

class MemorySettingsStore : public SettingsStore {
public:
    MemorySettingsStore();
    ~MemorySettingsStore() override;

    bool keyExists(const QString& key) const override;
    QStringList subkeys(const QString& key) const override;
    QStringList valueNames(const QString& key) const override;
    std::optional<int32_t> readInt(const QString& key, const QString& name) const override;
    std::optional<QString> readString(const QString& key, const QString& name) const override;
    std::optional<QByteArray> readBinary(const QString& key, const QString& name) const override;
    bool writeInt(const QString& key, const QString& name, int32_t value) override;
    bool writeString(const QString& key, const QString& name, const QString& value) override;
    bool writeBinary(const QString& key, const QString& name, const QByteArray& value) override;
    bool removeValue(const QString& key, const QString& name) override;
    bool removeKey(const QString& key) override;
    bool flush() override { return true; }

private:
    using Value = std::variant<int32_t, QString, QByteArray>;
    struct Node {
        std::map<QString, Value> values;
        std::map<QString, std::unique_ptr<Node>> children;
        bool holdsSomething() const;
    };
    const Node* find(const QString& key) const;
    Node* findOrCreate(const QString& key);
    std::optional<Value> read(const QString& key, const QString& name) const;
    bool write(const QString& key, const QString& name, Value value);

    mutable std::mutex mutex_;
    Node root_;
};

}  // namespace platform
