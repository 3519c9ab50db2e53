#include "terminaltext.h"

namespace {

enum class Keep { NoLayout, Layout };

QString cleaned(QStringView text, Keep keep)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!TerminalText::isUnsafe(c.unicode())) {
            result.append(c);
            continue;
        }
        const bool crlf = c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
        if (keep == Keep::Layout) {
            if (c == u'\n' || c == u'\t' || crlf)
                result.append(c);
            else
                result.append(TerminalText::Replacement);
        } else if (c == u'\n' || c == u'\t' || c == u'\r') {
            if (crlf)
                ++i; // one break, one space
            result.append(u' ');
        } else {
            result.append(TerminalText::Replacement);
        }
    }
    return result;
}

} // namespace

bool TerminalText::isUnsafe(char32_t c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || (c >= 0x202a && c <= 0x202e)
        || (c >= 0x2066 && c <= 0x2069);
}

QString TerminalText::line(QStringView text)
{
    return cleaned(text, Keep::NoLayout);
}

QString TerminalText::block(QStringView text)
{
    return cleaned(text, Keep::Layout);
}
