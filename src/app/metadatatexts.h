#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// The short texts the card and the metadata bar show about a skill's file.
class MetadataTexts final
{
public:
    // "1 resource", "2 resources": the count and the noun, plural unless one.
    static QString counted(qint64 count, const QString &noun);
    // A path in home (or home itself) starts with "~" instead; any other
    // path is returned as it is. A trailing "/" on home is ignored.
    static QString homeShortened(const QString &path, const QString &home);
    static QString installedPathsText(const QStringList &paths, const QString &home);
    // Decimal units, as file managers count: 1 kB is 1,000 bytes.
    static QString sizeText(qint64 bytes);
    // A description as people read it: a value written in YAML quotes ("..."
    // or '...') without them, its escaped quotes and backslashes plain. The
    // record keeps the text as written.
    static QString displayedDescription(const QString &description);
    // "now", "5 minutes ago", "yesterday", "in 2 hours", "last month"...
    static QString ageText(const QDateTime &date, const QDateTime &now);
};
