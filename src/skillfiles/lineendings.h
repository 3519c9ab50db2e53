#pragma once

#include <QString>

// A text editor holds lines, not line-ending bytes: it turns CR LF and a lone
// CR into its own line break. These conversions let a file with CR LF line
// endings be edited and written back byte for byte, and tell when a file's
// endings cannot survive the trip.
class LineEndings final
{
public:
    enum class Style { Lf, CrLf };

    struct ForEditor
    {
        QString text;        // lines separated by "\n" only
        Style style = Style::Lf;
        bool exact = true;   // false: saving will not give back the same bytes
    };

    static ForEditor forEditor(const QString &fileText);
    static QString forFile(const QString &editorText, Style style);
};
