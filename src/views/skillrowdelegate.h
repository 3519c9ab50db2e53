#pragma once

#include <QPixmap>
#include <QStyledItemDelegate>

// One skill row: the name at the left, then, pushed to the right edge, the
// project name in a faint caption and a yellow star for a favourite.
class SkillRowDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SkillRowDelegate)

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    static QFont captionFont(const QFont &base);
    static QFont secondCaptionFont(const QFont &base);

private:
    QPixmap star(int edge, qreal devicePixelRatio) const;

    mutable QPixmap m_star; // tinted once per size, not per row and paint
};
