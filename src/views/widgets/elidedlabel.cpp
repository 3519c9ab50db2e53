#include "elidedlabel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QTextLayout>
#include <QToolTip>

#include <cmath>

ElidedLabel::ElidedLabel(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidedLabel::setText(const QString &text)
{
    if (m_text == text)
        return;
    m_text = text;
    setAccessibleName(text);
    updateGeometry();
    update();
}

void ElidedLabel::setElideMode(Qt::TextElideMode mode)
{
    m_mode = mode;
    update();
}

void ElidedLabel::setMaxLines(int lines)
{
    m_maxLines = std::max(1, lines);
    QSizePolicy policy = sizePolicy();
    policy.setHeightForWidth(m_maxLines > 1);
    setSizePolicy(policy);
    updateGeometry();
}

void ElidedLabel::setTextColor(const QColor &color)
{
    m_color = color;
    update();
}

QColor ElidedLabel::textColor() const
{
    return m_color.isValid() ? m_color : palette().color(foregroundRole());
}

void ElidedLabel::setToolTipWhenCut(bool on)
{
    m_toolTipWhenCut = on;
}

bool ElidedLabel::isCut() const
{
    bool cut = false;
    linesFor(width(), &cut);
    return cut;
}

bool ElidedLabel::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && m_toolTipWhenCut && toolTip().isEmpty()) {
        // The whole text, only where the label could not show all of it.
        const auto *help = static_cast<QHelpEvent *>(event);
        if (isCut())
            QToolTip::showText(help->globalPos(), m_text, this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

QStringList ElidedLabel::linesFor(int width, bool *cut) const
{
    const QFontMetrics metrics(font());
    if (m_maxLines == 1) {
        QString line = m_text;
        line.replace(u'\n', u' ');
        const QString shown = metrics.elidedText(line, m_mode, width);
        if (cut)
            *cut = shown != line;
        return { shown };
    }
    QStringList lines;
    // A line feed in the text starts a new line, as it would in a paragraph.
    QString text = m_text;
    text.replace(u'\n', QChar::LineSeparator);
    QTextLayout layout(text, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    while (true) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        if (lines.size() == m_maxLines - 1) {
            // The last line shows what is left, shortened at its end.
            QString rest = text.mid(line.textStart());
            rest.replace(QChar::LineSeparator, u' ');
            const QString shown = metrics.elidedText(rest, Qt::ElideRight, width);
            if (cut)
                *cut = shown != rest;
            lines.append(shown);
            break;
        }
        lines.append(
            text.mid(line.textStart(), line.textLength()).remove(QChar::LineSeparator).trimmed());
    }
    layout.endLayout();
    return lines;
}

QSize ElidedLabel::sizeHint() const
{
    // Whole pixels rounded up: the exact advance is fractional, and a label
    // one fraction short would cut its own text.
    const qreal advance = QFontMetricsF(font()).horizontalAdvance(m_text);
    return { int(std::ceil(advance)) + 1, QFontMetrics(font()).height() };
}

QSize ElidedLabel::minimumSizeHint() const
{
    const QFontMetrics metrics(font());
    return { metrics.horizontalAdvance(QStringLiteral("…")) * 3, metrics.height() };
}

int ElidedLabel::heightForWidth(int width) const
{
    return QFontMetrics(font()).height() * int(std::max<qsizetype>(1, linesFor(width).size()));
}

void ElidedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(textColor());
    const int lineHeight = QFontMetrics(font()).height();
    const QStringList lines = linesFor(width());
    // One line is centred in the whole label as QLabel centres its text, so
    // the two share a baseline side by side; wrapped text starts at the top.
    if (m_maxLines == 1) {
        painter.drawText(
            rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, lines.value(0));
        return;
    }
    int y = 0;
    for (const QString &line : lines) {
        painter.drawText(QRect(0, y, width(), lineHeight),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, line);
        y += lineHeight;
    }
}
