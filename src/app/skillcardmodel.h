#pragma once

#include "skillartifact.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QStringView>

// What the card shows of a skill, worked out apart from its widgets.
class SkillCardModel final
{
public:
    struct ArtifactGroup
    {
        SkillArtifact::Category category;
        QList<SkillArtifact> artifacts;
    };

    // Frontmatter keys other than name and description (any letter case)
    // whose value is not empty, in code-point order.
    static QStringList metadataKeys(const QMap<QString, QString> &frontmatter);
    static bool hasExtraMetadata(const QMap<QString, QString> &frontmatter)
    {
        return !metadataKeys(frontmatter).isEmpty();
    }

    // By category in the card's fixed order, list order within a group, empty
    // groups left out.
    static QList<ArtifactGroup> groupedArtifacts(const QList<SkillArtifact> &artifacts);

    // "1 resource", "2 resources"; empty for none.
    static QString resourceCountText(qsizetype count);

    // The first 20 non-blank lines of the body, as they are.
    static QString contentPreview(const QString &content);
};
