#pragma once

#include <QLayout>
#include <QList>

// Lines its items up left to right at their preferred sizes and wraps to a
// new row when the next item would pass the right edge. An item wider than
// the whole width stays alone at the start of its row. Height follows width.
class FlowLayout final : public QLayout
{
public:
    explicit FlowLayout(qreal spacing, QWidget *parent = nullptr);
    ~FlowLayout() override;

    // Between items in a row and between rows.
    qreal flowSpacing() const { return m_spacing; }

    // Where each item goes for a width (infinity: one row), relative to the
    // contents' top-left corner, and the height they need.
    struct Placement
    {
        QList<QPointF> positions;
        qreal height = 0;
    };
    Placement place(qreal maxWidth) const;

    void addItem(QLayoutItem *item) override;
    int count() const override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect &rect) override;
    void invalidate() override;

private:
    QList<QLayoutItem *> m_items;
    qreal m_spacing;
    mutable int m_cachedWidth = -1;
    mutable int m_cachedHeight = 0;
};
