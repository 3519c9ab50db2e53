#include "flowlayout.h"

#include <QWidget>

#include <cmath>

FlowLayout::FlowLayout(qreal spacing, QWidget *parent) : QLayout(parent), m_spacing(spacing)
{
    setContentsMargins(0, 0, 0, 0);
}

FlowLayout::~FlowLayout()
{
    qDeleteAll(m_items);
}

FlowLayout::Placement FlowLayout::place(qreal maxWidth) const
{
    Placement placement;
    placement.positions.reserve(m_items.size());
    qreal x = 0;
    qreal y = 0;
    qreal rowHeight = 0;
    for (const QLayoutItem *item : m_items) {
        const QSize size = item->sizeHint();
        const qreal w = size.width();
        const qreal h = size.height();
        if (x > 0 && x + w > maxWidth) {
            y += rowHeight + m_spacing;
            x = 0;
            rowHeight = 0;
        }
        placement.positions.append(QPointF(x, y));
        rowHeight = std::max(rowHeight, h);
        x += w + m_spacing;
    }
    placement.height = y + rowHeight;
    return placement;
}

void FlowLayout::addItem(QLayoutItem *item)
{
    m_items.append(item);
    invalidate();
}

int FlowLayout::count() const
{
    return int(m_items.size());
}

QLayoutItem *FlowLayout::itemAt(int index) const
{
    return m_items.value(index);
}

QLayoutItem *FlowLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    QLayoutItem *item = m_items.takeAt(index);
    invalidate();
    return item;
}

Qt::Orientations FlowLayout::expandingDirections() const
{
    return {};
}

bool FlowLayout::hasHeightForWidth() const
{
    return true;
}

int FlowLayout::heightForWidth(int width) const
{
    // Asked several times per layout pass with the same width.
    if (width != m_cachedWidth) {
        const QMargins margins = contentsMargins();
        const int inner = width - margins.left() - margins.right();
        m_cachedHeight = int(std::ceil(place(inner).height)) + margins.top() + margins.bottom();
        m_cachedWidth = width;
    }
    return m_cachedHeight;
}

QSize FlowLayout::minimumSize() const
{
    // The widest item, so the layout can shrink to one item per row.
    QSize size;
    for (const QLayoutItem *item : m_items)
        size = size.expandedTo(item->minimumSize());
    const QMargins margins = contentsMargins();
    return size + QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

QSize FlowLayout::sizeHint() const
{
    // Without a width the items would sit in one endless row; a hint that
    // wide would push the window open, so the hint is the widest item.
    return minimumSize();
}

void FlowLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    const QRect inner = contentsRect();
    const Placement placement = place(inner.width());
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        const QPointF at = placement.positions.at(i);
        m_items.at(i)->setGeometry(QRect(
            QPoint(inner.x() + int(at.x()), inner.y() + int(at.y())), m_items.at(i)->sizeHint()));
    }
}

void FlowLayout::invalidate()
{
    m_cachedWidth = -1;
    QLayout::invalidate();
}
