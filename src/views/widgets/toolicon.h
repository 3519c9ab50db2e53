#pragma once

#include "toolsource.h"

#include <QIcon>
#include <QWidget>

// A harness's icon, square: our own monogram image for the five tools that
// have one, the tool's symbol centred at its natural size for the others.
class ToolIcon final : public QWidget
{
    Q_OBJECT

public:
    ToolIcon(ToolSource tool, qreal size, QWidget *parent = nullptr);

    ToolSource tool() const { return m_tool; }
    qreal edge() const { return m_size; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // The same drawing as an icon, for list rows and menus.
    static QIcon icon(ToolSource tool);
    // "tool-claude" and so on for the tools that have an image, else empty.
    static QString imageResource(ToolSource tool);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ToolSource m_tool;
    qreal m_size;
};
