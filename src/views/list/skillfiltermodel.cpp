#include "skillfiltermodel.h"

#include "modelcontext.h"
#include "skill.h"
#include "skillhealth.h"
#include "skilllistmodel.h"

SkillFilterModel::SkillFilterModel(SkillListModel *source, QObject *parent)
    : QSortFilterProxyModel(parent), m_source(source)
{
    // Rows keep the store's name order; dataChanged still re-filters a row,
    // so a skill unmarked as favourite leaves the Favorites list at once.
    setDynamicSortFilter(true);
    setSourceModel(source);
    ModelContext *context = source->context();
    if (!context)
        return;
    // A saved batch may change what the search finds anywhere in the list.
    connect(context, &ModelContext::skillsInserted, this, &SkillFilterModel::skillsSaved);
    connect(context, &ModelContext::skillsChanged, this, &SkillFilterModel::skillsSaved);
    connect(context, &ModelContext::skillsRemoved, this, &SkillFilterModel::skillsSaved);
    // Collection membership is by name: a collection renamed or deleted
    // changes what a collection filter keeps without touching any skill.
    connect(
        context, &ModelContext::collectionsInserted, this, &SkillFilterModel::collectionsChanged);
    connect(
        context, &ModelContext::collectionsChanged, this, &SkillFilterModel::collectionsChanged);
    connect(
        context, &ModelContext::collectionsRemoved, this, &SkillFilterModel::collectionsChanged);
}

SkillFilterModel::~SkillFilterModel() = default;

void SkillFilterModel::setQuery(const SkillQuery &query)
{
    if (query == m_query)
        return;
    const bool sameSearch = query.searchText() == m_query.searchText();
    if (query.health() != m_query.health()) {
        disconnect(m_healthConnection);
        if (query.health())
            m_healthConnection = connect(
                query.health(), &SkillHealth::changed, this, &SkillFilterModel::healthChanged);
    }
    m_query = query;
    if (!sameSearch)
        m_matches = searchMatches();
    // A keystroke or a sidebar click changes rows all over the list: one
    // layout change costs the view less than a removal per scattered range.
    // Qt 6.4 has no beginFilterChange() to say which way it goes.
    invalidate();
}

Skill *SkillFilterModel::skillAt(int row) const
{
    return m_source->skillAt(mapToSource(index(row, 0)).row());
}

int SkillFilterModel::rowOf(const Skill *skill) const
{
    const int sourceRow = m_source->rowOf(skill);
    if (sourceRow < 0)
        return -1;
    return mapFromSource(m_source->index(sourceRow)).row();
}

bool SkillFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (sourceParent.isValid())
        return false;
    const Skill *skill = m_source->skillAt(sourceRow);
    return skill && m_query.matchesFilter(*skill)
        && (m_query.searchText().isEmpty() || m_matches.contains(skill));
}

QSet<const Skill *> SkillFilterModel::searchMatches() const
{
    if (m_query.searchText().isEmpty())
        return {};
    const QList<Skill *> found = m_query.searchHits(m_source->skills());
    return { found.cbegin(), found.cend() };
}

void SkillFilterModel::skillsSaved()
{
    // Whether this model or the list model heard the batch first, the rows
    // end up filtered by the new texts.
    if (m_query.searchText().isEmpty())
        return;
    QSet<const Skill *> matches = searchMatches();
    if (matches == m_matches)
        return;
    m_matches = std::move(matches);
    invalidateRowsFilter();
}

void SkillFilterModel::healthChanged()
{
    // Findings come after the batch that caused them, so the rows it
    // re-filtered are filtered again by the new findings.
    if (m_query.filter().kind() == SidebarFilter::Kind::NeedsAttention)
        invalidateRowsFilter();
}

void SkillFilterModel::collectionsChanged()
{
    if (m_query.filter().kind() == SidebarFilter::Kind::Collection)
        invalidateRowsFilter();
}
