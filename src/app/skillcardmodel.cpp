#include "skillcardmodel.h"

#include "codepointorder.h"
#include "metadatatexts.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype previewLines = 20;

bool isBlankLine(QStringView line)
{
    return std::all_of(line.begin(), line.end(), [](QChar c) { return c == u' ' || c == u'\t'; });
}

} // namespace

QStringList SkillCardModel::metadataKeys(const QMap<QString, QString> &frontmatter)
{
    QStringList keys;
    for (auto it = frontmatter.cbegin(); it != frontmatter.cend(); ++it) {
        const QString lower = it.key().toLower();
        if (lower == u"name"_s || lower == u"description"_s || it.value().isEmpty())
            continue;
        keys.append(it.key());
    }
    // QMap already iterates in QString order, which is UTF-16 order; sort by
    // code point so keys outside the basic plane land where they belong.
    std::sort(keys.begin(), keys.end(), &CodePointOrder::less);
    return keys;
}

QList<SkillCardModel::ArtifactGroup> SkillCardModel::groupedArtifacts(
    const QList<SkillArtifact> &artifacts)
{
    QList<ArtifactGroup> groups;
    for (const SkillArtifact::Category category : SkillArtifact::allCategories) {
        ArtifactGroup group { category, {} };
        for (const SkillArtifact &artifact : artifacts) {
            if (artifact.category == category)
                group.artifacts.append(artifact);
        }
        if (!group.artifacts.isEmpty())
            groups.append(std::move(group));
    }
    return groups;
}

QString SkillCardModel::resourceCountText(qsizetype count)
{
    return count > 0 ? MetadataTexts::counted(count, u"resource"_s) : QString();
}

QString SkillCardModel::contentPreview(const QString &content)
{
    const QString text = content.isEmpty() ? u"(No content)"_s : content;
    QStringList kept;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (isBlankLine(line))
            continue;
        kept.append(line.toString());
        if (kept.size() == previewLines)
            break;
    }
    return kept.join(u'\n');
}
