#include "settingsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString scanPathsKey = u"customScanPaths"_s;
const QString defaultToolKey = u"defaultTool"_s;

// Long enough for another process to finish its few-millisecond change, short
// enough that a window never seems to hang on a stuck one.
constexpr int lockTimeoutMs = 5000;

QString cannotRead(const QString &path, const QString &reason)
{
    return u"Cannot read the settings file %1: %2."_s.arg(path, reason);
}

QString cannotWrite(const QString &path, const QString &reason)
{
    return u"Cannot write the settings file %1: %2."_s.arg(path, reason);
}

// The file's bytes; nothing when there is no file, which reads as empty.
Result<std::optional<QByteArray>> readBytes(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return std::optional<QByteArray>();
    if (!file.open(QIODevice::ReadOnly))
        return Error { Error::Io, cannotRead(path, file.errorString()) };
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Error { Error::Io, cannotRead(path, file.errorString()) };
    return std::optional<QByteArray>(std::move(bytes));
}

// QSettings decodes bad bytes to U+FFFD and writes every key back on its next
// write, so such a file would come back changed in places nobody touched.
std::optional<Error> textProblem(const QString &path, const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    Q_UNUSED(text);
    if (!decoder.hasError())
        return std::nullopt;
    return Error { Error::BadInput,
        u"The settings file %1 is not valid UTF-8; Quire leaves it unchanged until it is "
        "fixed or removed."_s.arg(path) };
}

// QSettings shares one parse per file name within a process, parses again only
// when the file's size or time changed (two quick writes of one length defeat
// that), and keeps its first error for as long as it lives. A copy under a name
// no QSettings has seen gives a fresh parse with its own status.
std::unique_ptr<QTemporaryFile> freshCopy(const QString &templatePath, const QByteArray &bytes)
{
    auto copy = std::make_unique<QTemporaryFile>(templatePath);
    if (!copy->open() || copy->write(bytes) != bytes.size() || !copy->flush())
        return nullptr;
    copy->close();
    return copy;
}

std::optional<Error> parseProblem(const QString &path, const QSettings &parsed)
{
    switch (parsed.status()) {
    case QSettings::NoError:
        return std::nullopt;
    case QSettings::FormatError:
        return Error { Error::BadInput,
            u"The settings file %1 has lines Quire cannot read; Quire leaves it unchanged until "
            "they are fixed."_s.arg(path) };
    case QSettings::AccessError:
        break;
    }
    return Error { Error::Io, cannotRead(path, u"its copy could not be read"_s) };
}

// The entries as stored, before any is judged usable. INI writes a one-path
// list as a bare value, so bare text is a one-entry list; a hand-typed number
// or word is then one entry that is not an absolute path, skipped like any
// other. Anything else (absent, the empty list written as @Invalid(), a typed
// value such as @Variant(...)) is no list at all.
QStringList storedEntries(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::QStringList:
        return value.toStringList();
    case QMetaType::QString:
        return value.toString().isEmpty() ? QStringList {} : QStringList { value.toString() };
    default:
        return {};
    }
}

bool isUsable(const QString &entry)
{
    // Scanning a relative entry would depend on where the scan runs, and a
    // prune run from elsewhere would delete what it found with its favourites.
    return QDir::isAbsolutePath(entry);
}

// Changes the file through `change` under its lock; false when `change` declined.
Result<bool> editFile(const QString &path, const std::function<bool(QSettings &file)> &change)
{
    // A link to the file (a dotfiles checkout) stays a link; its target is replaced.
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.symLinkTarget() : path;
    const QString folder = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(folder))
        return Error { Error::Io, cannotWrite(path, u"cannot make the folder %1"_s.arg(folder)) };

    // Held from the read to the rename, so a change by another process lands
    // either wholly before this one's read or wholly after its write.
    QLockFile lock(target + u".lock"_s);
    if (!lock.tryLock(lockTimeoutMs)) {
        if (lock.error() == QLockFile::LockFailedError)
            return Error { Error::Conflict,
                u"The settings file %1 is being changed by another program; try again."_s.arg(
                    path) };
        return Error { Error::Io, cannotWrite(path, u"cannot make its lock file"_s) };
    }

    auto bytes = readBytes(target);
    if (!bytes)
        return bytes.error();
    const bool exists = bytes.value().has_value();
    const QByteArray text = bytes.value().value_or(QByteArray());
    if (auto problem = textProblem(path, text))
        return *problem;

    // The new text is made beside the file and renamed over it, so a reader
    // never sees half a file and a failed write leaves the old one.
    const auto copy = freshCopy(target + u".XXXXXX"_s, text);
    if (!copy)
        return Error { Error::Io, cannotWrite(path, u"cannot make a file in %1"_s.arg(folder)) };
    if (exists)
        QFile::setPermissions(copy->fileName(), QFileInfo(target).permissions());
    {
        QSettings file(copy->fileName(), QSettings::IniFormat);
        (void)file.allKeys(); // parses every section, so the status covers them all
        if (auto problem = parseProblem(path, file))
            return *problem;
        if (!change(file))
            return false;
        file.sync();
        if (file.status() != QSettings::NoError)
            return Error { Error::Io, cannotWrite(path, u"the new text was not saved"_s) };
    }
    if (std::rename(
            QFile::encodeName(copy->fileName()).constData(), QFile::encodeName(target).constData())
        != 0)
        return Error { Error::Io, cannotWrite(path, QString::fromLocal8Bit(std::strerror(errno))) };
    copy->setAutoRemove(false);
    return true;
}

} // namespace

QString SettingsStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + u"/Quire/Quire.conf"_s;
}

SettingsStore::SettingsStore(const QString &iniPath, QObject *parent)
    : QObject(parent), m_path(QFileInfo(iniPath).absoluteFilePath())
{
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::path() const
{
    return m_path;
}

const SettingsStore::Snapshot &SettingsStore::load() const
{
    auto bytes = readBytes(m_path);
    if (!bytes) {
        m_snapshot = Snapshot { {}, true, {}, bytes.error() };
        return *m_snapshot;
    }
    const bool exists = bytes.value().has_value();
    const QByteArray text = bytes.value().value_or(QByteArray());
    if (m_snapshot && !m_snapshot->problem && m_snapshot->exists == exists
        && m_snapshot->bytes == text)
        return *m_snapshot;

    Snapshot snapshot { text, exists, {}, textProblem(m_path, text) };
    const auto copy = freshCopy(QDir::tempPath() + u"/quire-settings-XXXXXX.conf"_s, text);
    if (!copy) {
        snapshot.problem = Error { Error::Io, cannotRead(m_path, u"no temporary copy"_s) };
    } else {
        const QSettings parsed(copy->fileName(), QSettings::IniFormat);
        // As many keys as parse, even from a file with a problem: readers get
        // what can be read, writers refuse. Sections are parsed on first use,
        // so the status is complete only after every key was asked for.
        const QStringList keys = parsed.allKeys();
        for (const QString &key : keys)
            snapshot.values.insert(key, parsed.value(key));
        if (!snapshot.problem)
            snapshot.problem = parseProblem(m_path, parsed);
    }
    m_snapshot = std::move(snapshot);
    return *m_snapshot;
}

QStringList SettingsStore::usablePaths(const QVariant &stored) const
{
    QStringList usable;
    const QStringList entries = storedEntries(stored);
    for (const QString &entry : entries) {
        if (isUsable(entry)) {
            usable.append(entry);
            continue;
        }
        emit warning(u"Skipping \"%1\" in the custom scan directories of %2: not an absolute "
                     "path."_s.arg(entry, m_path));
    }
    return usable;
}

Result<QStringList> SettingsStore::readCustomScanPaths() const
{
    const Snapshot &snapshot = load();
    if (snapshot.problem)
        return *snapshot.problem;
    return usablePaths(snapshot.values.value(scanPathsKey));
}

QStringList SettingsStore::customScanPaths() const
{
    const Snapshot &snapshot = load();
    if (snapshot.problem)
        emit warning(snapshot.problem->message);
    return usablePaths(snapshot.values.value(scanPathsKey));
}

Result<bool> SettingsStore::updateCustomScanPaths(
    const std::function<bool(QStringList &stored)> &change)
{
    QStringList written;
    auto done = editFile(m_path, [&](QSettings &file) {
        QStringList stored = storedEntries(file.value(scanPathsKey));
        if (!change(stored))
            return false;
        file.setValue(scanPathsKey, stored);
        written = stored;
        return true;
    });
    if (!done || !done.value())
        return done;
    // The watcher's later look at the file then finds nothing new.
    m_lastKnown.clear();
    for (const QString &entry : std::as_const(written)) {
        if (isUsable(entry))
            m_lastKnown.append(entry);
    }
    // After the rename: an observer that reads on receipt sees the new list.
    emit customScanPathsChanged();
    return true;
}

bool SettingsStore::setCustomScanPaths(const QStringList &paths)
{
    auto done = updateCustomScanPaths([&paths](QStringList &stored) {
        stored = paths;
        return true;
    });
    if (!done)
        emit warning(done.error().message);
    return done.has_value();
}

ToolSource SettingsStore::defaultTool() const
{
    return ToolSources::fromRaw(value(defaultToolKey).toString()).value_or(ToolSource::Claude);
}

void SettingsStore::setDefaultTool(ToolSource tool)
{
    setValue(defaultToolKey, ToolSources::rawValue(tool));
}

QVariant SettingsStore::value(const QString &key) const
{
    return load().values.value(key);
}

void SettingsStore::setValue(const QString &key, const QVariant &value)
{
    auto done = editFile(m_path, [&](QSettings &file) {
        file.setValue(key, value);
        return true;
    });
    if (!done)
        emit warning(done.error().message);
}

void SettingsStore::watchForOtherWriters()
{
    if (m_watcher)
        return;
    m_lastKnown = customScanPaths();
    m_watcher = new QFileSystemWatcher(this);
    // The folder as well as the file: a rewrite by rename ends a file watch.
    const QFileInfo file(m_path);
    QDir().mkpath(file.absolutePath());
    m_watcher->addPath(file.absolutePath());
    if (file.exists())
        m_watcher->addPath(m_path);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &SettingsStore::fileChanged);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &SettingsStore::fileChanged);
}

void SettingsStore::fileChanged()
{
    // Watch whatever file has the name now: a writer's rename replaced the one watched.
    m_watcher->removePath(m_path);
    if (QFileInfo::exists(m_path))
        m_watcher->addPath(m_path);
    const QStringList now = customScanPaths();
    if (now == m_lastKnown)
        return; // our own write, a lock file, or another key
    m_lastKnown = now;
    emit customScanPathsChanged();
}
