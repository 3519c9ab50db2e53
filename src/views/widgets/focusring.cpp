#include "focusring.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionViewItem>

void FocusRing::paint(QPainter *painter, const QStyleOptionViewItem &option)
{
    if (!option.state.testFlag(QStyle::State_HasFocus))
        return;
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    QColor ring = option.palette.color(
        QPalette::Active, selected ? QPalette::HighlightedText : QPalette::Highlight);
    if (selected)
        ring.setAlphaF(0.8F);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(ring, 2));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(QRectF(option.rect).adjusted(1.5, 1.5, -1.5, -1.5), 4, 4);
    painter->restore();
}
