#include "benchcorpus.h"

#include "skillscanner.h"
#include "toolsource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>

#include <ftw.h>
#include <sys/stat.h>
#include <time.h>

using namespace Qt::StringLiterals;

namespace {

qint64 newestChangeNs = 0;

int noteChange(const char *, const struct stat *info, int, struct FTW *)
{
    const auto ns
        = [](const struct timespec &t) { return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec; };
    newestChangeNs = std::max({ newestChangeNs, ns(info->st_mtim), ns(info->st_ctim) });
    return 0;
}

qint64 nowNs()
{
    struct timespec now
    {
    };
    ::clock_gettime(CLOCK_REALTIME, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

} // namespace

std::optional<BenchCorpus> BenchCorpus::fromEnvironment(QString *why)
{
    const QString root = qEnvironmentVariable("QUIRE_BENCH_CORPUS");
    if (root.isEmpty()) {
        *why = u"QUIRE_BENCH_CORPUS is not set; bench/run sets it to a quire-gencorpus folder"_s;
        return std::nullopt;
    }
    // The generator writes its manifest last, so a corpus without one is unfinished.
    QFile manifest(root + u"/corpus.txt"_s);
    if (!manifest.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *why = u"%1 has no corpus.txt; generate it again with quire-gencorpus"_s.arg(root);
        return std::nullopt;
    }
    BenchCorpus corpus;
    corpus.m_root = QDir::cleanPath(QDir(root).absolutePath());
    while (!manifest.atEnd()) {
        const QByteArray line = manifest.readLine().trimmed();
        if (line.startsWith("skills="))
            corpus.m_skills = line.mid(7).toInt();
        else if (line.startsWith("routes="))
            corpus.m_routes = line.mid(7).toInt();
        else if (line.startsWith("bytes="))
            corpus.m_bytes = line.mid(6).toLongLong();
    }
    if (corpus.m_skills <= 0 || corpus.m_routes < corpus.m_skills) {
        *why = u"%1/corpus.txt does not give the skill and route counts"_s.arg(root);
        return std::nullopt;
    }
    return corpus;
}

QString BenchCorpus::home() const
{
    return m_root + u"/home"_s;
}

QStringList BenchCorpus::scanDirectories() const
{
    return { m_root + u"/work1"_s, m_root + u"/work2"_s };
}

void BenchCorpus::enterHome(const QString &scratch) const
{
    qputenv("HOME", QFile::encodeName(home()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch + u"/config"_s));
    qputenv("XDG_DATA_HOME", QFile::encodeName(scratch + u"/data"_s));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(scratch + u"/cache"_s));
}

bool BenchCorpus::waitUntilSettled(QString *why) const
{
    newestChangeNs = 0;
    if (::nftw(QFile::encodeName(m_root).constData(), noteChange, 32, FTW_PHYS) != 0) {
        *why = u"cannot walk the corpus %1"_s.arg(m_root);
        return false;
    }
    // A little past the window: file times come from a coarser clock than ours.
    const qint64 settledAt = newestChangeNs + (SkillScanner::recentChangeMs + 100) * 1'000'000;
    const qint64 waitMs = (settledAt - nowNs()) / 1'000'000;
    if (waitMs > 0)
        QThread::msleep(std::min<qint64>(waitMs, SkillScanner::recentChangeMs + 100));
    return true;
}

QStringList BenchCorpus::listedFolders() const
{
    const auto isFolder = [](const QString &path) { return QFileInfo(path).isDir(); };
    QStringList folders;
    for (const QString &folder : ToolSources::allGlobalPaths(home())) {
        if (isFolder(folder))
            folders.append(folder);
    }
    for (const QString &directory : scanDirectories()) {
        folders.append(directory);
        const QStringList projects = QDir(directory).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &project : projects) {
            for (const ProjectFolder &row : ToolSources::projectFolders()) {
                const QString candidate = directory + u'/' + project + u'/' + row.relativePath;
                if (row.tool != ToolSource::Copilot && isFolder(candidate))
                    folders.append(candidate);
            }
        }
    }
    return folders;
}
