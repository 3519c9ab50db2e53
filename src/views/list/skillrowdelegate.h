#pragma once

#include <QPixmap>
#include <QPointer>
#include <QStyledItemDelegate>

class SkillHealth;

// One skill row: the name at the left, then, pushed to the right edge, the
// project name in a faint caption, a red or orange mark for a skill with an
// error or a warning, and a yellow star for a favourite.
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

    void setHealth(const SkillHealth *health);

private:
    QPixmap star(int edge, qreal devicePixelRatio) const;

    QPixmap mark(bool error, int edge, qreal devicePixelRatio) const;

    mutable QPixmap m_star; // tinted once per size, not per row and paint
    mutable QPixmap m_marks[2]; // warning, error; likewise
    QPointer<const SkillHealth> m_health;
};
