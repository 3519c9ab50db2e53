#include "skilllistmodel.h"

#include "modelcontext.h"
#include "skill.h"

#include <QSet>

#include <algorithm>

namespace {

// Past this many separate row operations in one batch, one reset (or one
// re-sort) costs the views less than a signal per range.
constexpr qsizetype maxRowOperations = 64;

// Ascending rows grouped into runs of neighbours, as [first, last] pairs.
QList<std::pair<int, int>> contiguousRanges(const QList<int> &rows)
{
    QList<std::pair<int, int>> ranges;
    for (const int row : rows) {
        if (!ranges.isEmpty() && ranges.last().second + 1 == row)
            ranges.last().second = row;
        else
            ranges.append({ row, row });
    }
    return ranges;
}

} // namespace

SkillListModel::SkillListModel(ModelContext *context, QObject *parent)
    : QAbstractListModel(parent), m_context(context)
{
    if (!context)
        return;
    m_rows = context->skillsByName();
    connect(context, &ModelContext::skillsInserted, this, &SkillListModel::insertSkills);
    connect(context, &ModelContext::skillsRemoved, this, &SkillListModel::removeSkills);
    connect(context, &ModelContext::skillsChanged, this, &SkillListModel::changeSkills);
    // Its records go with it; no row may point at them afterwards.
    connect(context, &QObject::destroyed, this, [this] { resetTo({}); });
}

SkillListModel::~SkillListModel() = default;

ModelContext *SkillListModel::context() const
{
    return m_context;
}

Skill *SkillListModel::skillAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row) : nullptr;
}

int SkillListModel::rowOf(const Skill *skill) const
{
    if (!skill)
        return -1;
    const auto found = std::lower_bound(m_rows.cbegin(), m_rows.cend(), skill,
        [](const Skill *a, const Skill *b) { return ModelContext::nameLess(a, b); });
    if (found != m_rows.cend() && *found == skill)
        return int(found - m_rows.cbegin());
    // Renamed but not saved yet: its row still sorts by the old name.
    return int(m_rows.indexOf(skill));
}

int SkillListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant SkillListModel::data(const QModelIndex &index, int role) const
{
    const Skill *skill = index.parent().isValid() ? nullptr : skillAt(index.row());
    if (!skill)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return skill->name();
    case SkillRole:
        return QVariant::fromValue(const_cast<Skill *>(skill));
    case ProjectNameRole:
        if (const std::optional<QString> project = skill->projectName())
            return *project;
        return {};
    case IsFavoriteRole:
        return skill->isFavorite();
    default:
        return {};
    }
}

Qt::ItemFlags SkillListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || index.parent().isValid() || !skillAt(index.row()))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QHash<int, QByteArray> SkillListModel::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(SkillRole, "skill");
    names.insert(ProjectNameRole, "projectName");
    names.insert(IsFavoriteRole, "isFavorite");
    return names;
}

void SkillListModel::insertSkills(QList<Skill *> added)
{
    added.removeAll(nullptr);
    if (added.isEmpty())
        return;
    std::sort(added.begin(), added.end(), ModelContext::nameLess);
    if (m_rows.isEmpty()) { // the first load of a store: one operation
        beginInsertRows({}, 0, int(added.size()) - 1);
        m_rows = std::move(added);
        endInsertRows();
        return;
    }

    // Runs of new skills that land between the same two old rows.
    struct Run
    {
        qsizetype at;
        qsizetype first;
        qsizetype count;
    };
    QList<Run> runs;
    auto from = m_rows.cbegin();
    for (qsizetype i = 0; i < added.size(); ++i) {
        from = std::lower_bound(from, m_rows.cend(), added.at(i), ModelContext::nameLess);
        const qsizetype at = from - m_rows.cbegin();
        if (!runs.isEmpty() && runs.last().at == at)
            ++runs.last().count;
        else
            runs.append({ at, i, 1 });
    }
    if (runs.size() > maxRowOperations) {
        QList<Skill *> merged;
        merged.reserve(m_rows.size() + added.size());
        std::merge(m_rows.cbegin(), m_rows.cend(), added.cbegin(), added.cend(),
            std::back_inserter(merged), ModelContext::nameLess);
        resetTo(std::move(merged));
        return;
    }
    qsizetype shift = 0;
    for (const Run &run : std::as_const(runs)) {
        const qsizetype at = run.at + shift;
        beginInsertRows({}, int(at), int(at + run.count) - 1);
        m_rows.insert(at, run.count, nullptr);
        std::copy_n(added.cbegin() + run.first, run.count, m_rows.begin() + at);
        endInsertRows();
        shift += run.count;
    }
}

void SkillListModel::removeSkills(const QList<Skill *> &removed)
{
    // Found by identity, not by name: a record may have been renamed before
    // it was removed, so its name no longer tells where its row is.
    const QSet<const Skill *> gone(removed.cbegin(), removed.cend());
    QList<int> rows;
    for (int row = 0; row < m_rows.size(); ++row) {
        if (gone.contains(m_rows.at(row)))
            rows.append(row);
    }
    if (rows.isEmpty())
        return;
    const QList<std::pair<int, int>> ranges = contiguousRanges(rows);
    if (ranges.size() > maxRowOperations) {
        QList<Skill *> kept = m_rows;
        kept.removeIf([&gone](const Skill *skill) { return gone.contains(skill); });
        resetTo(std::move(kept));
        return;
    }
    for (auto range = ranges.crbegin(); range != ranges.crend(); ++range) {
        beginRemoveRows({}, range->first, range->second);
        m_rows.remove(range->first, range->second - range->first + 1);
        endRemoveRows();
    }
}

void SkillListModel::changeSkills(const QList<Skill *> &changed)
{
    const QSet<const Skill *> touched(changed.cbegin(), changed.cend());
    const auto changedRows = [this, &touched] {
        QList<int> rows;
        for (int row = 0; row < m_rows.size(); ++row) {
            if (touched.contains(m_rows.at(row)))
                rows.append(row);
        }
        return rows;
    };
    QList<int> rows = changedRows();
    if (rows.isEmpty())
        return;

    // Only a rename moves a row; a favourite or a body changes it in place.
    if (!std::is_sorted(m_rows.cbegin(), m_rows.cend(), ModelContext::nameLess)) {
        if (rows.size() <= maxRowOperations)
            moveIntoPlace(rows);
        // Rows inserted by the same save were placed among the old names.
        if (!std::is_sorted(m_rows.cbegin(), m_rows.cend(), ModelContext::nameLess))
            sortLayout();
        rows = changedRows();
    }

    const QList<std::pair<int, int>> ranges = contiguousRanges(rows);
    if (ranges.size() > maxRowOperations) {
        Q_EMIT dataChanged(index(0), index(int(m_rows.size()) - 1));
        return;
    }
    for (const auto &[first, last] : ranges)
        Q_EMIT dataChanged(index(first), index(last));
}

// Each changed skill in turn goes just before the first row it sorts before,
// counting only rows already in order: the unchanged ones, which kept their
// order, and the changed ones placed so far.
void SkillListModel::moveIntoPlace(const QList<int> &changedRows)
{
    QList<Skill *> moving;
    for (const int row : changedRows)
        moving.append(m_rows.at(row));
    QSet<const Skill *> unsettled(moving.cbegin(), moving.cend());
    for (Skill *skill : std::as_const(moving)) {
        unsettled.remove(skill);
        const int from = int(m_rows.indexOf(skill));
        int to = int(m_rows.size());
        bool passesSmaller = false;
        for (int row = 0; row < m_rows.size(); ++row) {
            const Skill *other = m_rows.at(row);
            if (row == from || unsettled.contains(other))
                continue;
            if (ModelContext::nameLess(skill, other)) {
                to = row;
                break;
            }
            passesSmaller = passesSmaller || row > from;
        }
        if (to > from && !passesSmaller)
            continue;
        beginMoveRows({}, from, from, {}, to);
        m_rows.move(from, to > from ? to - 1 : to);
        endMoveRows();
    }
}

void SkillListModel::sortLayout()
{
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QList<Skill *> before = m_rows;
    std::sort(m_rows.begin(), m_rows.end(), ModelContext::nameLess);
    QHash<const Skill *, int> rowOfSkill;
    rowOfSkill.reserve(m_rows.size());
    for (int row = 0; row < m_rows.size(); ++row)
        rowOfSkill.insert(m_rows.at(row), row);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex &old : from)
        to.append(index(rowOfSkill.value(before.at(old.row()))));
    changePersistentIndexList(from, to);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void SkillListModel::resetTo(QList<Skill *> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}
