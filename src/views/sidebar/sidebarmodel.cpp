#include "sidebarmodel.h"

#include "modelcontext.h"
#include "skill.h"
#include "skillcollection.h"
#include "skillhealth.h"
#include "symbolicons.h"
#include "toolicon.h"

#include <algorithm>
#include <array>
#include <numeric>

using namespace Qt::StringLiterals;

namespace {

QIcon iconFor(const SidebarFilter *filter, const QString &iconName)
{
    if (filter && filter->kind() == SidebarFilter::Kind::Tool)
        return ToolIcon::icon(filter->toolSource());
    if (iconName.isEmpty())
        return {};
    return SymbolIcons::icon(iconName);
}

} // namespace

SidebarModel::SidebarModel(ModelContext *context, QObject *parent)
    : QAbstractListModel(parent), m_context(context)
{
    // Only the batches: a rescan of thousands of skills is one recount.
    if (context) {
        connect(context, &ModelContext::skillsInserted, this, &SidebarModel::refresh);
        connect(context, &ModelContext::skillsRemoved, this, &SidebarModel::refresh);
        connect(context, &ModelContext::skillsChanged, this, &SidebarModel::refresh);
        connect(context, &ModelContext::collectionsInserted, this, &SidebarModel::refresh);
        connect(context, &ModelContext::collectionsRemoved, this, &SidebarModel::refresh);
        connect(context, &ModelContext::collectionsChanged, this, &SidebarModel::refresh);
    }
    m_rows = buildRows();
    for (Row &row : m_rows)
        row.icon = iconFor(row.filter ? &*row.filter : nullptr, row.iconName);
}

int SidebarModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant SidebarModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::ParentIsInvalid))
        return {};
    const Row &row = m_rows.at(index.row());
    switch (role) {
    case Qt::ToolTipRole:
        if (row.filter && *row.filter == SidebarFilter::needsAttention() && m_health
            && m_health->isChecking())
            return u"%1 (still counting)"_s.arg(row.title);
        return row.title;
    case Qt::DisplayRole:
        return row.title;
    case Qt::DecorationRole:
        return row.kind == RowKind::Header ? QVariant() : QVariant(row.icon);
    case KindRole:
        return QVariant::fromValue(row.kind);
    case BadgeRole:
        if (row.filter && *row.filter == SidebarFilter::needsAttention() && m_health
            && m_health->isChecking())
            return u"…"_s; // still counting: no number yet rather than a wrong one
        return row.badge > 0 ? QVariant(row.badge) : QVariant();
    case FilterRole:
        return row.filter ? QVariant::fromValue(*row.filter) : QVariant();
    case CollectionRole:
        return row.collection ? QVariant::fromValue(row.collection.data()) : QVariant();
    default:
        return {};
    }
}

Qt::ItemFlags SidebarModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::ParentIsInvalid))
        return Qt::NoItemFlags;
    switch (m_rows.at(index.row()).kind) {
    case RowKind::Header:
        return Qt::NoItemFlags; // disabled, so the keyboard steps over headers
    case RowKind::NewCollection:
    case RowKind::RecentlyRemoved:
        return Qt::ItemIsEnabled | Qt::ItemNeverHasChildren; // an action, never the selection
    case RowKind::Filter:
        break;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QModelIndex SidebarModel::indexForFilter(const SidebarFilter &filter) const
{
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows.at(i).filter == filter)
            return index(i);
    }
    return {};
}

QModelIndex SidebarModel::newCollectionIndex() const
{
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows.at(i).kind == RowKind::NewCollection)
            return index(i);
    }
    return {};
}

void SidebarModel::setHealth(SkillHealth *health)
{
    if (m_health == health)
        return;
    if (m_health)
        disconnect(m_health, nullptr, this, nullptr);
    m_health = health;
    if (health)
        connect(health, &SkillHealth::changed, this, &SidebarModel::refresh);
    refresh();
}

void SidebarModel::refresh()
{
    Q_EMIT aboutToRefresh();
    applyRows(buildRows());
    Q_EMIT refreshed();
}

QList<SidebarModel::Row> SidebarModel::buildRows() const
{
    // One pass over the skills gives every count.
    int total = 0;
    int favorites = 0;
    std::array<int, ToolSources::all.size()> perTool {};
    if (m_context) {
        const QList<Skill *> skills = m_context->skills();
        total = int(skills.size());
        for (const Skill *skill : skills) {
            if (skill->isFavorite())
                ++favorites;
            std::array<bool, ToolSources::all.size()> seen {}; // a tool listed twice counts once
            for (ToolSource tool : skill->toolSources())
                seen.at(std::size_t(tool)) = true;
            for (std::size_t i = 0; i < seen.size(); ++i)
                perTool.at(i) += seen.at(i) ? 1 : 0;
        }
    }

    QList<Row> rows;
    const auto header = [&rows](const QString &title) {
        rows.append(Row { RowKind::Header, title, {}, 0, std::nullopt, nullptr, {} });
    };
    header(u"Library"_s);
    rows.append(Row { RowKind::Filter, u"All skills"_s, u"tray.full.fill"_s, total,
        SidebarFilter::all(), nullptr, {} });
    rows.append(Row { RowKind::Filter, u"Favorites"_s, u"star.fill"_s, favorites,
        SidebarFilter::favorites(), nullptr, {} });
    if (m_health) {
        rows.append(Row { RowKind::Filter, u"Needs attention"_s, u"exclamationmark.triangle.fill"_s,
            m_health->attentionCount(), SidebarFilter::needsAttention(), nullptr, {} });
    }
    // Skills whose files are gone, kept by their history; opens a list to restore from.
    if (m_context) {
        const auto removed = m_context->history().removedFiles();
        if (removed && !removed.value().isEmpty())
            rows.append(Row { RowKind::RecentlyRemoved, u"Recently removed"_s, u"archivebox"_s,
                int(removed.value().size()), std::nullopt, nullptr, {} });
    }

    // A header over nothing reads as a fault; the section comes with its first tool.
    if (std::any_of(perTool.cbegin(), perTool.cend(), [](int count) { return count > 0; }))
        header(u"Harnesses"_s);
    for (ToolSource tool : ToolSources::all) {
        const int count = perTool.at(std::size_t(tool));
        if (count == 0) // a tool without skills has no row, not a row with 0
            continue;
        rows.append(Row { RowKind::Filter, ToolSources::displayName(tool),
            ToolSources::rawValue(tool), count, SidebarFilter::tool(tool), nullptr, {} });
    }

    header(u"Collections"_s);
    if (m_context) {
        const QList<SkillCollection *> collections = m_context->collectionsBySortOrder();
        for (SkillCollection *collection : collections) {
            rows.append(Row { RowKind::Filter, collection->name(), collection->icon(),
                int(collection->skills().size()), SidebarFilter::collection(collection->name()),
                collection, {} });
        }
    }
    rows.append(Row { RowKind::NewCollection, u"New collection"_s, u"plus.circle"_s, 0,
        std::nullopt, nullptr, {} });
    return rows;
}

// Identity, not content: a collection row is its record even when renamed,
// a harness row is its tool.
bool SidebarModel::sameRow(const Row &a, const Row &b)
{
    if (a.kind != b.kind)
        return false;
    switch (a.kind) {
    case RowKind::Header:
        return a.title == b.title;
    case RowKind::NewCollection:
    case RowKind::RecentlyRemoved:
        return true;
    case RowKind::Filter:
        break;
    }
    if (a.collection || b.collection)
        return a.collection == b.collection;
    return a.filter == b.filter;
}

void SidebarModel::applyRows(const QList<Row> &rows)
{
    const auto positionIn = [](const QList<Row> &list, const Row &row) -> qsizetype {
        for (qsizetype i = 0; i < list.size(); ++i) {
            if (sameRow(list.at(i), row))
                return i;
        }
        return -1;
    };

    // 1. Rows that went away, bottom up, one signal per contiguous run.
    for (qsizetype last = m_rows.size() - 1; last >= 0;) {
        if (positionIn(rows, m_rows.at(last)) >= 0) {
            --last;
            continue;
        }
        qsizetype first = last;
        while (first > 0 && positionIn(rows, m_rows.at(first - 1)) < 0)
            --first;
        beginRemoveRows({}, int(first), int(last));
        m_rows.remove(first, last - first + 1);
        endRemoveRows();
        last = first - 1;
    }

    // 2. Rows that stay but changed places (a collection's sortOrder was
    // edited): one layout change that carries the selection along.
    QList<qsizetype> targets;
    for (const Row &row : std::as_const(m_rows))
        targets.append(positionIn(rows, row));
    if (!std::is_sorted(targets.cbegin(), targets.cend())) {
        Q_EMIT layoutAboutToBeChanged();
        QList<qsizetype> order(targets.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(),
            [&targets](qsizetype a, qsizetype b) { return targets.at(a) < targets.at(b); });
        QList<Row> sorted;
        QList<qsizetype> newRowOf(order.size());
        for (qsizetype i = 0; i < order.size(); ++i) {
            sorted.append(m_rows.at(order.at(i)));
            newRowOf[order.at(i)] = i;
        }
        const QModelIndexList before = persistentIndexList();
        QModelIndexList after;
        for (const QModelIndex &index : before)
            after.append(index.isValid() ? this->index(int(newRowOf.at(index.row()))) : index);
        m_rows = std::move(sorted);
        changePersistentIndexList(before, after);
        Q_EMIT layoutChanged();
    }

    // 3. New rows; what stayed is now a subsequence of rows in the same order.
    for (qsizetype i = 0; i < rows.size();) {
        if (i < m_rows.size() && sameRow(m_rows.at(i), rows.at(i))) {
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        if (i < m_rows.size()) {
            while (end < rows.size() && !sameRow(m_rows.at(i), rows.at(end)))
                ++end;
        } else {
            end = rows.size();
        }
        beginInsertRows({}, int(i), int(end - 1));
        for (qsizetype j = i; j < end; ++j) {
            Row row = rows.at(j);
            row.icon = iconFor(row.filter ? &*row.filter : nullptr, row.iconName);
            m_rows.insert(j, std::move(row));
        }
        endInsertRows();
        i = end;
    }

    // 4. Changed titles, icons, badges and filters in place.
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        Row &current = m_rows[i];
        const Row &fresh = rows.at(i);
        if (current.title == fresh.title && current.iconName == fresh.iconName
            && current.badge == fresh.badge && current.filter == fresh.filter)
            continue;
        if (current.iconName != fresh.iconName)
            current.icon = iconFor(fresh.filter ? &*fresh.filter : nullptr, fresh.iconName);
        current.title = fresh.title;
        current.iconName = fresh.iconName;
        current.badge = fresh.badge;
        current.filter = fresh.filter;
        const QModelIndex changed = index(int(i));
        Q_EMIT dataChanged(changed, changed);
    }
}
