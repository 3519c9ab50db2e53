#pragma once

#include "result.h"

#include <QList>
#include <QStringList>

class ModelContext;
class Skill;
class SkillCollection;

// Brings a context's records in step with what other connections committed
// to its file: their rows appear, rows they removed go, changed fields
// follow. A field changed in the context and not yet saved keeps its value,
// and a record inserted there whose row another process wrote first becomes
// that row. Runs inside a transaction on the context's connection.
class StoreMerge final
{
public:
    // What changed, announced by the context once the transaction is over.
    struct Batches
    {
        QList<Skill *> skillsInserted;
        QList<Skill *> skillsRemoved;
        QList<Skill *> skillsChanged;
        QList<SkillCollection *> collectionsInserted;
        QList<SkillCollection *> collectionsRemoved;
        QList<SkillCollection *> collectionsChanged;
        // Records changed here but removed elsewhere: their changes have no
        // row to go to, which the user must hear of.
        QStringList lostChanges;
    };

    explicit StoreMerge(ModelContext &store) : m_store(store) { }

    Status run(Batches &batches);

private:
    bool mergeSkill(Skill *skill, const Skill &row);
    void adoptSkill(Skill *pending, const Skill &row);
    void dropRemovedElsewhere(Skill *skill);
    void dropRemovedElsewhere(SkillCollection *collection);

    ModelContext &m_store;
};
