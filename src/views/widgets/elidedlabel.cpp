#include "elidedlabel.h"

#include <QPainter>
#include <QTextLayout>

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

QStringList ElidedLabel::linesFor(int width) const
{
    const QFontMetrics metrics(font());
    if (m_maxLines == 1) {
        QString line = m_text;
        line.replace(u'\n', u' ');
        return { metrics.elidedText(line, m_mode, width) };
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
            lines.append(metrics.elidedText(rest, Qt::ElideRight, width));
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
    const QFontMetrics metrics(font());
    return { metrics.horizontalAdvance(m_text), metrics.height() };
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
    painter.setPen(m_color.isValid() ? m_color : palette().color(foregroundRole()));
    const int lineHeight = QFontMetrics(font()).height();
    int y = 0;
    for (const QString &line : linesFor(width())) {
        painter.drawText(QRect(0, y, width(), lineHeight),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, line);
        y += lineHeight;
    }
}
