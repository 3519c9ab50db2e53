#include "fakehome.h"

#include "quirerun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Homes alive now, oldest first. `m_home = std::make_unique<FakeHome>()` makes
// the new home before the old one goes, so the old one must not put back
// the variables over the new one's.
std::vector<FakeHome *> &liveHomes()
{
    static std::vector<FakeHome *> homes;
    return homes;
}

} // namespace

FakeHome::FakeHome(Store store)
{
    liveHomes().push_back(this);
    if (!m_dir.isValid()) {
        QTest::qFail("cannot make a temporary folder", __FILE__, __LINE__);
        return;
    }
    QDir(m_dir.path()).mkpath(u"home"_s);
    m_storePath = store == Store::Memory ? u":memory:"_s : m_dir.filePath(u"store.sqlite"_s);
    set("HOME", QFile::encodeName(path()));
    set("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(u"config"_s)));
    set("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath(u"data"_s)));
    set("QUIRE_STORE", QFile::encodeName(m_storePath));
}

FakeHome::~FakeHome()
{
    auto &homes = liveHomes();
    const auto self = std::find(homes.begin(), homes.end(), this);
    const auto newer = self + 1;
    if (newer != homes.end()) {
        // What this home found becomes what the newer one puts back.
        for (auto &[name, value] : (*newer)->m_saved) {
            for (const auto &[mine, found] : m_saved) {
                if (mine == name)
                    value = found;
            }
        }
        homes.erase(self);
        return;
    }
    homes.erase(self);
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
    QString file = path(relative);
    QFile out(file);
    if (!QDir().mkpath(QFileInfo(file).absolutePath())
        || !out.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || out.write(bytes) != bytes.size()) {
        QTest::qFail(qPrintable(u"cannot write "_s + file), __FILE__, __LINE__);
        return {};
    }
    return file;
}

bool FakeHome::writeSettings(const QByteArray &text) const
{
    QFile file(settingsPath());
    return QDir().mkpath(QFileInfo(file).absolutePath()) && file.open(QIODevice::WriteOnly)
        && file.write(text) == text.size();
}

QByteArray FakeHome::read(const QString &absolutePath)
{
    QFile in(absolutePath);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<missing>");
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

QuireRun FakeHome::quire(const QStringList &arguments) const
{
    return runQuire(arguments, environment());
}
