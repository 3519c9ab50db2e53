#include "fuzzinput.h"
#include "skill.h"

#include <QSet>

// The stored record fields come back from a store file that anything may have
// written: each decoder must take any bytes, and what it gives back must
// survive being written and read again.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzzinput::bytes(data, size);
    Skill skill;
    skill.setFilePath(QStringLiteral("/home/user/.claude/skills/fuzz/SKILL.md"));
    skill.setInstalledPathsData(bytes);
    skill.setFrontmatterData(bytes);
    skill.setToolSourcesRaw(fuzzinput::text(data, size));

    const QStringList paths = skill.installedPaths();
    FUZZ_CHECK(!paths.isEmpty() || bytes.trimmed().startsWith('['));
    const QMap<QString, QString> frontmatter = skill.frontmatter();
    const QList<ToolSource> tools = skill.toolSources();

    Skill copy;
    copy.setFilePath(skill.filePath());
    copy.setInstalledPaths(paths);
    QStringList unique = paths;
    unique.removeDuplicates();
    FUZZ_CHECK(copy.installedPaths() == unique);
    copy.setFrontmatter(frontmatter);
    FUZZ_CHECK(copy.frontmatter() == frontmatter);
    copy.setToolSources(tools);
    const QList<ToolSource> again = copy.toolSources();
    FUZZ_CHECK(QSet<ToolSource>(again.cbegin(), again.cend())
        == QSet<ToolSource>(tools.cbegin(), tools.cend()));

    // Any keys, values and paths a file can hold (valid UTF-8, so no lone
    // surrogates) come back from the store as they went in.
    const QStringList pieces = QString::fromUtf8(bytes).split(u'\n');
    QMap<QString, QString> written;
    for (qsizetype i = 0; i + 1 < pieces.size(); i += 2)
        written.insert(pieces.at(i), pieces.at(i + 1));
    Skill stored;
    stored.setFrontmatter(written);
    FUZZ_CHECK(stored.frontmatter() == written);
    stored.setInstalledPaths(pieces);
    QStringList uniquePieces = pieces;
    uniquePieces.removeDuplicates();
    FUZZ_CHECK(stored.installedPaths() == uniquePieces);
    return 0;
}
