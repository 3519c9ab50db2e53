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
    return 0;
}
