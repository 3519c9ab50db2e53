#pragma once

#include <QStyledItemDelegate>

// Draws the sidebar rows: small-caps section headers, rows with an icon, a
// title and a count pill at the right, and the dimmed "New collection" row.
class SidebarDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SidebarDelegate)

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    static QFont headerFont(const QFont &base);
    static QFont badgeFont(const QFont &base);
};
