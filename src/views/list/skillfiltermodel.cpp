#include "skillfiltermodel.h"

#include "modelcontext.h"
#include "skill.h"
#include "skillhealth.h"
#include "skilllistmodel.h"
#include "skillsearchindex.h"

SkillFilterModel::SkillFilterModel(SkillListModel *source, QObject *parent)
    : QSortFilterProxyModel(parent), m_source(source), m_index(new SkillSearchIndex(this))
{
    // Rows keep the store's name order; dataChanged still re-filters a row,
    // so a skill unmarked as favourite leaves the Favorites list at once.
    setDynamicSortFilter(true);
    setSourceModel(source);
    ModelContext *context = source->context();
    connect(m_index, &SkillSearchIndex::updated, this, &SkillFilterModel::searchIndexUpdated);
    if (!context)
        return;
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
    // Built on the first search if prepareSearch() has not started it; one
    // still being built in slices is finished now, in one go.
    if (!m_indexAttached && m_source->context()) {
        m_indexAttached = true;
        m_index->attach(m_source->context());
    }
    m_index->finishIndexing();
    const QList<Skill *> found = m_index->search(m_query.searchText(), m_source->skills());
    return { found.cbegin(), found.cend() };
}

void SkillFilterModel::prepareSearch()
{
    if (m_indexAttached || !m_source->context())
        return;
    m_indexAttached = true;
    m_index->attachInSlices(m_source->context());
}

bool SkillFilterModel::isPreparingSearch() const
{
    return m_index->isIndexing();
}

void SkillFilterModel::searchIndexUpdated()
{
    // Whether the index or the list model heard the batch first, the rows
    // end up filtered by the new texts.
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
