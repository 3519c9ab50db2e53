#include "modelcontext.h"

#include "codepointorder.h"
#include "skill.h"
#include "skillcollection.h"
#include "storefile.h"
#include "storemerge.h"

#include <QTimeZone>

#include <sqlite3.h>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Columns shared by the insert and the update, in binding order.
constexpr auto skillColumns
    = "resolvedPath, filePath, isDirectory, name, skillDescription, "
      "frontmatterData, isFavorite, lastOpened, fileModifiedDate, fileSize, "
      "isGlobal, toolSourcesRaw, installedPathsData, scanSignature, kind";

void bindDate(SqliteStatement &statement, int index, const QDateTime &date)
{
    if (date.isValid())
        statement.bind(index, date.toMSecsSinceEpoch());
    else
        statement.bindNull(index);
}

QDateTime columnDate(const SqliteStatement &statement, int column)
{
    if (statement.isNull(column))
        return {};
    return QDateTime::fromMSecsSinceEpoch(statement.int64(column), Qt::UTC);
}

void bindSkillColumns(SqliteStatement &statement, const Skill &skill)
{
    int i = 0;
    statement.bind(++i, skill.resolvedPath());
    statement.bind(++i, skill.filePath());
    statement.bind(++i, skill.isDirectory());
    statement.bind(++i, skill.name());
    statement.bind(++i, skill.skillDescription());
    statement.bind(++i, skill.frontmatterData());
    statement.bind(++i, skill.isFavorite());
    bindDate(statement, ++i, skill.lastOpened());
    bindDate(statement, ++i, skill.fileModifiedDate());
    statement.bind(++i, skill.fileSize());
    statement.bind(++i, skill.isGlobal());
    statement.bind(++i, skill.toolSourcesRaw());
    statement.bind(++i, skill.installedPathsData());
    statement.bind(++i, skill.scanSignature());
    statement.bind(++i, skill.kindRaw());
}

// SQLite compares text by its UTF-8 bytes, which is code-point order; UTF-16
// code-unit order differs for characters beyond the BMP.
Error storeError(const QString &message)
{
    return Error { Error::Store, message };
}

} // namespace

ModelContext::ModelContext(SqliteDatabase database, QString path)
    : m_db(std::move(database)), m_path(std::move(path))
{
}

ModelContext::~ModelContext()
{
    // Children are deleted in no useful order; cut the links first so no
    // destructor walks a record that is already gone. Every record, live,
    // pending or removed, is a child.
    const QList<QObject *> children = this->children();
    for (QObject *child : children) {
        if (auto *skill = qobject_cast<Skill *>(child))
            skill->m_collections.clear();
        else if (auto *collection = qobject_cast<SkillCollection *>(child))
            collection->m_skills.clear();
    }
}

QString ModelContext::defaultPath()
{
    return StoreFile::defaultPath();
}

Result<std::unique_ptr<ModelContext>> ModelContext::open(const QString &path)
{
    auto opened = StoreFile::open(path);
    if (!opened)
        return opened.error();
    std::unique_ptr<ModelContext> context(new ModelContext(std::move(opened.value()), path));
    if (Status loaded = context->load(); !loaded)
        return loaded.error();
    return context;
}

Status ModelContext::load()
{
    auto collections = m_db.prepare(u"SELECT id, name, icon, sortOrder FROM collection"_s);
    if (!collections)
        return storeError(
            u"Cannot read the store %1: %2."_s.arg(m_path, collections.error().message));
    QHash<qint64, SkillCollection *> collectionsById;
    while (collections.value().step() == SQLITE_ROW) {
        const SqliteStatement &row = collections.value();
        auto *collection = SkillCollection::make(row.text(1), row.text(2), row.int64(3), this);
        collection->m_id = row.int64(0);
        collection->m_context = this;
        m_collections.append(collection);
        m_collectionsByName.insert(collection->m_name, collection);
        collectionsById.insert(collection->m_id, collection);
    }

    auto skills = m_db.prepare(u"SELECT id, %1 FROM skill"_s.arg(QLatin1StringView(skillColumns)));
    if (!skills)
        return storeError(u"Cannot read the store %1: %2."_s.arg(m_path, skills.error().message));
    SqliteStatement &row = skills.value();
    while (row.step() == SQLITE_ROW) {
        auto *skill = new Skill(this);
        readSkillRow(row, *skill);
        skill->m_context = this;
        m_skills.append(skill);
        m_skillsById.insert(skill->m_id, skill);
        m_skillsByPath.insert(skill->m_resolvedPath, skill);
    }

    auto links = m_db.prepare(
        u"SELECT skill_id, collection_id FROM skill_collection ORDER BY skill_id, position"_s);
    if (!links)
        return storeError(u"Cannot read the store %1: %2."_s.arg(m_path, links.error().message));
    while (links.value().step() == SQLITE_ROW) {
        Skill *skill = m_skillsById.value(links.value().int64(0));
        SkillCollection *collection = collectionsById.value(links.value().int64(1));
        if (skill && collection) {
            skill->m_collections.append(collection);
            collection->m_skills.append(skill);
        }
    }
    return rememberDataVersion();
}

void ModelContext::readSkillRow(const SqliteStatement &row, Skill &skill)
{
    int c = 0;
    skill.m_id = row.int64(c++);
    skill.m_resolvedPath = row.text(c++);
    skill.m_filePath = row.text(c++);
    skill.m_isDirectory = row.int64(c++) != 0;
    skill.m_name = row.text(c++);
    skill.m_skillDescription = row.text(c++);
    skill.m_frontmatterData = row.blob(c++);
    skill.m_isFavorite = row.int64(c++) != 0;
    skill.m_lastOpened = columnDate(row, c++);
    skill.m_fileModifiedDate = columnDate(row, c++);
    skill.m_fileSize = row.int64(c++);
    skill.m_isGlobal = row.int64(c++) != 0;
    skill.m_toolSourcesRaw = row.text(c++);
    skill.m_installedPathsData = row.blob(c++);
    skill.m_scanSignature = row.text(c++);
    skill.m_kindRaw = row.text(c++);
    skill.m_contentLoaded = false;
}

QString ModelContext::skillRowsSql()
{
    return u"SELECT id, %1 FROM skill"_s.arg(QLatin1StringView(skillColumns));
}

Status ModelContext::rememberDataVersion()
{
    const auto version = m_db.queryInt(u"PRAGMA data_version"_s);
    if (!version)
        return storeError(u"Cannot read the store %1: %2."_s.arg(m_path, version.error().message));
    m_dataVersion = version.value();
    return {};
}

QString ModelContext::loadContent(qint64 id)
{
    if (id <= 0)
        return {};
    // Prepared once: a search index or `list --json` reads every body in turn.
    if (!m_contentQuery.isValid()) {
        auto prepared = m_db.prepare(u"SELECT content FROM skill WHERE id = ?"_s);
        if (!prepared)
            return {};
        m_contentQuery = std::move(prepared.value());
    }
    m_contentQuery.reset();
    m_contentQuery.bind(1, id);
    QString content = m_contentQuery.step() == SQLITE_ROW ? m_contentQuery.text(0) : QString();
    m_contentQuery.reset();
    return content;
}

Status ModelContext::insert(Skill *skill)
{
    if (!skill)
        return Error { Error::BadInput, u"No skill to add."_s };
    if (skill->m_context == this)
        return {};
    if (skill->m_context)
        return Error { Error::BadInput, u"The skill belongs to another store."_s };
    if (m_skillsByPath.contains(skill->m_resolvedPath))
        return Error { Error::Conflict,
            u"A skill at %1 is already in the store."_s.arg(skill->m_resolvedPath) };
    skill->setParent(this);
    skill->m_context = this;
    skill->m_contentLoaded = true;
    m_skills.append(skill);
    m_skillsByPath.insert(skill->m_resolvedPath, skill);
    m_insertedSkills.append(skill);
    for (SkillCollection *collection : std::as_const(skill->m_collections))
        markMembershipChanged(collection);
    return {};
}

Status ModelContext::insert(SkillCollection *collection)
{
    if (!collection)
        return Error { Error::BadInput, u"No collection to add."_s };
    if (collection->m_context == this)
        return {};
    if (collection->m_context)
        return Error { Error::BadInput, u"The collection belongs to another store."_s };
    if (m_collectionsByName.contains(collection->m_name))
        return Error { Error::Conflict,
            u"A collection named “%1” already exists."_s.arg(collection->m_name) };
    collection->setParent(this);
    collection->m_context = this;
    m_collections.append(collection);
    m_collectionsByName.insert(collection->m_name, collection);
    m_insertedCollections.append(collection);
    return {};
}

void ModelContext::remove(Skill *skill)
{
    if (!skill || skill->m_context != this || !m_skills.contains(skill))
        return;
    const QList<SkillCollection *> collections = std::exchange(skill->m_collections, {});
    for (SkillCollection *collection : collections)
        collection->detachSkill(skill);
    if (!collections.isEmpty())
        Q_EMIT skill->collectionsChanged();
    m_skills.removeOne(skill);
    if (m_skillsByPath.value(skill->m_resolvedPath) == skill)
        m_skillsByPath.remove(skill->m_resolvedPath);
    m_skillsById.remove(skill->m_id);
    m_dirtySkills.remove(skill);
    if (m_insertedSkills.removeOne(skill)) {
        skill->deleteLater(); // never announced, never written
        return;
    }
    m_removedSkills.append(skill);
}

void ModelContext::remove(SkillCollection *collection)
{
    if (!collection || collection->m_context != this || !m_collections.contains(collection))
        return;
    // The link rows go by cascade, so members change without being marked dirty.
    detach(collection);
    if (m_insertedCollections.removeOne(collection)) {
        collection->deleteLater();
        return;
    }
    m_removedCollections.append(collection);
}

void ModelContext::detach(SkillCollection *collection)
{
    const QList<Skill *> members = std::exchange(collection->m_skills, {});
    for (Skill *skill : members) {
        skill->m_collections.removeAll(collection);
        Q_EMIT skill->collectionsChanged();
    }
    if (!members.isEmpty())
        Q_EMIT collection->skillsChanged();
    m_collections.removeOne(collection);
    if (m_collectionsByName.value(collection->m_name) == collection)
        m_collectionsByName.remove(collection->m_name);
    m_dirtyCollections.remove(collection);
    m_membershipChanged.remove(collection);
}

void ModelContext::markDirty(Skill *skill)
{
    m_dirtySkills.insert(skill);
}

void ModelContext::markDirty(SkillCollection *collection)
{
    m_dirtyCollections.insert(collection);
}

void ModelContext::markMembershipChanged(SkillCollection *collection)
{
    if (collection->m_context == this)
        m_membershipChanged.insert(collection);
}

void ModelContext::resolvedPathChanged(Skill *skill, const QString &oldPath)
{
    if (m_skillsByPath.value(oldPath) == skill)
        m_skillsByPath.remove(oldPath);
    if (!m_skillsByPath.contains(skill->m_resolvedPath))
        m_skillsByPath.insert(skill->m_resolvedPath, skill);
}

void ModelContext::collectionNameChanged(SkillCollection *collection, const QString &oldName)
{
    if (m_collectionsByName.value(oldName) == collection)
        m_collectionsByName.remove(oldName);
    if (!m_collectionsByName.contains(collection->m_name))
        m_collectionsByName.insert(collection->m_name, collection);
}

bool ModelContext::hasChanges() const
{
    return !m_insertedSkills.isEmpty() || !m_removedSkills.isEmpty() || !m_dirtySkills.isEmpty()
        || !m_insertedCollections.isEmpty() || !m_removedCollections.isEmpty()
        || !m_dirtyCollections.isEmpty() || !m_membershipChanged.isEmpty();
}

Status ModelContext::saveError(const QString &what) const
{
    const int code = m_db.extendedErrorCode();
    QString why;
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        // Whether to try again is the caller's to say: for a skill file
        // already made, it is not.
        why = u"another program kept the store locked for more than %1 seconds"_s.arg(
            SqliteDatabase::busyTimeoutMs / 1000);
        break;
    case SQLITE_FULL:
        why = u"the disk is full"_s;
        break;
    case SQLITE_READONLY:
        why = u"the store file is read-only"_s;
        break;
    case SQLITE_IOERR:
        why = u"the disk could not be written (%1)"_s.arg(m_db.errorMessage());
        break;
    default:
        why = m_db.errorMessage();
        break;
    }
    return storeError(u"Could not save %1: %2."_s.arg(what, why));
}

Status ModelContext::goneError(const QString &what) const
{
    // An update that changes no row wrote nothing: never a success.
    return Error { Error::Conflict,
        u"Could not save %1: another program removed it from the store."_s.arg(what) };
}

Status ModelContext::writeChanges(QHash<const QObject *, qint64> &newIds)
{
    auto prepare = [this](const QString &sql) { return m_db.prepare(sql); };

    if (!m_removedSkills.isEmpty()) {
        auto statement = prepare(u"DELETE FROM skill WHERE id = ?"_s);
        if (!statement)
            return saveError(u"the removed skills"_s);
        for (Skill *skill : std::as_const(m_removedSkills)) {
            statement.value().bind(1, skill->m_id);
            if (!statement.value().exec())
                return saveError(u"the removal of %1"_s.arg(skill->m_filePath));
        }
    }
    if (!m_removedCollections.isEmpty()) {
        auto statement = prepare(u"DELETE FROM collection WHERE id = ?"_s);
        if (!statement)
            return saveError(u"the removed collections"_s);
        for (SkillCollection *collection : std::as_const(m_removedCollections)) {
            statement.value().bind(1, collection->m_id);
            if (!statement.value().exec())
                return saveError(u"the removal of the collection “%1”"_s.arg(collection->m_name));
        }
    }

    auto bindCollection = [](SqliteStatement &statement, const SkillCollection *collection) {
        statement.bind(1, collection->m_name);
        statement.bind(2, collection->m_icon);
        statement.bind(3, collection->m_sortOrder);
    };
    auto collectionProblem = [this](const SkillCollection *collection) -> Status {
        if ((m_db.extendedErrorCode()) == SQLITE_CONSTRAINT_UNIQUE)
            return storeError(u"Could not save: a collection named “%1” already exists."_s.arg(
                collection->m_name));
        return saveError(u"the collection “%1”"_s.arg(collection->m_name));
    };
    if (!m_insertedCollections.isEmpty()) {
        auto statement
            = prepare(u"INSERT INTO collection (name, icon, sortOrder) VALUES (?, ?, ?)"_s);
        if (!statement)
            return saveError(u"the new collections"_s);
        for (SkillCollection *collection : std::as_const(m_insertedCollections)) {
            bindCollection(statement.value(), collection);
            if (!statement.value().exec())
                return collectionProblem(collection);
            newIds.insert(collection, m_db.lastInsertRowId());
        }
    }
    if (!m_dirtyCollections.isEmpty()) {
        auto statement
            = prepare(u"UPDATE collection SET name = ?, icon = ?, sortOrder = ? WHERE id = ?"_s);
        if (!statement)
            return saveError(u"the changed collections"_s);
        for (SkillCollection *collection : std::as_const(m_dirtyCollections)) {
            if (collection->m_id == 0)
                continue; // inserted above with its current values
            bindCollection(statement.value(), collection);
            statement.value().bind(4, collection->m_id);
            if (!statement.value().exec())
                return collectionProblem(collection);
            if (m_db.changes() == 0)
                return goneError(u"the collection “%1”"_s.arg(collection->m_name));
        }
    }

    auto skillProblem = [this](const Skill *skill) -> Status {
        if (m_db.extendedErrorCode() == SQLITE_CONSTRAINT_UNIQUE)
            return storeError(u"Could not save: a skill at %1 is already in the store."_s.arg(
                skill->m_resolvedPath));
        return saveError(skill->m_filePath);
    };
    QList<Skill *> linksToWrite;
    if (!m_insertedSkills.isEmpty()) {
        auto statement
            = prepare(u"INSERT INTO skill (%1, content) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, "
                      "?, ?, ?, ?, ?, ?, ?)"_s.arg(QLatin1StringView(skillColumns)));
        if (!statement)
            return saveError(u"the new skills"_s);
        for (Skill *skill : std::as_const(m_insertedSkills)) {
            bindSkillColumns(statement.value(), *skill);
            statement.value().bind(16, skill->m_content);
            if (!statement.value().exec())
                return skillProblem(skill);
            newIds.insert(skill, m_db.lastInsertRowId());
            if (!skill->m_collections.isEmpty())
                linksToWrite.append(skill);
        }
    }
    if (!m_dirtySkills.isEmpty()) {
        auto update
            = prepare(u"UPDATE skill SET (%1) = (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                      "WHERE id = ?"_s.arg(QLatin1StringView(skillColumns)));
        auto updateContent = prepare(u"UPDATE skill SET content = ? WHERE id = ?"_s);
        if (!update || !updateContent)
            return saveError(u"the changed skills"_s);
        for (Skill *skill : std::as_const(m_dirtySkills)) {
            if (skill->m_id == 0)
                continue; // inserted above with its current values
            bindSkillColumns(update.value(), *skill);
            update.value().bind(16, skill->m_id);
            if (!update.value().exec())
                return skillProblem(skill);
            if (m_db.changes() == 0)
                return goneError(skill->m_filePath);
            if (skill->m_dirty & Skill::ContentField) {
                updateContent.value().bind(1, skill->m_content);
                updateContent.value().bind(2, skill->m_id);
                if (!updateContent.value().exec())
                    return skillProblem(skill);
            }
            if (skill->m_dirty & Skill::CollectionsField)
                linksToWrite.append(skill);
        }
    }

    if (!linksToWrite.isEmpty()) {
        auto clear = prepare(u"DELETE FROM skill_collection WHERE skill_id = ?"_s);
        auto link = prepare(
            u"INSERT INTO skill_collection (skill_id, collection_id, position) VALUES (?, ?, ?)"_s);
        if (!clear || !link)
            return saveError(u"the collection memberships"_s);
        for (Skill *skill : std::as_const(linksToWrite)) {
            const qint64 skillId = skill->m_id ? skill->m_id : newIds.value(skill);
            clear.value().bind(1, skillId);
            if (!clear.value().exec())
                return saveError(u"the collections of %1"_s.arg(skill->m_filePath));
            qint64 position = 0;
            for (SkillCollection *collection : std::as_const(skill->m_collections)) {
                const qint64 collectionId
                    = collection->m_id ? collection->m_id : newIds.value(collection);
                if (collection->m_context != this || collectionId == 0)
                    return storeError(
                        u"Could not save: the collection “%1” is not in the store."_s.arg(
                            collection->m_name));
                link.value().bind(1, skillId);
                link.value().bind(2, collectionId);
                link.value().bind(3, position++);
                if (!link.value().exec())
                    return saveError(u"the collections of %1"_s.arg(skill->m_filePath));
            }
        }
    }
    return {};
}

Status ModelContext::save()
{
    if (!hasChanges())
        return {};
    if (Status begun = m_db.exec(u"BEGIN IMMEDIATE"_s); !begun)
        return saveError(u"the store"_s);
    // Under the write lock nobody else commits, so what another process
    // wrote is merged first and the changes below are made against it: a
    // row inserted elsewhere is adopted, not inserted twice.
    Batches merged;
    const auto waiting = otherCommitsWaiting();
    Status written = waiting ? Status() : saveError(u"the store"_s);
    if (written && waiting.value())
        written = StoreMerge(*this).run(merged);
    QHash<const QObject *, qint64> newIds;
    if (written)
        written = writeChanges(newIds);
    if (!written) {
        (void)m_db.exec(u"ROLLBACK"_s);
        announce(merged);
        return written;
    }
    if (Status committed = m_db.exec(u"COMMIT"_s); !committed) {
        Status error = saveError(u"the store"_s);
        (void)m_db.exec(u"ROLLBACK"_s);
        announce(merged);
        return error;
    }
    announce(merged);

    // Only now does memory follow the disk.
    const QList<Skill *> insertedSkills = std::exchange(m_insertedSkills, {});
    const QList<Skill *> removedSkills = std::exchange(m_removedSkills, {});
    const QList<SkillCollection *> insertedCollections = std::exchange(m_insertedCollections, {});
    const QList<SkillCollection *> removedCollections = std::exchange(m_removedCollections, {});
    const QSet<Skill *> dirtySkills = std::exchange(m_dirtySkills, {});
    QSet<SkillCollection *> changedCollections = std::exchange(m_dirtyCollections, {});
    changedCollections.unite(std::exchange(m_membershipChanged, {}));

    for (Skill *skill : insertedSkills) {
        skill->m_id = newIds.value(skill);
        skill->m_dirty = 0;
        m_skillsById.insert(skill->m_id, skill);
    }
    for (SkillCollection *collection : insertedCollections) {
        collection->m_id = newIds.value(collection);
        collection->m_dirty = false;
    }
    QList<Skill *> changedSkills;
    for (Skill *skill : dirtySkills) {
        if (!newIds.contains(skill) && (skill->m_dirty & ~quint32(Skill::SignatureField))
            && !merged.skillsInserted.contains(skill))
            changedSkills.append(skill);
        skill->m_dirty = 0;
    }
    QList<SkillCollection *> changed;
    for (SkillCollection *collection : std::as_const(changedCollections)) {
        collection->m_dirty = false;
        if (!newIds.contains(collection) && !merged.collectionsInserted.contains(collection))
            changed.append(collection);
    }

    if (!insertedSkills.isEmpty())
        Q_EMIT skillsInserted(insertedSkills);
    if (!insertedCollections.isEmpty())
        Q_EMIT collectionsInserted(insertedCollections);
    if (!changedSkills.isEmpty())
        Q_EMIT skillsChanged(changedSkills);
    if (!changed.isEmpty())
        Q_EMIT collectionsChanged(changed);
    if (!removedSkills.isEmpty())
        Q_EMIT skillsRemoved(removedSkills);
    if (!removedCollections.isEmpty())
        Q_EMIT collectionsRemoved(removedCollections);
    for (Skill *skill : removedSkills)
        skill->deleteLater();
    for (SkillCollection *collection : removedCollections)
        collection->deleteLater();
    // Everything else is written; these changes were not, and never will be.
    if (!merged.lostChanges.isEmpty())
        return goneError(merged.lostChanges.join(u", "_s));
    return {};
}

Skill *ModelContext::skillByResolvedPath(const QString &resolvedPath) const
{
    return m_skillsByPath.value(resolvedPath);
}

Skill *ModelContext::skillById(qint64 id) const
{
    return m_skillsById.value(id);
}

SkillCollection *ModelContext::collectionByName(const QString &name) const
{
    return m_collectionsByName.value(name);
}

QList<Skill *> ModelContext::skills() const
{
    return m_skills;
}

bool ModelContext::nameLess(const Skill *a, const Skill *b)
{
    const int order = CodePointOrder::compare(a->name(), b->name());
    if (order != 0)
        return order < 0;
    if (a->id() != b->id())
        return a->id() < b->id();
    return a < b;
}

QList<Skill *> ModelContext::skillsByName() const
{
    QList<Skill *> sorted = m_skills;
    std::sort(sorted.begin(), sorted.end(), nameLess);
    return sorted;
}

QList<SkillCollection *> ModelContext::collectionsBySortOrder() const
{
    QList<SkillCollection *> sorted = m_collections;
    std::stable_sort(sorted.begin(), sorted.end(),
        [](const auto *a, const auto *b) { return a->sortOrder() < b->sortOrder(); });
    return sorted;
}

Result<bool> ModelContext::otherCommitsWaiting()
{
    // data_version moves only for commits made by other connections.
    const auto version = m_db.queryInt(u"PRAGMA data_version"_s);
    if (!version)
        return version.error();
    return version.value() != m_dataVersion;
}

Status ModelContext::refresh()
{
    const auto waiting = otherCommitsWaiting();
    if (!waiting)
        return storeError(u"Cannot read the store %1: %2."_s.arg(m_path, waiting.error().message));
    if (!waiting.value())
        return {};
    // One read transaction: the rows, the links and the version agree.
    if (!m_db.exec(u"BEGIN"_s))
        return storeError(u"Cannot read the store %1: %2."_s.arg(m_path, m_db.errorMessage()));
    Batches batches;
    Status merged = StoreMerge(*this).run(batches);
    (void)m_db.exec(u"COMMIT"_s); // read only: nothing to lose
    announce(batches);
    if (merged && !batches.lostChanges.isEmpty())
        return goneError(batches.lostChanges.join(u", "_s));
    return merged;
}

void ModelContext::announce(const Batches &batches)
{
    if (!batches.skillsInserted.isEmpty())
        Q_EMIT skillsInserted(batches.skillsInserted);
    if (!batches.collectionsInserted.isEmpty())
        Q_EMIT collectionsInserted(batches.collectionsInserted);
    if (!batches.skillsChanged.isEmpty())
        Q_EMIT skillsChanged(batches.skillsChanged);
    if (!batches.collectionsChanged.isEmpty())
        Q_EMIT collectionsChanged(batches.collectionsChanged);
    if (!batches.skillsRemoved.isEmpty())
        Q_EMIT skillsRemoved(batches.skillsRemoved);
    if (!batches.collectionsRemoved.isEmpty())
        Q_EMIT collectionsRemoved(batches.collectionsRemoved);
    for (Skill *skill : batches.skillsRemoved)
        skill->deleteLater();
    for (SkillCollection *collection : batches.collectionsRemoved)
        collection->deleteLater();
}
