#include "settingsstore.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

constexpr QStringView scanPathsKey = u"customScanPaths";
constexpr QStringView defaultToolKey = u"defaultTool";

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
    m_lastKnown = paths;
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

ToolSource SettingsStore::defaultTool() const
{
    m_settings.sync();
    return ToolSources::fromRaw(m_settings.value(defaultToolKey).toString())
        .value_or(ToolSource::Claude);
}

void SettingsStore::setDefaultTool(ToolSource tool)
{
    m_settings.setValue(defaultToolKey, ToolSources::rawValue(tool));
    m_settings.sync();
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

void SettingsStore::watchForOtherWriters()
{
    if (m_watcher)
        return;
    m_lastKnown = customScanPaths();
    m_watcher = new QFileSystemWatcher(this);
    // The folder as well as the file: a rewrite by rename ends a file watch.
    const QFileInfo file(path());
    QDir().mkpath(file.absolutePath());
    m_watcher->addPath(file.absolutePath());
    if (file.exists())
        m_watcher->addPath(file.absoluteFilePath());
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &SettingsStore::fileChanged);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &SettingsStore::fileChanged);
}

void SettingsStore::fileChanged()
{
    const QFileInfo file(path());
    if (file.exists() && !m_watcher->files().contains(file.absoluteFilePath()))
        m_watcher->addPath(file.absoluteFilePath());
    const QStringList now = customScanPaths();
    if (now == m_lastKnown)
        return; // our own write, or another key
    m_lastKnown = now;
    emit customScanPathsChanged();
}
