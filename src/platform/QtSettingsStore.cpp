#include "platform/QtSettingsStore.h"

#include <algorithm>

#include <QSettings>
#include <QStandardPaths>
#include <QVariant>

namespace platform {

QString QtSettingsStore::defaultRootKey() {
    return QStringLiteral("Software\\Varnholt\\Orvelle");
}

QString QtSettingsStore::defaultFilePath() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base + QStringLiteral("/Varnholt/Orvelle.ini");
}

QtSettingsStore::QtSettingsStore() : QtSettingsStore(defaultRootKey(), defaultFilePath()) {}

QtSettingsStore::QtSettingsStore(const QString& rootKey, const QString& iniFilePath)
    : rootKey_(rootKey), settings_(std::make_unique<QSettings>(iniFilePath, QSettings::IniFormat)) {}

QtSettingsStore::~QtSettingsStore() {
    std::lock_guard lock(mutex_);
    settings_->sync();
}

QString QtSettingsStore::filePath() const {
    return settings_->fileName();
}

QString QtSettingsStore::escapeName(const QString& name) {
    QString out;
    out.reserve(name.size());
    for (QChar c : name) {
        switch (c.unicode()) {
        case '%': out += QStringLiteral("%25"); break;
        case '/': out += QStringLiteral("%2F"); break;
        case '\\': out += QStringLiteral("%5C"); break;
        default: out += c;
        }
    }
    return out;
}

QString QtSettingsStore::unescapeName(const QString& name) {
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == QLatin1Char('%') && i + 2 < name.size()) {
            const QString code = name.mid(i + 1, 2);
            if (code == QLatin1String("25")) { out += QLatin1Char('%'); i += 2; continue; }
            if (code == QLatin1String("2F")) { out += QLatin1Char('/'); i += 2; continue; }
            if (code == QLatin1String("5C")) { out += QLatin1Char('\\'); i += 2; continue; }
        }
        out += name[i];
    }
    return out;
}

std::optional<QString> QtSettingsStore::groupOf(const QString& key) const {
    if (key == rootKey_) return QString();
    const QString prefix = rootKey_ + QLatin1Char('\\');
    if (!key.startsWith(prefix)) return std::nullopt;
    const QStringList parts = splitKey(key.mid(prefix.size()));
    if (parts.isEmpty()) return std::nullopt;
    QStringList escaped;
    escaped.reserve(parts.size());
    for (const QString& p : parts) escaped << escapeName(p);
    return escaped.join(QLatin1Char('/'));
}

std::optional<QString> QtSettingsStore::valueKeyOf(const QString& key, const QString& name) const {
    if (name.isEmpty()) return std::nullopt;
    const auto group = groupOf(key);
    if (!group) return std::nullopt;
    return group->isEmpty() ? escapeName(name) : *group + QLatin1Char('/') + escapeName(name);
}

bool QtSettingsStore::keyExists(const QString& key) const {
    const auto group = groupOf(key);
    if (!group) return false;
    std::lock_guard lock(mutex_);
    settings_->beginGroup(*group);
    const bool exists = !settings_->allKeys().isEmpty();
    settings_->endGroup();
    return exists;
}

QStringList QtSettingsStore::childNames(const QString& key, QStringList (QSettings::*children)() const) const {
    const auto group = groupOf(key);
    if (!group) return {};
    QStringList out;
    {
        std::lock_guard lock(mutex_);
        settings_->beginGroup(*group);
        for (const QString& child : (settings_.get()->*children)()) out << unescapeName(child);
        settings_->endGroup();
    }
    std::sort(out.begin(), out.end());
    return out;
}

QStringList QtSettingsStore::subkeys(const QString& key) const { return childNames(key, &QSettings::childGroups); }

QStringList QtSettingsStore::valueNames(const QString& key) const { return childNames(key, &QSettings::childKeys); }

std::optional<int32_t> QtSettingsStore::readInt(const QString& key, const QString& name) const {
    const auto k = valueKeyOf(key, name);
    if (!k) return std::nullopt;
    QVariant v;
    {
        std::lock_guard lock(mutex_);
        v = settings_->value(*k);
    }
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        bool ok = false;
        const qlonglong n = v.toLongLong(&ok);
        if (ok && n >= INT32_MIN && n <= INT32_MAX) return static_cast<int32_t>(n);
        return std::nullopt;
    }
    case QMetaType::QString: {
        bool ok = false;
        const int32_t n = v.toString().trimmed().toInt(&ok);
        if (ok) return n;
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<QString> QtSettingsStore::readString(const QString& key, const QString& name) const {
    const auto k = valueKeyOf(key, name);
    if (!k) return std::nullopt;
    QVariant v;
    {
        std::lock_guard lock(mutex_);
        v = settings_->value(*k);
    }
    switch (v.typeId()) {
    case QMetaType::QString:
        return v.toString();
    case QMetaType::QStringList:
        // An unquoted text with commas, as a hand-edited file may hold it.
        return v.toStringList().join(QStringLiteral(", "));
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return v.toString();
    default:
        return std::nullopt;
    }
}

std::optional<QByteArray> QtSettingsStore::readBinary(const QString& key, const QString& name) const {
    const auto k = valueKeyOf(key, name);
    if (!k) return std::nullopt;
    QVariant v;
    {
        std::lock_guard lock(mutex_);
        v = settings_->value(*k);
    }
    if (v.typeId() != QMetaType::QByteArray) return std::nullopt;
    return v.toByteArray();
}

bool QtSettingsStore::writeVariant(const QString& key, const QString& name, const QVariant& value) {
    const auto k = valueKeyOf(key, name);
    if (!k) return false;
    std::lock_guard lock(mutex_);
    if (!settings_->isWritable()) return false;
    settings_->setValue(*k, value);
    return true;
}

bool QtSettingsStore::writeInt(const QString& key, const QString& name, int32_t value) {
    return writeVariant(key, name, QVariant(static_cast<int>(value)));
}
bool QtSettingsStore::writeString(const QString& key, const QString& name, const QString& value) {
    return writeVariant(key, name, QVariant(value));
}
bool QtSettingsStore::writeBinary(const QString& key, const QString& name, const QByteArray& value) {
    return writeVariant(key, name, QVariant(value));
}

bool QtSettingsStore::removeValue(const QString& key, const QString& name) {
    const auto k = valueKeyOf(key, name);
    if (!k) return false;
    std::lock_guard lock(mutex_);
    if (!settings_->contains(*k)) return true;
    // remove() of a name that is also a group takes the group's keys too; put them back.
    settings_->beginGroup(*k);
    QList<std::pair<QString, QVariant>> below;
    for (const QString& sub : settings_->allKeys()) below.append({sub, settings_->value(sub)});
    settings_->endGroup();
    settings_->remove(*k);
    for (const auto& [sub, value] : below) settings_->setValue(*k + QLatin1Char('/') + sub, value);
    return true;
}

bool QtSettingsStore::removeKey(const QString& key) {
    const auto group = groupOf(key);
    if (!group) return false;
    std::lock_guard lock(mutex_);
    if (group->isEmpty()) {
        settings_->clear();
    } else {
        // remove() would also take a value of the same name in the parent group; keep it.
        const bool hadValue = settings_->contains(*group);
        const QVariant value = hadValue ? settings_->value(*group) : QVariant();
        settings_->remove(*group);
        if (hadValue) settings_->setValue(*group, value);
    }
    return true;
}

bool QtSettingsStore::flush() {
    std::lock_guard lock(mutex_);
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

}  // namespace platform
