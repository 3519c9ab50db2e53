#include "skilljson.h"

#include "skill.h"
#include "skillcollection.h"

#include <QJsonArray>

using namespace Qt::StringLiterals;

namespace {

QJsonValue date(const QDateTime &value)
{
    if (!value.isValid())
        return QJsonValue::Null;
    return value.toUTC().toString(Qt::ISODateWithMs);
}

} // namespace

QJsonObject SkillJson::toJson(const HarnessLoad &load)
{
    return QJsonObject {
        { u"tool"_s, ToolSources::rawValue(load.tool) },
        { u"scope"_s, HarnessTable::rawValue(load.scope) },
        { u"how"_s, HarnessTable::rawValue(load.how) },
        { u"status"_s, HarnessLoad::rawValue(load.status) },
        { u"note"_s, load.note },
    };
}

QJsonObject SkillJson::toJson(const Skill &skill, const QList<HarnessLoad> &loadedBy)
{
    QJsonArray loads;
    for (const HarnessLoad &load : loadedBy)
        loads.append(toJson(load));

    QJsonObject frontmatter;
    const QMap<QString, QString> map = skill.frontmatter();
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        frontmatter.insert(it.key(), it.value());

    QStringList collectionNames;
    for (const SkillCollection *collection : skill.collections())
        collectionNames.append(collection->name());
    collectionNames.sort(Qt::CaseSensitive);

    QJsonArray tools;
    for (ToolSource tool : skill.toolSources())
        tools.append(ToolSources::rawValue(tool));

    const std::optional<QString> project = skill.projectName();
    return QJsonObject {
        { u"resolvedPath"_s, skill.resolvedPath() },
        { u"filePath"_s, skill.filePath() },
        { u"isDirectory"_s, skill.isDirectory() },
        { u"name"_s, skill.name() },
        { u"skillDescription"_s, skill.skillDescription() },
        { u"content"_s, skill.content() },
        { u"frontmatter"_s, frontmatter },
        { u"collections"_s, QJsonArray::fromStringList(collectionNames) },
        { u"isFavorite"_s, skill.isFavorite() },
        { u"lastOpened"_s, date(skill.lastOpened()) },
        { u"fileModifiedDate"_s, date(skill.fileModifiedDate()) },
        { u"fileSize"_s, skill.fileSize() },
        { u"isGlobal"_s, skill.isGlobal() },
        { u"toolSourcesRaw"_s, skill.toolSourcesRaw() },
        { u"toolSources"_s, tools },
        { u"installedPaths"_s, QJsonArray::fromStringList(skill.installedPaths()) },
        { u"projectName"_s, project ? QJsonValue(*project) : QJsonValue(QJsonValue::Null) },
        { u"kind"_s, SkillKinds::rawValue(skill.kind()) },
        { u"loadedBy"_s, loads },
    };
}
