#pragma once

#include <QString>
#include <QStringView>

// Text from skill files comes from cloned repositories, so a name, a
// description or a path may carry escape sequences that clear the screen, set
// the window title or write the clipboard, or bidirectional controls that show
// a path other than the real one. Every plain-text printer passes such text
// through here; JSON needs nothing, its writer escapes control characters.
//
// A replaced character becomes U+FFFD, so the reader sees that something was
// there. Replaced: C0 controls, DEL, C1 controls, the bidirectional embeddings
// and overrides (U+202A to U+202E) and isolates (U+2066 to U+2069).
class TerminalText final
{
public:
    static constexpr QChar Replacement = QChar::ReplacementCharacter;

    // One field on one line: tabs and line breaks become a space (a folded
    // description stays readable and a column or a "path: id" line cannot be
    // split), every other control character the replacement.
    static QString line(QStringView text);
    // Text shown as lines of its own, such as a skill's body: line feeds and
    // tabs stay, and a carriage return only as part of CR LF (alone it moves
    // back over what the line already shows).
    static QString block(QStringView text);

    static bool isUnsafe(char32_t c);
};
