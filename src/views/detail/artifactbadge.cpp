#include "artifactbadge.h"

#include "cardstyle.h"
#include "filerevealer.h"
#include "symbolicons.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int iconEdge = 11;
constexpr int gap = 4;
constexpr int padX = 8;
constexpr int padY = 5;
constexpr qreal radius = 6;

} // namespace

ArtifactBadge::ArtifactBadge(const SkillArtifact &artifact, QWidget *parent)
    : QAbstractButton(parent),
      m_artifact(artifact),
      m_color(CardStyle::artifactLook(artifact.fileExtension).color)
{
    setFont(CardStyle::monoFont(11));
    setText(artifact.name);
    setIcon(SymbolIcons::icon(CardStyle::artifactLook(artifact.fileExtension).symbol, m_color));
    setToolTip(artifact.relativePath);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(artifact.relativePath);
    connect(this, &QAbstractButton::clicked, this,
        [this] { FileRevealer::reveal(m_artifact.path, this); });
}

QSize ArtifactBadge::sizeHint() const
{
    if (!m_sizeHint.isValid()) {
        const QFontMetrics metrics(font());
        m_sizeHint = QSize(padX + iconEdge + gap + metrics.horizontalAdvance(text()) + padX,
            std::max(iconEdge, metrics.height()) + 2 * padY);
    }
    return m_sizeHint;
}

void ArtifactBadge::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        m_sizeHint = QSize();
    QAbstractButton::changeEvent(event);
}

void ArtifactBadge::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25);
    QPainterPath shape;
    shape.addRoundedRect(frame, radius, radius);
    painter.fillPath(shape, CardStyle::withAlpha(m_color, isDown() ? 0.16 : 0.08));
    painter.setPen(QPen(CardStyle::withAlpha(m_color, hasFocus() ? 0.6 : 0.15), 0.5));
    painter.drawPath(shape);

    const int iconTop = (height() - iconEdge) / 2;
    icon().paint(&painter, QRect(padX, iconTop, iconEdge, iconEdge));
    painter.setPen(palette().color(QPalette::Text));
    const QRect textRect(
        padX + iconEdge + gap, 0, width() - padX - iconEdge - gap - padX + 1, height());
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, text());
}
