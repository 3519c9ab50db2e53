#include "capsulebadge.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int iconGap = 4;

} // namespace

CapsuleBadge::CapsuleBadge(
    const QString &text, const QColor &textColor, const QColor &fill, QWidget *parent)
    : QWidget(parent), m_text(text), m_textColor(textColor), m_fill(fill)
{
    setAccessibleName(text);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void CapsuleBadge::setIcon(const QIcon &icon, int edge)
{
    m_icon = icon;
    m_iconEdge = icon.isNull() ? 0 : edge;
    updateGeometry();
    update();
}

void CapsuleBadge::setPadding(int horizontal, int vertical)
{
    m_padX = horizontal;
    m_padY = vertical;
    updateGeometry();
}

void CapsuleBadge::setTextColor(const QColor &color)
{
    m_textColor = color;
    update();
}

void CapsuleBadge::setFill(const QColor &fill)
{
    m_fill = fill;
    update();
}

QSize CapsuleBadge::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int iconPart = m_iconEdge > 0 ? m_iconEdge + iconGap : 0;
    return { m_padX + iconPart + metrics.horizontalAdvance(m_text) + m_padX,
        std::max(m_iconEdge, metrics.height()) + 2 * m_padY };
}

void CapsuleBadge::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(rect());
    QPainterPath capsule;
    capsule.addRoundedRect(frame, frame.height() / 2, frame.height() / 2);
    painter.fillPath(capsule, m_fill);

    int x = m_padX;
    if (m_iconEdge > 0) {
        m_icon.paint(&painter, QRect(x, (height() - m_iconEdge) / 2, m_iconEdge, m_iconEdge));
        x += m_iconEdge + iconGap;
    }
    painter.setPen(m_textColor);
    painter.drawText(QRect(x, 0, width() - x, height()),
        Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, m_text);
}
