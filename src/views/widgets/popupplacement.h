#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Where a small popup opens next to the control that opened it: below it
// when it fits, else above it, and always inside the room given (the window
// that owns the control), so it never hangs off the window's edge.
namespace PopupPlacement {

inline constexpr int gap = 4;

QPoint topLeft(QSize popup, const QRect &anchor, const QRect &room);
// The room for popups of a widget: its window's frame in global
// coordinates, cut to the screen's available area.
QRect roomFor(const QWidget *owner, const QRect &anchor);

} // namespace PopupPlacement
