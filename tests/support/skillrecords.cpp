#include "skillrecords.h"

#include <QFileInfo>
#include <QTest>

using namespace Qt::StringLiterals;

Skill::Seed skillSeed(const QString &path, const QString &name, ToolSource tool)
{
    const QFileInfo info(path);
    Skill::Seed seed;
    seed.filePath = path;
    seed.isDirectory = info.fileName() == u"SKILL.md"_s;
    seed.name = !name.isEmpty() ? name
        : seed.isDirectory      ? info.dir().dirName()
                                : info.completeBaseName();
    seed.tool = tool;
    return seed;
}

Skill *addSkill(ModelContext &store, const Skill::Seed &seed)
{
    Skill *skill = Skill::make(seed);
    const Status inserted = store.insert(skill);
    if (!inserted) {
        delete skill;
        QTest::qFail(qPrintable(inserted.error().message), __FILE__, __LINE__);
        return nullptr;
    }
    return skill;
}
