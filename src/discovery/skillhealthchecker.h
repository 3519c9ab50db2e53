#pragma once

#include "healthfinding.h"
#include "strictyamlcheck.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>

#include <optional>

class Skill;

// What a harness will make of one skill file, judged from what the scan
// stored. The file's bytes are read only for the facts the stored record
// cannot tell (a nested metadata map, frontmatter a strict YAML reader
// refuses, a long rule's character count), and only for the few files where
// they can matter, once per file version.
// Clashes between skills are SkillDuplicateChecker's.
class SkillHealthChecker final
{
public:
    enum class MetadataShape { Absent, Flat, Nested, NotMap };

    // homePath: where the global folders are, to know the ones harnesses skip.
    explicit SkillHealthChecker(QString homePath);

    QList<HealthFinding> check(const Skill &skill);

    // The shape of the frontmatter's metadata value in the whole text of a
    // file; the parser flattens nesting, so only the text can tell.
    static MetadataShape metadataShape(const QString &text);

private:
    // What the frontmatter's text says beyond the parsed map.
    struct BlockFacts
    {
        MetadataShape metadata = MetadataShape::Absent;
        std::optional<StrictYamlCheck::Trouble> strictYaml;
    };
    struct FileFacts
    {
        qint64 size = -1;
        QDateTime modified;
        std::optional<BlockFacts> block;
        std::optional<qint64> characters; // -1 when the file could not be read
    };
    // The cached facts of the file's current version; dropped when it changed.
    FileFacts &factsOf(const Skill &skill);
    const BlockFacts &blockFactsOf(const Skill &skill);
    void checkAgentSkill(
        const Skill &skill, const QMap<QString, QString> &frontmatter, QList<HealthFinding> &out);
    void checkCursorRule(const QMap<QString, QString> &frontmatter, QList<HealthFinding> &out);

    QString m_home;
    QHash<QString, FileFacts> m_files;
};
