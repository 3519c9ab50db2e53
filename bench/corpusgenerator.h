#pragma once

#include "seededrandom.h"
#include "skilltextmaker.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// Writes a fake home with every tool's folders and two custom scan
// directories of projects: `skills` distinct skill files (one store record
// each), about one in twenty reached a second time through a symbolic link,
// plus files the scanner must pass over. The same skill count and seed give
// the same tree byte for byte: every choice comes from the seed, none from
// the clock or the order a folder lists in.
class CorpusGenerator final
{
public:
    CorpusGenerator(int skills, std::uint64_t seed, QString outDir);

    // False with a reason when a file or folder could not be written.
    bool run(QString *error);

    int links() const { return m_links; }
    qint64 files() const { return m_files; }
    qint64 bytes() const { return m_bytes; }

    // Written last, so a tree without it is an interrupted run.
    static QString manifestName();
    // The two custom scan directories, relative to the output folder.
    static QStringList scanDirectoryNames();

private:
    // How a skill file is laid out and read.
    enum class Shape {
        FolderSkill, // <folder>/<slug>/SKILL.md, frontmatter
        LooseRule, // <folder>/<slug>.md, frontmatter
        CursorRule, // <folder>/<slug>.mdc or .md, cursor's frontmatter keys
        AgentsRoot, // <folder>/AGENTS.md, heading
        AgentsFolder, // <folder>/<slug>/AGENTS.md, heading
        Copilot, // <project>/.github/copilot-instructions.md, heading
    };
    struct Placement
    {
        QString folder; // relative to the output folder
        Shape shape;
        int weight;
    };

    void makeGlobalSkills();
    void makeProjects();
    void makeLinks();
    void makeNoise();
    void makeSkill(const QString &folder, Shape shape, bool isGlobal);
    void makeArtifacts(const QString &skillFolder);
    QByteArray frontmatterText(
        const QByteArray &slug, int topic, bool international, bool isCursorRule);
    qsizetype bodySize();
    void link(const QString &target, const QString &linkPath);
    void write(const QString &relativePath, const QByteArray &bytes, bool counted = true);
    void makeFolder(const QString &relativeFolder);
    QByteArray uniqueSlug(int topic);
    bool hasRoom() const { return m_made < m_skills; }

    const int m_skills;
    const std::uint64_t m_seed;
    const QString m_out;
    SeededRandom m_random;
    SkillTextMaker m_text;

    int m_made = 0;
    int m_nextSlug = 0;
    int m_links = 0;
    qint64 m_files = 0;
    qint64 m_bytes = 0;
    QString m_error;
    QSet<QString> m_madeFolders; // looked up only, never iterated: its order is random

    std::vector<QString> m_projects;
    // Link targets, relative to the output folder.
    std::vector<QString> m_globalClaudeFolders;
    std::vector<QString> m_globalFolderSkills;
    std::vector<QString> m_globalRuleFiles;
};
