#include "skillcollection.h"

#include "modelcontext.h"
#include "skill.h"

SkillCollection::SkillCollection(QObject *parent) : QObject(parent)
{
}

SkillCollection::~SkillCollection()
{
    // A collection deleted outside its context must not leave dangling members.
    for (Skill *skill : std::as_const(m_skills))
        skill->m_collections.removeAll(this);
}

SkillCollection *SkillCollection::make(
    const QString &name, const QString &icon, qint64 sortOrder, QObject *parent)
{
    auto *collection = new SkillCollection(parent);
    collection->m_name = name;
    collection->m_icon = icon;
    collection->m_sortOrder = sortOrder;
    return collection;
}

void SkillCollection::markDirty()
{
    m_dirty = true;
    if (m_context)
        m_context->markDirty(this);
}

void SkillCollection::setName(const QString &name)
{
    if (name == m_name)
        return;
    const QString old = m_name;
    m_name = name;
    markDirty();
    if (m_context)
        m_context->collectionNameChanged(this, old);
    Q_EMIT nameChanged();
}

void SkillCollection::setIcon(const QString &icon)
{
    if (icon == m_icon)
        return;
    m_icon = icon;
    markDirty();
    Q_EMIT iconChanged();
}

void SkillCollection::setSortOrder(qint64 sortOrder)
{
    if (sortOrder == m_sortOrder)
        return;
    m_sortOrder = sortOrder;
    markDirty();
    Q_EMIT sortOrderChanged();
}

void SkillCollection::attachSkill(Skill *skill)
{
    if (m_skills.contains(skill))
        return;
    m_skills.append(skill);
    if (m_context)
        m_context->markMembershipChanged(this);
    Q_EMIT skillsChanged();
}

void SkillCollection::detachSkill(Skill *skill)
{
    if (m_skills.removeAll(skill) == 0)
        return;
    if (m_context)
        m_context->markMembershipChanged(this);
    Q_EMIT skillsChanged();
}

bool SkillCollection::isMember(const Skill &skill, const QString &collectionName)
{
    const QList<SkillCollection *> collections = skill.collections();
    return std::any_of(collections.cbegin(), collections.cend(),
        [&](const SkillCollection *c) { return c->name() == collectionName; });
}

Result<SkillCollection *> SkillCollection::create(
    ModelContext &context, const QString &name, const QString &icon)
{
    if (SkillCollection *existing = context.collectionByName(name))
        return existing;
    const qint64 order = context.collectionCount();
    auto *collection = make(name, icon, order);
    if (Status inserted = context.insert(collection); !inserted) {
        delete collection;
        return inserted.error();
    }
    if (Status saved = context.save(); !saved)
        return saved.error();
    return collection;
}

Status SkillCollection::remove(ModelContext &context, SkillCollection *collection)
{
    context.remove(collection);
    return context.save();
}

Status SkillCollection::toggleMembership(
    ModelContext &context, Skill &skill, SkillCollection &collection, bool isMember)
{
    QList<SkillCollection *> collections = skill.collections();
    if (isMember) {
        collections.removeIf(
            [&](const SkillCollection *c) { return c->name() == collection.name(); });
    } else {
        collections.append(&collection);
    }
    skill.setCollections(collections);
    return context.save();
}
