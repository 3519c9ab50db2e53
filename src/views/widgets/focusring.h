#pragma once

class QPainter;
class QStyleOptionViewItem;

// The keyboard cursor of a list that draws its own rows: a ring around the
// current row while the list has the focus, visible on a selected row too,
// so someone moving with the arrow keys can see where they are.
namespace FocusRing {

void paint(QPainter *painter, const QStyleOptionViewItem &option);

} // namespace FocusRing
