#pragma once

#include <QMap>
#include <QString>

// What a skill file's text yields: its frontmatter keys, its body, and the two
// keys Quire shows everywhere.
struct ParsedSkill
{
    QMap<QString, QString> frontmatter;
    QString content;
    QString name;
    QString description;

    bool operator==(const ParsedSkill &) const = default;
};
