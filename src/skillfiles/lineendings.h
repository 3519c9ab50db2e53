#pragma once

#include <QString>

#include <optional>

// A text editor holds lines, not line-ending bytes: it turns CR LF, a lone CR
// and U+2029 into its own line break. These conversions let any file whose
// line breaks are LF or CR LF, with stray CRs anywhere, be edited and written
// back byte for byte, and tell when a file's text cannot survive the trip.
class LineEndings final
{
public:
    enum class Style { Lf, CrLf };

    // Shown in place of a CR that is not part of the file's line breaks.
    static constexpr QChar carriageReturnStandIn = QChar(0x240D); // ␍

    struct ForEditor
    {
        QString text; // lines separated by "\n" only
        Style style = Style::Lf;
        // Set when text holds stand-ins for stray CRs; they go back as CRs.
        std::optional<QChar> crStandIn;
        bool exact = true; // false: saving will not give back the same bytes
    };

    static ForEditor forEditor(const QString &fileText);
    static QString forFile(const QString &editorText, Style style, std::optional<QChar> crStandIn);
};
