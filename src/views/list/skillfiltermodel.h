#pragma once

#include "skillquery.h"

#include <QSet>
#include <QSortFilterProxyModel>

class Skill;
class SkillListModel;

// The rows of a SkillListModel that a SkillQuery keeps, in the same order.
// The sidebar filter is asked per row; the search is answered once per
// query by the store's search index, so a keystroke costs a hash lookup per
// row rather than a pass over every body.
class SkillFilterModel final : public QSortFilterProxyModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SkillFilterModel)

public:
    explicit SkillFilterModel(SkillListModel *source, QObject *parent = nullptr);
    ~SkillFilterModel() override;

    SkillQuery query() const { return m_query; }
    void setQuery(const SkillQuery &query);

    Skill *skillAt(int row) const;
    // -1 when the skill is filtered out or not listed.
    int rowOf(const Skill *skill) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    QSet<const Skill *> searchMatches() const;
    void skillsSaved();
    void collectionsChanged();
    void healthChanged();

    SkillListModel *m_source;
    SkillQuery m_query;
    QMetaObject::Connection m_healthConnection;
    QSet<const Skill *> m_matches; // for a non-empty search only
};
