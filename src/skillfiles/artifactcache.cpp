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
}
