#pragma once

#include "sidebarfilter.h"
#include "toolsource.h"

#include <QAbstractListModel>
#include <QIcon>
#include <QList>
#include <QPointer>
#include <QString>

#include <optional>

class ModelContext;
class SkillCollection;
class SkillHealth;

// The sidebar's rows as one flat list: section headers, filter rows and the
// "New collection" action. Counts are rebuilt from the store once per saved
// batch, and rows are diffed rather than reset so the selection survives.
class SidebarModel final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SidebarModel)

public:
    enum class RowKind { Header, Filter, NewCollection, RecentlyRemoved };
    Q_ENUM(RowKind)

    enum Role {
        KindRole = Qt::UserRole + 1, // RowKind
        BadgeRole, // int, absent when the count is 0
        FilterRole, // SidebarFilter, only on filter rows
        CollectionRole, // SkillCollection *, only on collection rows
    };

    explicit SidebarModel(ModelContext *context, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // The row that stands for filter, if it has one right now.
    QModelIndex indexForFilter(const SidebarFilter &filter) const;
    QModelIndex newCollectionIndex() const;

    // Adds the "Needs attention" row, counted from health and kept current.
    void setHealth(SkillHealth *health);

    // Reads the store again. Called on every saved batch, and by the views
    // after their own edits, since a failed save announces nothing.
    void refresh();

Q_SIGNALS:
    // Around every refresh, so a view can tell its own selection changes
    // from the ones row removals make.
    void aboutToRefresh();
    void refreshed();

private:
    struct Row
    {
        RowKind kind = RowKind::Header;
        QString title;
        QString iconName; // the symbol name, or the tool's raw value
        int badge = 0;
        std::optional<SidebarFilter> filter;
        QPointer<SkillCollection> collection;
        QIcon icon;
    };

    QList<Row> buildRows() const;
    static bool sameRow(const Row &a, const Row &b);
    void applyRows(const QList<Row> &rows);

    QPointer<ModelContext> m_context;
    QPointer<SkillHealth> m_health;
    QList<Row> m_rows;
};
