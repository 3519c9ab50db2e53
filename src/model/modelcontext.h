#pragma once

#include "result.h"
#include "skill.h"
#include "skillcollection.h"
#include "skillhistory.h"
#include "sqlitedatabase.h"
#include "storefile.h"
#include "storemerge.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// The store of Skill and SkillCollection records: one SQLite file, loaded once
// into an identity map. Setters mark records dirty; save() writes every
// change in one transaction and then announces the batches, so list models
// listen here instead of to each record.
class ModelContext final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ModelContext)

public:
    static constexpr const char *schemaVersion = StoreFile::schemaVersion;
    static constexpr int schemaUserVersion = StoreFile::schemaUserVersion;
    static constexpr qint32 applicationId = StoreFile::applicationId;

    static QString defaultPath();
    // Opens the store file (see StoreFile) and loads its records.
    static Result<std::unique_ptr<ModelContext>> open(const QString &path);

    ~ModelContext() override;

    QString path() const { return m_path; }

    // Takes ownership. Refused when it would break a unique field.
    Status insert(Skill *skill);
    Status insert(SkillCollection *collection);
    // Nullifies the relationship at once; the row goes with the next save.
    void remove(Skill *skill);
    void remove(SkillCollection *collection);
    // One transaction; on failure nothing is written and the in-memory state
    // stays as it is, still pending. A conflict (changes to records another
    // process removed) is reported after everything else was written.
    Status save();
    bool hasChanges() const;
    // Merges what other processes committed since this context last looked:
    // their rows appear, rows they removed go and changed fields follow, in
    // the usual batches. A field changed here and not yet saved keeps this
    // side's value; changes to a record removed elsewhere are lost, and
    // reported as a conflict. Cheap when nothing was committed elsewhere.
    Status refresh();

    Skill *skillByResolvedPath(const QString &resolvedPath) const;
    Skill *skillById(qint64 id) const;
    SkillCollection *collectionByName(const QString &name) const;
    QList<Skill *> skills() const; // unsorted
    QList<Skill *> skillsByName() const; // NameOrder
    QList<SkillCollection *> collectionsBySortOrder() const;
    qsizetype skillCount() const { return m_skills.size(); }
    qsizetype collectionCount() const { return m_collections.size(); }

    // The versions of every skill file's text. Reads go straight to the
    // store; versions are written by save(), with the records they belong to.
    const SkillHistory &history() const { return m_history; }
    // Adds text as a version of the file at path with the next save, for a
    // write that has no record to carry it (a removed file written back).
    void recordVersion(const QString &path, const QString &text, VersionSource source);
    // The whole text of the skill's file as the store last recorded it.
    Result<QString> storedText(const Skill *skill);
    // Caps the history's stored size; applied at every save that records.
    void setHistoryCap(qint64 bytes) { m_historyCap = bytes; }
    qint64 historyCap() const { return m_historyCap; }
    // The time versions are recorded at and retention counts from; the
    // system clock unless a test sets another.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    QDateTime now() const { return m_clock(); }

    // Ids of the saved skills whose stored name, description or content
    // holds foldedText (see FoldedText), from the store's search index.
    Result<QSet<qint64>> searchSkillIds(const QByteArray &foldedText);

    // NameOrder of names, ties by identity, so every list agrees.
    static bool nameLess(const Skill *a, const Skill *b);

Q_SIGNALS:
    // After each successful save; removed records are still alive here and
    // are deleted once control returns to the event loop.
    void skillsInserted(const QList<Skill *> &skills);
    void skillsRemoved(const QList<Skill *> &skills);
    void skillsChanged(const QList<Skill *> &skills);
    void collectionsInserted(const QList<SkillCollection *> &collections);
    void collectionsRemoved(const QList<SkillCollection *> &collections);
    void collectionsChanged(const QList<SkillCollection *> &collections);

private:
    friend class Skill;
    friend class SkillCollection;
    friend class StoreMerge;
    friend class SkillCursor;

    ModelContext(SqliteDatabase database, QString path);
    Status load();
    void markDirty(Skill *skill);
    void markDirty(SkillCollection *collection);
    void markMembershipChanged(SkillCollection *collection);
    // Out of the maps and out of every member's list, with their signals.
    void detach(SkillCollection *collection);
    void resolvedPathChanged(Skill *skill, const QString &oldPath);
    void collectionNameChanged(SkillCollection *collection, const QString &oldName);
    QString loadContent(qint64 id);
    Status writeChanges(QHash<const QObject *, qint64> &newIds);
    // The file's text as the store holds it now, before it is replaced.
    // With replaced, only when the record's text differs from it, saying so.
    Status recordStoredText(const Skill *skill, QStringList &touched, bool *replaced = nullptr);
    Status recordNewText(Skill *skill, QStringList &touched);
    Status saveError(const QString &what) const;
    Status goneError(const QString &what) const;

    using Batches = StoreMerge::Batches;
    static void readSkillRow(const SqliteStatement &row, Skill &skill);
    Status rememberDataVersion();
    Result<bool> otherCommitsWaiting();
    static QString skillRowsSql();
    void announce(const Batches &batches);

    SqliteDatabase m_db;
    SqliteStatement m_contentQuery; // after m_db: finalized before the connection closes
    SkillHistory m_history { m_db };
    qint64 m_historyCap = SkillHistory::defaultCapBytes;
    std::function<QDateTime()> m_clock = &QDateTime::currentDateTimeUtc;
    struct PendingVersion
    {
        QString path;
        QString text;
        VersionSource source;
        QDateTime time;
    };
    QList<PendingVersion> m_pendingVersions;
    // A source names the next change only: it is forgotten at the save.
    QList<QPointer<Skill>> m_sourcedSkills;
    QString m_path;
    qint64 m_dataVersion = 0;

    QList<Skill *> m_skills;
    QList<SkillCollection *> m_collections;
    QHash<QString, Skill *> m_skillsByPath;
    QHash<qint64, Skill *> m_skillsById;
    QHash<QString, SkillCollection *> m_collectionsByName;

    QList<Skill *> m_insertedSkills;
    QList<Skill *> m_removedSkills;
    QSet<Skill *> m_dirtySkills;
    QList<SkillCollection *> m_insertedCollections;
    QList<SkillCollection *> m_removedCollections;
    QSet<SkillCollection *> m_dirtyCollections;
    QSet<SkillCollection *> m_membershipChanged;
};
