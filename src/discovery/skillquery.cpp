#include "skillquery.h"

#include "foldedtext.h"
#include "modelcontext.h"
#include "skill.h"
#include "skillcollection.h"
#include "skillhealth.h"
#include "toolsource.h"

#include <algorithm>

using namespace Qt::StringLiterals;

SkillQuery::SkillQuery(SidebarFilter filter, QString searchText, const SkillHealth *health)
    : m_filter(std::move(filter)),
      m_searchText(std::move(searchText)),
      m_foldedSearch(fold(m_searchText)),
      m_health(health)
{
}

bool SkillQuery::matchesFilter(const Skill &skill) const
{
    switch (m_filter.kind()) {
    case SidebarFilter::Kind::All:
        return true;
    case SidebarFilter::Kind::Favorites:
        return skill.isFavorite();
    case SidebarFilter::Kind::Tool:
        return skill.toolSources().contains(m_filter.toolSource());
    case SidebarFilter::Kind::Collection:
        return SkillCollection::isMember(skill, m_filter.collectionName());
    case SidebarFilter::Kind::NeedsAttention:
        return m_health && m_health->needsAttention(&skill);
    case SidebarFilter::Kind::FileKind:
        return skill.kind() == m_filter.fileKindValue();
    }
    return false;
}

bool SkillQuery::matchesSearch(const Skill &skill) const
{
    // Not trimmed: a search of one space looks for a space.
    if (m_searchText.isEmpty())
        return true;
    return containsFolded(fold(skill.name()), m_foldedSearch)
        || containsFolded(fold(skill.skillDescription()), m_foldedSearch)
        || containsFolded(fold(skill.content()), m_foldedSearch);
}

QList<Skill *> SkillQuery::apply(const QList<Skill *> &skillsInNameOrder) const
{
    ModelContext *asked = nullptr;
    const std::optional<QSet<qint64>> hits = indexHits(skillsInNameOrder, &asked);
    QList<Skill *> kept;
    for (Skill *skill : skillsInNameOrder) {
        if (skill && matchesFilter(*skill) && keepsForSearch(*skill, hits, asked))
            kept.append(skill);
    }
    return kept;
}

QList<Skill *> SkillQuery::searchHits(const QList<Skill *> &skills) const
{
    ModelContext *asked = nullptr;
    const std::optional<QSet<qint64>> hits = indexHits(skills, &asked);
    QList<Skill *> kept;
    for (Skill *skill : skills) {
        if (skill && keepsForSearch(*skill, hits, asked))
            kept.append(skill);
    }
    return kept;
}

std::optional<QSet<qint64>> SkillQuery::indexHits(
    const QList<Skill *> &skills, ModelContext **asked) const
{
    if (m_searchText.isEmpty())
        return std::nullopt;
    const auto saved = std::find_if(skills.cbegin(), skills.cend(),
        [](const Skill *skill) { return skill && skill->context(); });
    if (saved == skills.cend())
        return std::nullopt;
    *asked = (*saved)->context();
    auto found = (*asked)->searchSkillIds(m_foldedSearch);
    // Slower, never wrong: a store that cannot answer leaves the plain pass.
    if (!found)
        return std::nullopt;
    return std::move(found.value());
}

bool SkillQuery::keepsForSearch(
    const Skill &skill, const std::optional<QSet<qint64>> &hits, const ModelContext *asked) const
{
    if (m_searchText.isEmpty())
        return true;
    // The index holds what was saved; an edit or a new record since is read.
    if (hits && skill.context() == asked && skill.hasSavedTexts())
        return hits->contains(skill.id());
    return matchesSearch(skill);
}

QString SkillQuery::title(const SidebarFilter &filter)
{
    switch (filter.kind()) {
    case SidebarFilter::Kind::All:
        return u"All skills"_s;
    case SidebarFilter::Kind::Favorites:
        return u"Favorites"_s;
    case SidebarFilter::Kind::Tool:
        return ToolSources::displayName(filter.toolSource());
    case SidebarFilter::Kind::Collection:
        return filter.collectionName();
    case SidebarFilter::Kind::NeedsAttention:
        return u"Needs attention"_s;
    case SidebarFilter::Kind::FileKind:
        return SkillKinds::pluralName(filter.fileKindValue());
    }
    return {};
}

std::optional<SidebarFilter> SkillQuery::parseFilter(const QString &text)
{
    if (text == u"all"_s)
        return SidebarFilter::all();
    if (text == u"favorites"_s)
        return SidebarFilter::favorites();
    if (text == u"needs-attention"_s)
        return SidebarFilter::needsAttention();
    if (text.startsWith(u"tool:"_s)) {
        if (const std::optional<ToolSource> tool = ToolSources::fromRaw(text.mid(5)))
            return SidebarFilter::tool(*tool);
        return std::nullopt;
    }
    if (text.startsWith(u"kind:"_s)) {
        if (const std::optional<SkillKind> kind = SkillKinds::fromRaw(text.mid(5)))
            return SidebarFilter::fileKind(*kind);
        return std::nullopt;
    }
    // A collection needs a name to be created, so an empty one can only be a
    // forgotten argument; better refused than an always-empty list.
    if (text.startsWith(u"collection:"_s) && text.size() > 11)
        return SidebarFilter::collection(text.mid(11));
    return std::nullopt;
}

QByteArray SkillQuery::fold(const QString &text)
{
    return FoldedText::fold(text);
}

qsizetype SkillQuery::indexOfFolded(
    QByteArrayView foldedText, QByteArrayView foldedNeedle, qsizetype from)
{
    return FoldedText::indexOf(foldedText, foldedNeedle, from);
}
