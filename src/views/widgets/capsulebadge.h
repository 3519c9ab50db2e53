#pragma once

#include <QIcon>
#include <QWidget>

// A small label on a tinted capsule: the harness, "Global" and project badges,
// and the "Modified" mark beside a skill's name.
class CapsuleBadge final : public QWidget
{
    Q_OBJECT

public:
    CapsuleBadge(const QString &text, const QColor &textColor, const QColor &fill,
        QWidget *parent = nullptr);

    QString text() const { return m_text; }
    QColor textColor() const { return m_textColor; }
    QColor fill() const { return m_fill; }
    void setIcon(const QIcon &icon, int edge);
    void setPadding(int horizontal, int vertical);
    void setTextColor(const QColor &color);
    void setFill(const QColor &fill);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
    QColor m_textColor;
    QColor m_fill;
    QIcon m_icon;
    int m_iconEdge = 0;
    int m_padX = 7;
    int m_padY = 3;
};
