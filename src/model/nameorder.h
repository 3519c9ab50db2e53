#pragma once

#include <QStringView>

// The order people read names in: the user's locale's collation without
// regard to case, so "agents", "AGENTS" and "Agents" sit together rather
// than every capital before every small letter. Names the collation calls
// equal fall back to code-point order, so the order is total and the same
// in the window and in `quire list` run under the same locale.
namespace NameOrder {

// Negative, zero or positive; zero only for identical texts.
int compare(QStringView a, QStringView b);
inline bool less(QStringView a, QStringView b)
{
    return compare(a, b) < 0;
}

} // namespace NameOrder
