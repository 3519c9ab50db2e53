#include "lineendings.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Characters an editor document takes as a line break or drops as structure.
bool changedByEditor(QChar c)
{
    return c == u'\r' || c == QChar::ParagraphSeparator || c == QChar(0xFDD0) || c == QChar(0xFDD1);
}

} // namespace

LineEndings::ForEditor LineEndings::forEditor(const QString &fileText)
{
    qsizetype feeds = 0;
    qsizetype crFeeds = 0;
    for (qsizetype i = 0; i < fileText.size(); ++i) {
        if (fileText.at(i) == u'\n') {
            ++feeds;
            if (i > 0 && fileText.at(i - 1) == u'\r')
                ++crFeeds;
        }
    }
    ForEditor result;
    if (feeds > 0 && crFeeds == feeds) {
        result.style = Style::CrLf;
        result.text = QString(fileText).replace(u"\r\n"_s, u"\n"_s);
    } else {
        result.text = fileText;
    }
    // A file that already holds the stand-in could not tell it from a CR.
    if (result.text.contains(u'\r') && !fileText.contains(carriageReturnStandIn)) {
        result.text.replace(u'\r', carriageReturnStandIn);
        result.crStandIn = carriageReturnStandIn;
    }
    result.exact = std::none_of(result.text.cbegin(), result.text.cend(), changedByEditor);
    return result;
}

QString LineEndings::forFile(const QString &editorText, Style style, std::optional<QChar> crStandIn)
{
    QString text = editorText;
    if (crStandIn)
        text.replace(*crStandIn, u'\r');
    if (style == Style::CrLf)
        text.replace(u'\n', u"\r\n"_s);
    return text;
}
