#pragma once

#include <QPixmap>
#include <QPointer>
#include <QStyledItemDelegate>

class Skill;
class SkillHealth;

// One skill row: the name at the left, then, pushed to the right edge, the
// project name in a faint caption, a red or orange mark for a skill with an
// error or a warning, and a yellow star for a favourite. Rows whose names
// are the same as a neighbour's (many "AGENTS") also show their tool's icon
// and, without a project, the folder that holds them, to tell them apart.
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

    // Whether the row's name equals, case aside, the one above or below it.
    static bool sharesName(const QModelIndex &index);
    // What tells a skill apart from its namesakes: its project, else the
    // folder that holds it (the skill folder's parent for SKILL.md).
    static QString placeOf(const Skill &skill);

private:
    QPixmap star(int edge, qreal devicePixelRatio) const;

    QPixmap mark(bool error, int edge, qreal devicePixelRatio) const;

    mutable QPixmap m_star; // tinted once per size, not per row and paint
    mutable QPixmap m_marks[2]; // warning, error; likewise
    QPointer<const SkillHealth> m_health;
};
