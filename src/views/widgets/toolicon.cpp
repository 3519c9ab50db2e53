#include "toolicon.h"

#include "symbolicons.h"

#include <QPainter>
#include <QStyle>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QString imagePath(const QString &image)
{
    return u":/tools/"_s + image + u".svg"_s;
}

// A negative, infinite or NaN edge from a caller's arithmetic becomes an empty
// icon rather than an undefined conversion to int.
qreal saneEdge(qreal size)
{
    if (!std::isfinite(size) || size <= 0)
        return 0;
    return std::min(size, qreal(QWIDGETSIZE_MAX));
}

} // namespace

ToolIcon::ToolIcon(ToolSource tool, qreal size, QWidget *parent)
    : QWidget(parent), m_tool(tool), m_size(saneEdge(size))
{
    // Fixed, so no layout stretches the square and the image stays where it is drawn.
    setFixedSize(sizeHint());
    setAccessibleName(ToolSources::displayName(tool));
}

QSize ToolIcon::sizeHint() const
{
    const int edge = qRound(m_size);
    return { edge, edge };
}

QIcon ToolIcon::icon(ToolSource tool)
{
    const QString image = imageResource(tool);
    if (image.isEmpty())
        return SymbolIcons::icon(ToolSources::symbolName(tool));
    return SymbolIcons::imageIcon(imagePath(image));
}

QString ToolIcon::imageResource(ToolSource tool)
{
    switch (tool) {
    case ToolSource::Claude:
    case ToolSource::Cursor:
    case ToolSource::Windsurf:
    case ToolSource::Codex:
    case ToolSource::Amp:
    case ToolSource::Gemini:
    case ToolSource::OpenCode:
    case ToolSource::Kiro:
    case ToolSource::Cline:
    case ToolSource::Continue:
    case ToolSource::Zed:
    case ToolSource::Junie:
        return u"tool-"_s + ToolSources::rawValue(tool);
    case ToolSource::Copilot:
    case ToolSource::Aider:
    case ToolSource::Custom:
        break;
    }
    return {};
}

void ToolIcon::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    const QRect frame = rect();
    if (!imageResource(m_tool).isEmpty()) {
        icon(m_tool).paint(&painter, frame, Qt::AlignCenter, mode);
        return;
    }
    // A symbol keeps its own size instead of growing with the frame; it only
    // shrinks when the frame is smaller than the symbol, which would cut it off.
    const int natural = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    const int side = std::min({ natural, frame.width(), frame.height() });
    const QRect glyph
        = QStyle::alignedRect(layoutDirection(), Qt::AlignCenter, { side, side }, frame);
    icon(m_tool).paint(&painter, glyph, Qt::AlignCenter, mode);
}
