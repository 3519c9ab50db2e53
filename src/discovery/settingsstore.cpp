#include "settingsstore.h"

#include <QDir>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

constexpr QStringView scanPathsKey = u"customScanPaths";

} // namespace

QString SettingsStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + u"/Quire/Quire.conf"_s;
}

SettingsStore::SettingsStore(const QString &iniPath, QObject *parent)
    : QObject(parent), m_settings(iniPath, QSettings::IniFormat)
{
}

QString SettingsStore::path() const
{
    return m_settings.fileName();
}

QStringList SettingsStore::customScanPaths() const
{
    m_settings.sync();
    const QVariant value = m_settings.value(scanPathsKey);
    switch (value.metaType().id()) {
    case QMetaType::QStringList:
        return value.toStringList();
    case QMetaType::QString: {
        // INI writes a one-path list as a bare value, the same text a hand-typed
        // number or word would be. Every list we write holds absolute paths, so a
        // bare value is a one-path list only when it is one; anything else reads as
        // absent rather than as a path relative to wherever the scanner runs.
        const QString text = value.toString();
        return QDir::isAbsolutePath(text) ? QStringList { text } : QStringList {};
    }
    default:
        // Absent, the empty list (written as @Invalid()), or a typed value such as
        // @Variant(...) or @ByteArray(...).
        return {};
    }
}

void SettingsStore::setCustomScanPaths(const QStringList &paths)
{
    m_settings.setValue(scanPathsKey, paths);
    // On disk before anyone hears of it: an open window watching the file, or an
    // observer that reads on receipt, sees the new list.
    m_settings.sync();
    emit customScanPathsChanged();
}

QSettings::Status SettingsStore::status() const
{
    return m_settings.status();
}

QVariant SettingsStore::value(const QString &key) const
{
    return m_settings.value(key);
}

void SettingsStore::setValue(const QString &key, const QVariant &value)
{
    m_settings.setValue(key, value);
    m_settings.sync();
}
