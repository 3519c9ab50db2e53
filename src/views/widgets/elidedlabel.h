#pragma once

#include <QWidget>

// Text that never pushes its column wider: one line shortened where asked (the
// middle keeps both ends of a path visible), or wrapped to at most a few lines
// with the last one shortened at the end.
class ElidedLabel final : public QWidget
{
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);
    void setElideMode(Qt::TextElideMode mode);
    // 1 keeps the text on one line; more lets it wrap.
    void setMaxLines(int lines);
    void setTextColor(const QColor &color);
    // As drawn: the colour set, else the palette's text colour.
    QColor textColor() const;
    // With no tooltip of its own, the label shows its whole text as one
    // while the text is cut.
    void setToolTipWhenCut(bool on);
    bool isCut() const;

    // What the label draws at its current width.
    QStringList visibleLines() const { return linesFor(width()); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return m_maxLines > 1; }
    int heightForWidth(int width) const override;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QStringList linesFor(int width, bool *cut = nullptr) const;

    QString m_text;
    Qt::TextElideMode m_mode = Qt::ElideRight;
    int m_maxLines = 1;
    QColor m_color;
    bool m_toolTipWhenCut = false;
};
