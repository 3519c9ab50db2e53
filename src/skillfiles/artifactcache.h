#pragma once

#include "artifactstamp.h"
#include "skillartifact.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>

#include <optional>

// The artifact lists of folder skills, keyed by the skill file path the scanner
// reached them by. Memory only: empty at every start until the first scan.
class ArtifactCache final
{
public:
    // One per process, made on first use; the scanner fills it and card views
    // read it without a handle on either.
    static ArtifactCache &shared();

    ArtifactCache(const ArtifactCache &) = delete;
    ArtifactCache &operator=(const ArtifactCache &) = delete;

    // A copy, so the caller never reads a list while another thread replaces it.
    QList<SkillArtifact> artifactsForPath(const QString &path) const;
    void setArtifacts(const QList<SkillArtifact> &artifacts, const QString &path);
    // With what the walk saw, so that a rescan can tell whether to walk again.
    void setArtifacts(
        const QList<SkillArtifact> &artifacts, const QString &path, const ArtifactStamp &stamp);
    std::optional<ArtifactStamp> stampForPath(const QString &path) const;

private:
    ArtifactCache() = default;

    mutable QMutex m_lock;
    QHash<QString, QList<SkillArtifact>> m_cache;
    QHash<QString, ArtifactStamp> m_stamps;
};
