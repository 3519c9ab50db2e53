#pragma once

#include <QList>
#include <QString>

// One thing wrong with, or worth knowing about, a skill file: what a harness
// will do with it that the user may not expect.
struct HealthFinding
{
    // Ordered by weight: a lower value is more serious.
    enum class Severity { Error, Warning, Note };

    QString id; // stable, for scripts: "skill.name.format"
    Severity severity = Severity::Note;
    QString sentence; // one plain sentence on one line
    QString fix; // the remedy in a few words
    QString otherPath; // the other file of a clash or copy, else empty

    bool operator==(const HealthFinding &) const = default;

    // "error", "warning", "note"
    static QString severityName(Severity severity);
    // Errors first, then by id, so every listing agrees.
    static void sort(QList<HealthFinding> &findings);
};
