#include "artifactcache.h"

#include <QMutexLocker>

ArtifactCache &ArtifactCache::shared()
{
    static ArtifactCache instance;
    return instance;
}

QList<SkillArtifact> ArtifactCache::artifactsForPath(const QString &path) const
{
    const QMutexLocker locker(&m_lock);
    return m_cache.value(path);
}

void ArtifactCache::setArtifacts(const QList<SkillArtifact> &artifacts, const QString &path)
{
    const QMutexLocker locker(&m_lock);
    m_cache.insert(path, artifacts);
    m_stamps.remove(path);
}

void ArtifactCache::setArtifacts(
    const QList<SkillArtifact> &artifacts, const QString &path, const ArtifactStamp &stamp)
{
    const QMutexLocker locker(&m_lock);
    m_cache.insert(path, artifacts);
    m_stamps.insert(path, stamp);
}

std::optional<ArtifactStamp> ArtifactCache::stampForPath(const QString &path) const
{
    const QMutexLocker locker(&m_lock);
    const auto it = m_stamps.constFind(path);
    if (it == m_stamps.constEnd())
        return std::nullopt;
    return *it;
}
