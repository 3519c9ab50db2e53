#pragma once

#include "result.h"

#include <QList>
#include <QObject>
#include <QString>

class ModelContext;
class Skill;

// A named, user-made group of skills. Its skills() is the other end of
// Skill::collections(), kept in step by Skill::setCollections().
class SkillCollection final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SkillCollection)
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(QString icon READ icon WRITE setIcon NOTIFY iconChanged)
    Q_PROPERTY(qint64 sortOrder READ sortOrder WRITE setSortOrder NOTIFY sortOrderChanged)

public:
    explicit SkillCollection(QObject *parent = nullptr);
    ~SkillCollection() override;
    static SkillCollection *make(
        const QString &name, const QString &icon, qint64 sortOrder, QObject *parent = nullptr);

    qint64 id() const { return m_id; }
    ModelContext *context() const { return m_context; }

    QString name() const { return m_name; }
    void setName(const QString &name);
    QString icon() const { return m_icon; }
    void setIcon(const QString &icon);
    qint64 sortOrder() const { return m_sortOrder; }
    void setSortOrder(qint64 sortOrder);
    QList<Skill *> skills() const { return m_skills; }

    // Membership is by name, so a filter that names a collection and the
    // picker agree even across a delete and re-create.
    static bool isMember(const Skill &skill, const QString &collectionName);

    // Makes a collection at the end of the order and saves. A name that is
    // already taken gives back the existing collection untouched, so its
    // members are never lost and the name stays unique.
    static Result<SkillCollection *> create(
        ModelContext &context, const QString &name, const QString &icon);
    // Deletes the collection and saves; its skills stay.
    static Status remove(ModelContext &context, SkillCollection *collection);
    // Adds the skill to the collection, or removes every same-named
    // collection from the skill when it is a member, and saves.
    static Status toggleMembership(
        ModelContext &context, Skill &skill, SkillCollection &collection, bool isMember);

Q_SIGNALS:
    void nameChanged();
    void iconChanged();
    void sortOrderChanged();
    void skillsChanged();

private:
    friend class ModelContext;
    friend class StoreMerge;
    friend class SkillCursor;
    friend class Skill;

    void attachSkill(Skill *skill);
    void detachSkill(Skill *skill);
    void markDirty();

    qint64 m_id = 0;
    ModelContext *m_context = nullptr;
    bool m_dirty = false;

    QString m_name;
    QString m_icon;
    qint64 m_sortOrder = 0;
    QList<Skill *> m_skills;
};
