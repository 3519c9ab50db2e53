#include "fakehome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

FakeHome::FakeHome(Store store)
{
    if (!m_dir.isValid())
        return;
    QDir(m_dir.path()).mkpath(u"home"_s);
    m_storePath = store == Store::Memory ? u":memory:"_s : m_dir.filePath(u"store.sqlite"_s);
    set("HOME", QFile::encodeName(path()));
    set("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(u"config"_s)));
    set("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath(u"data"_s)));
    set("QUIRE_STORE", QFile::encodeName(m_storePath));
}

FakeHome::~FakeHome()
{
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
        if (it->second)
            qputenv(it->first.constData(), *it->second);
        else
            qunsetenv(it->first.constData());
    }
}

void FakeHome::set(const char *name, const QByteArray &value)
{
    m_saved.emplace_back(QByteArray(name),
        qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
    qputenv(name, value);
}

QString FakeHome::path(const QString &relative) const
{
    const QString home = m_dir.filePath(u"home"_s);
    return relative.isEmpty() ? home : home + u'/' + relative;
}

QString FakeHome::settingsPath() const
{
    return m_dir.filePath(u"config/Quire/Quire.conf"_s);
}

QString FakeHome::write(const QString &relative, const QByteArray &bytes) const
{
    const QString file = path(relative);
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return {};
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size())
        return {};
    return file;
}

bool FakeHome::age(const QString &absolutePath, int seconds)
{
    QFile file(absolutePath);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const QDateTime past = QDateTime::currentDateTimeUtc().addSecs(-seconds);
    return file.setFileTime(past, QFileDevice::FileModificationTime);
}

QProcessEnvironment FakeHome::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"HOME"_s, path());
    env.insert(u"XDG_CONFIG_HOME"_s, m_dir.filePath(u"config"_s));
    env.insert(u"XDG_DATA_HOME"_s, m_dir.filePath(u"data"_s));
    env.insert(u"QUIRE_STORE"_s, m_storePath);
    return env;
}
