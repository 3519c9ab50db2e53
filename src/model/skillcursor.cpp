#include "skillcursor.h"

#include "modelcontext.h"
#include "nameorder.h"
#include "skill.h"
#include "skillcollection.h"
#include "storefile.h"

#include <sqlite3.h>

#include <algorithm>

using namespace Qt::StringLiterals;

Result<std::unique_ptr<SkillCursor>> SkillCursor::open(const QString &path)
{
    auto opened = StoreFile::open(path);
    if (!opened)
        return opened.error();
    std::unique_ptr<SkillCursor> cursor(new SkillCursor(std::move(opened.value()), path));
    if (Status started = cursor->start(); !started)
        return started.error();
    return cursor;
}

SkillCursor::SkillCursor(SqliteDatabase database, QString path)
    : m_db(std::move(database)), m_path(std::move(path))
{
}

SkillCursor::~SkillCursor()
{
    m_current.reset(); // before the collections it points at
    for (SkillCollection *collection : std::as_const(m_collections))
        delete collection;
    if (m_inTransaction)
        (void)m_db.exec(u"COMMIT"_s); // read only: nothing to lose
}

Error SkillCursor::readError() const
{
    return Error { Error::Store,
        u"Cannot read the store %1: %2."_s.arg(m_path, m_db.errorMessage()) };
}

Status SkillCursor::start()
{
    if (!m_db.exec(u"BEGIN"_s))
        return readError();
    m_inTransaction = true;

    auto collections = m_db.prepare(u"SELECT id, name, icon, sortOrder FROM collection"_s);
    if (!collections)
        return readError();
    while (collections.value().step() == SQLITE_ROW) {
        const SqliteStatement &row = collections.value();
        auto *collection = SkillCollection::make(row.text(1), row.text(2), row.int64(3));
        collection->m_id = row.int64(0);
        m_collections.append(collection);
    }

    // Names only: they sit on each row's first page, so the bodies stay on disk.
    struct Key
    {
        QString name;
        qint64 id;
    };
    std::vector<Key> keys;
    auto names = m_db.prepare(u"SELECT id, name FROM skill"_s);
    if (!names)
        return readError();
    int stepped = SQLITE_ROW;
    while ((stepped = names.value().step()) == SQLITE_ROW)
        keys.push_back({ names.value().text(1), names.value().int64(0) });
    if (stepped != SQLITE_DONE)
        return readError();
    // The context's order, so `list` prints what the window lists.
    std::sort(keys.begin(), keys.end(), [](const Key &a, const Key &b) {
        const int order = NameOrder::compare(a.name, b.name);
        return order != 0 ? order < 0 : a.id < b.id;
    });
    m_order.reserve(keys.size());
    for (const Key &key : keys)
        m_order.push_back(key.id);

    auto row = m_db.prepare(ModelContext::skillRowsSql() + u" WHERE id = ?"_s);
    auto content = m_db.prepare(u"SELECT content FROM skill WHERE id = ?"_s);
    auto links = m_db.prepare(
        u"SELECT collection_id FROM skill_collection WHERE skill_id = ? ORDER BY position"_s);
    if (!row || !content || !links)
        return readError();
    m_rowQuery = std::move(row.value());
    m_contentQuery = std::move(content.value());
    m_linkQuery = std::move(links.value());
    return {};
}

Result<const Skill *> SkillCursor::next()
{
    m_current.reset();
    if (m_next >= m_order.size())
        return static_cast<const Skill *>(nullptr);
    const qint64 id = m_order[m_next++];

    auto skill = std::make_unique<Skill>();
    m_rowQuery.reset();
    m_rowQuery.bind(1, id);
    if (m_rowQuery.step() != SQLITE_ROW)
        return readError(); // the transaction holds every row the names came from
    ModelContext::readSkillRow(m_rowQuery, *skill);
    m_rowQuery.reset();

    m_contentQuery.reset();
    m_contentQuery.bind(1, id);
    if (m_contentQuery.step() != SQLITE_ROW)
        return readError();
    skill->m_content = m_contentQuery.text(0);
    skill->m_contentLoaded = true;
    m_contentQuery.reset();

    // Members one way only: the cursor's collections are never asked for theirs.
    m_linkQuery.reset();
    m_linkQuery.bind(1, id);
    while (m_linkQuery.step() == SQLITE_ROW) {
        const qint64 collectionId = m_linkQuery.int64(0);
        const auto found = std::find_if(m_collections.cbegin(), m_collections.cend(),
            [&](const SkillCollection *c) { return c->m_id == collectionId; });
        if (found != m_collections.cend())
            skill->m_collections.append(*found);
    }
    m_linkQuery.reset();

    m_current = std::move(skill);
    return static_cast<const Skill *>(m_current.get());
}
