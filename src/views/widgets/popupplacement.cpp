#include "popupplacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

QPoint PopupPlacement::topLeft(QSize popup, const QRect &anchor, const QRect &room)
{
    QPoint at(anchor.left(), anchor.bottom() + 1 + gap);
    const int above = anchor.top() - gap - popup.height();
    // Upwards only when that fits better: a window too short for either way
    // keeps the popup below, where the eye is going.
    if (at.y() + popup.height() > room.bottom() + 1 && above >= room.top())
        at.setY(above);
    at.setX(
        std::clamp(at.x(), room.left(), std::max(room.left(), room.right() + 1 - popup.width())));
    at.setY(
        std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() + 1 - popup.height())));
    return at;
}

QRect PopupPlacement::roomFor(const QWidget *owner, const QRect &anchor)
{
    QRect room;
    if (const QScreen *screen = QGuiApplication::screenAt(anchor.center()))
        room = screen->availableGeometry();
    if (const QWidget *window = owner ? owner->window() : nullptr) {
        const QRect frame(window->mapToGlobal(QPoint(0, 0)), window->size());
        room = room.isValid() ? room.intersected(frame) : frame;
    }
    return room.isValid() ? room : anchor;
}
