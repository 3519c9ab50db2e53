#include "skillduplicatechecker.h"

#include "skill.h"
#include "toolsource.h"

#include <QSet>

using namespace Qt::StringLiterals;

namespace {

// AGENTS.md and copilot-instructions.md files are read together with the
// ones above and beside them, not picked by name, so sharing one is no clash.
bool isPickedByName(const Skill &skill)
{
    if (skill.isDirectory())
        return true;
    const QString fileName = skill.filePath().section(u'/', -1);
    return fileName != u"AGENTS.md" && fileName != u"copilot-instructions.md";
}

// Empty for the global folders; the project folder for a project's skill.
QString scopeOf(const Skill &skill)
{
    if (skill.isGlobal())
        return {};
    const QString path = skill.filePath();
    for (const ProjectFolder &row : ToolSources::projectFolders()) {
        const qsizetype at = path.lastIndexOf(u'/' + row.relativePath + u'/');
        if (at > 0)
            return path.left(at);
    }
    return path.section(u'/', 0, -2);
}

bool seenTogether(const Skill &a, const Skill &b)
{
    return a.isGlobal() || b.isGlobal() || scopeOf(a) == scopeOf(b);
}

bool sameText(const Skill &a, const Skill &b)
{
    return a.frontmatterData() == b.frontmatterData() && a.content() == b.content();
}

HealthFinding about(const Skill &other, ToolSource tool, bool same)
{
    const QString harness = ToolSources::displayName(tool);
    QString name = other.name();
    name.replace(u'\n', u' ');
    if (same)
        return { u"duplicate.copy"_s, HealthFinding::Severity::Note,
            u"An identical copy of this %1 skill is at %2."_s.arg(harness, other.filePath()),
            u"Keep one copy, or link one to the other."_s, other.filePath() };
    return { u"duplicate.clash"_s, HealthFinding::Severity::Error,
        u"Another %1 skill is also named “%2” but reads differently: %3."_s.arg(
            harness, name, other.filePath()),
        u"Rename one of them, or remove one."_s, other.filePath() };
}

} // namespace

QStringList SkillDuplicateChecker::groupKeys(const Skill &skill)
{
    QStringList keys;
    if (!isPickedByName(skill))
        return keys;
    for (ToolSource tool : skill.toolSources())
        keys.append(ToolSources::rawValue(tool) + u'\n' + skill.name());
    return keys;
}

QHash<const Skill *, QList<HealthFinding>> SkillDuplicateChecker::check(
    const QHash<const Skill *, QStringList> &keys)
{
    QHash<QString, QList<const Skill *>> byToolAndName;
    byToolAndName.reserve(keys.size());
    for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
        for (const QString &key : it.value())
            byToolAndName[key].append(it.key());
    }

    QHash<const Skill *, QList<HealthFinding>> found;
    QSet<std::pair<const Skill *, const Skill *>> told; // a pair sharing two tools is told once
    for (auto it = byToolAndName.cbegin(); it != byToolAndName.cend(); ++it) {
        const QList<const Skill *> &group = it.value();
        if (group.size() < 2)
            continue;
        const ToolSource tool
            = ToolSources::fromRaw(it.key().section(u'\n', 0, 0)).value_or(ToolSource::Custom);
        for (qsizetype i = 0; i < group.size(); ++i) {
            for (qsizetype j = i + 1; j < group.size(); ++j) {
                const Skill *a = group.at(i);
                const Skill *b = group.at(j);
                const std::pair<const Skill *, const Skill *> pair { std::min(a, b),
                    std::max(a, b) };
                if (a == b || !seenTogether(*a, *b) || told.contains(pair))
                    continue;
                told.insert(pair);
                const bool same = sameText(*a, *b);
                found[a].append(about(*b, tool, same));
                found[b].append(about(*a, tool, same));
            }
        }
    }
    return found;
}
