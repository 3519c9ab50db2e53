#pragma once

#include <QList>
#include <QString>

// The difference between two texts of a skill file, line by line, in the
// unified form that `quire diff` prints and the History view shows, and
// word by word within a changed line.
class VersionDiff final
{
public:
    struct Line
    {
        enum Kind { Hunk, Context, Removed, Added, NoNewline };
        Kind kind = Context;
        QString text; // without the line break
    };
    // A stretch of a line, in UTF-16 code units, that the other side lacks.
    struct Span
    {
        qsizetype start = 0;
        qsizetype length = 0;
        friend bool operator==(const Span &, const Span &) = default;
    };

    static constexpr int contextLines = 3;

    // Empty when the texts are the same.
    static QList<Line> lines(const QString &before, const QString &after);
    // With "---" and "+++" headers naming both sides; empty when the same.
    static QString unified(const QString &before, const QString &after, const QString &beforeLabel,
        const QString &afterLabel);
    // The words of before missing from after, and of after missing from before.
    static std::pair<QList<Span>, QList<Span>> changedWords(
        const QString &before, const QString &after);
};
