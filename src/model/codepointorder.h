#pragma once

#include <QStringView>

// Text compared by Unicode code point, as SQLite compares it, rather than by
// UTF-16 unit, which puts characters outside the basic plane before U+E000 to
// U+FFFF. Every order Quire shows (names, metadata keys) uses it, so they agree.
namespace CodePointOrder {

// Negative, zero or positive; a prefix comes before the longer text.
int compare(QStringView a, QStringView b);
inline bool less(QStringView a, QStringView b)
{
    return compare(a, b) < 0;
}

} // namespace CodePointOrder
