#include "storemerge.h"

#include "modelcontext.h"
#include "skill.h"
#include "skillcollection.h"

#include <QHash>
#include <QSet>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

Status StoreMerge::run(Batches &batches)
{
    const auto readError = [this](const Error &error) {
        return Error { Error::Store,
            u"Cannot read the store %1: %2."_s.arg(m_store.m_path, error.message) };
    };

    // Collections first, so the links below find them.
    QHash<qint64, SkillCollection *> collectionsById;
    for (SkillCollection *collection : std::as_const(m_store.m_collections)) {
        if (collection->m_id != 0)
            collectionsById.insert(collection->m_id, collection);
    }
    QSet<qint64> removedHere;
    for (SkillCollection *collection : std::as_const(m_store.m_removedCollections))
        removedHere.insert(collection->m_id);
    auto collections = m_store.m_db.prepare(u"SELECT id, name, icon, sortOrder FROM collection"_s);
    if (!collections)
        return readError(collections.error());
    QSet<qint64> seen;
    while (collections.value().step() == SQLITE_ROW) {
        const SqliteStatement &row = collections.value();
        const qint64 id = row.int64(0);
        seen.insert(id);
        if (removedHere.contains(id))
            continue; // deleted here; the delete is written with the next save
        const QString name = row.text(1);
        SkillCollection *collection = collectionsById.value(id);
        if (!collection) {
            // A collection made here and elsewhere under one name is one collection.
            SkillCollection *pending = m_store.m_collectionsByName.value(name);
            if (pending && m_store.m_insertedCollections.contains(pending)) {
                m_store.m_insertedCollections.removeOne(pending);
                pending->m_id = id;
                pending->markDirty(); // its icon and order are written over the other's
                batches.collectionsInserted.append(pending);
            } else {
                collection = SkillCollection::make(name, row.text(2), row.int64(3), &m_store);
                collection->m_id = id;
                collection->m_context = &m_store;
                m_store.m_collections.append(collection);
                if (!m_store.m_collectionsByName.contains(name))
                    m_store.m_collectionsByName.insert(name, collection);
                batches.collectionsInserted.append(collection);
            }
            collectionsById.insert(id, collection ? collection : pending);
            continue;
        }
        if (collection->m_dirty)
            continue; // changed here: this side's values are written next
        bool changed = false;
        if (collection->m_name != name) {
            const QString old = std::exchange(collection->m_name, name);
            m_store.collectionNameChanged(collection, old);
            Q_EMIT collection->nameChanged();
            changed = true;
        }
        if (const QString icon = row.text(2); collection->m_icon != icon) {
            collection->m_icon = icon;
            Q_EMIT collection->iconChanged();
            changed = true;
        }
        if (const qint64 order = row.int64(3); collection->m_sortOrder != order) {
            collection->m_sortOrder = order;
            Q_EMIT collection->sortOrderChanged();
            changed = true;
        }
        if (changed)
            batches.collectionsChanged.append(collection);
    }
    const QList<SkillCollection *> knownCollections = m_store.m_collections;
    for (SkillCollection *collection : knownCollections) {
        if (collection->m_id != 0 && !seen.contains(collection->m_id)) {
            if (collection->m_dirty)
                batches.lostChanges.append(u"the collection “%1”"_s.arg(collection->m_name));
            dropRemovedElsewhere(collection);
            collectionsById.remove(collection->m_id);
            batches.collectionsRemoved.append(collection);
        }
    }

    removedHere.clear();
    for (Skill *skill : std::as_const(m_store.m_removedSkills))
        removedHere.insert(skill->m_id);
    auto skills = m_store.m_db.prepare(ModelContext::skillRowsSql());
    if (!skills)
        return readError(skills.error());
    seen.clear();
    while (skills.value().step() == SQLITE_ROW) {
        Skill row;
        ModelContext::readSkillRow(skills.value(), row);
        seen.insert(row.m_id);
        if (removedHere.contains(row.m_id))
            continue;
        if (Skill *skill = m_store.m_skillsById.value(row.m_id)) {
            if (mergeSkill(skill, row))
                batches.skillsChanged.append(skill);
            continue;
        }
        Skill *pending = m_store.m_skillsByPath.value(row.m_resolvedPath);
        if (pending && m_store.m_insertedSkills.removeOne(pending)) {
            adoptSkill(pending, row);
            batches.skillsInserted.append(pending);
            continue;
        }
        auto *skill = new Skill(&m_store);
        ModelContext::readSkillRow(skills.value(), *skill);
        skill->m_context = &m_store;
        m_store.m_skills.append(skill);
        m_store.m_skillsById.insert(skill->m_id, skill);
        if (!m_store.m_skillsByPath.contains(skill->m_resolvedPath))
            m_store.m_skillsByPath.insert(skill->m_resolvedPath, skill);
        batches.skillsInserted.append(skill);
    }
    const QList<Skill *> knownSkills = m_store.m_skills;
    for (Skill *skill : knownSkills) {
        if (skill->m_id != 0 && !seen.contains(skill->m_id)) {
            if (skill->m_dirty & ~quint32(Skill::SignatureField))
                batches.lostChanges.append(skill->m_filePath);
            dropRemovedElsewhere(skill);
            batches.skillsRemoved.append(skill);
        }
    }

    auto links = m_store.m_db.prepare(
        u"SELECT skill_id, collection_id FROM skill_collection ORDER BY skill_id, position"_s);
    if (!links)
        return readError(links.error());
    QHash<Skill *, QList<SkillCollection *>> stored;
    while (links.value().step() == SQLITE_ROW) {
        Skill *skill = m_store.m_skillsById.value(links.value().int64(0));
        SkillCollection *collection = collectionsById.value(links.value().int64(1));
        if (skill && collection)
            stored[skill].append(collection);
    }
    for (Skill *skill : std::as_const(m_store.m_skills)) {
        if (skill->m_id == 0 || (skill->m_dirty & Skill::CollectionsField))
            continue; // unsaved here, or this side's memberships are written next
        const QList<SkillCollection *> wanted = stored.value(skill);
        if (wanted == skill->m_collections)
            continue;
        const QList<SkillCollection *> old = std::exchange(skill->m_collections, wanted);
        for (SkillCollection *collection : old) {
            if (!wanted.contains(collection))
                collection->detachSkill(skill);
        }
        for (SkillCollection *collection : wanted) {
            if (!old.contains(collection))
                collection->attachSkill(skill);
        }
        Q_EMIT skill->collectionsChanged();
        if (!batches.skillsChanged.contains(skill) && !batches.skillsInserted.contains(skill))
            batches.skillsChanged.append(skill);
    }
    // Membership follows the store here; nothing of it needs writing back.
    for (SkillCollection *collection : std::as_const(m_store.m_collections)) {
        if (!batches.collectionsChanged.contains(collection)
            && !batches.collectionsInserted.contains(collection)
            && m_store.m_membershipChanged.contains(collection))
            batches.collectionsChanged.append(collection);
    }
    return m_store.rememberDataVersion();
}

bool StoreMerge::mergeSkill(Skill *skill, const Skill &row)
{
    const quint32 local = skill->m_dirty;
    bool changed = false;
    // A field changed here and not yet saved keeps this side's value.
    auto follow = [&](auto &field, const auto &stored, Skill::Field bit, void (Skill::*signal)()) {
        if ((local & bit) || field == stored)
            return;
        field = stored;
        changed = true;
        if (signal)
            Q_EMIT(skill->*signal)();
    };
    if (!(local & Skill::ResolvedPathField) && skill->m_resolvedPath != row.m_resolvedPath) {
        const QString old = std::exchange(skill->m_resolvedPath, row.m_resolvedPath);
        m_store.resolvedPathChanged(skill, old);
        Q_EMIT skill->resolvedPathChanged();
        changed = true;
    }
    if (!(local & (Skill::FilePathField | Skill::InstalledPathsField))
        && (skill->m_filePath != row.m_filePath
            || skill->m_installedPathsData != row.m_installedPathsData))
        skill->m_installedPaths.reset();
    follow(skill->m_filePath, row.m_filePath, Skill::FilePathField, &Skill::filePathChanged);
    follow(skill->m_isDirectory, row.m_isDirectory, Skill::IsDirectoryField,
        &Skill::isDirectoryChanged);
    follow(skill->m_name, row.m_name, Skill::NameField, &Skill::nameChanged);
    follow(skill->m_skillDescription, row.m_skillDescription, Skill::DescriptionField,
        &Skill::skillDescriptionChanged);
    follow(skill->m_frontmatterData, row.m_frontmatterData, Skill::FrontmatterField,
        &Skill::frontmatterDataChanged);
    follow(
        skill->m_isFavorite, row.m_isFavorite, Skill::IsFavoriteField, &Skill::isFavoriteChanged);
    follow(
        skill->m_lastOpened, row.m_lastOpened, Skill::LastOpenedField, &Skill::lastOpenedChanged);
    follow(skill->m_fileModifiedDate, row.m_fileModifiedDate, Skill::ModifiedField,
        &Skill::fileModifiedDateChanged);
    follow(skill->m_fileSize, row.m_fileSize, Skill::SizeField, &Skill::fileSizeChanged);
    follow(skill->m_isGlobal, row.m_isGlobal, Skill::IsGlobalField, &Skill::isGlobalChanged);
    follow(skill->m_toolSourcesRaw, row.m_toolSourcesRaw, Skill::ToolsField,
        &Skill::toolSourcesRawChanged);
    follow(skill->m_installedPathsData, row.m_installedPathsData, Skill::InstalledPathsField,
        &Skill::installedPathsDataChanged);
    follow(skill->m_kindRaw, row.m_kindRaw, Skill::KindField, &Skill::kindChanged);
    const bool signatureOnly = !changed;
    follow(skill->m_scanSignature, row.m_scanSignature, Skill::SignatureField, nullptr);
    if (signatureOnly)
        changed = false; // not observable
    // A body that was never read is read fresh when it is; one that was is
    // compared, so an editor showing it hears of the change.
    if (!(local & Skill::ContentField) && skill->m_contentLoaded) {
        const QString stored = m_store.loadContent(skill->m_id);
        if (stored != skill->m_content) {
            skill->m_content = stored;
            Q_EMIT skill->contentChanged();
            changed = true;
        }
    }
    return changed;
}

void StoreMerge::adoptSkill(Skill *pending, const Skill &row)
{
    // The same file recorded elsewhere first: this record becomes that row.
    // What this side read from the file is written over it; the user's marks
    // made elsewhere stay unless changed here; every route and tool is kept.
    pending->m_id = row.m_id;
    m_store.m_skillsById.insert(pending->m_id, pending);
    const quint32 local = pending->m_dirty;
    if (!(local & Skill::IsFavoriteField) && pending->m_isFavorite != row.m_isFavorite) {
        pending->m_isFavorite = row.m_isFavorite;
        Q_EMIT pending->isFavoriteChanged();
    }
    if (!(local & Skill::LastOpenedField) && pending->m_lastOpened != row.m_lastOpened) {
        pending->m_lastOpened = row.m_lastOpened;
        Q_EMIT pending->lastOpenedChanged();
    }
    QStringList paths = pending->installedPaths();
    for (const QString &path : row.installedPaths()) {
        if (!paths.contains(path))
            paths.append(path);
    }
    QList<ToolSource> tools = pending->toolSources();
    tools += row.toolSources();
    constexpr quint32 everyField = (quint32(Skill::SignatureField) << 1) - 1;
    pending->m_dirty |= everyField
        & ~quint32(Skill::IsFavoriteField | Skill::LastOpenedField | Skill::CollectionsField);
    if (!pending->m_collections.isEmpty())
        pending->m_dirty |= Skill::CollectionsField; // chosen before the insert: written too
    m_store.m_dirtySkills.insert(pending);
    pending->setInstalledPaths(paths);
    pending->setToolSources(tools);
}

void StoreMerge::dropRemovedElsewhere(Skill *skill)
{
    const QList<SkillCollection *> collections = std::exchange(skill->m_collections, {});
    for (SkillCollection *collection : collections)
        collection->detachSkill(skill);
    if (!collections.isEmpty())
        Q_EMIT skill->collectionsChanged();
    m_store.m_skills.removeOne(skill);
    if (m_store.m_skillsByPath.value(skill->m_resolvedPath) == skill)
        m_store.m_skillsByPath.remove(skill->m_resolvedPath);
    m_store.m_skillsById.remove(skill->m_id);
    m_store.m_dirtySkills.remove(skill);
    skill->m_dirty = 0;
    // Another record may hold the path now (a row re-made elsewhere).
    for (Skill *other : std::as_const(m_store.m_skills)) {
        if (other->m_resolvedPath == skill->m_resolvedPath) {
            m_store.m_skillsByPath.insert(other->m_resolvedPath, other);
            break;
        }
    }
}

void StoreMerge::dropRemovedElsewhere(SkillCollection *collection)
{
    m_store.detach(collection);
    collection->m_dirty = false;
    for (SkillCollection *other : std::as_const(m_store.m_collections)) {
        if (other->m_name == collection->m_name) {
            m_store.m_collectionsByName.insert(other->m_name, other);
            break;
        }
    }
}
