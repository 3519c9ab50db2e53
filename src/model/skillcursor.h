#pragma once

#include "result.h"
#include "sqlitedatabase.h"

#include <QList>
#include <QString>

#include <memory>
#include <vector>

class Skill;
class SkillCollection;

// Reads a store's skills one at a time, in the list's order (names in code-point
// order, ties by identity), each with its body and collections, without loading
// the store into memory: output of every record, body and all, stays as small
// for fifty thousand skills as for fifty. One read transaction from open to
// end, so the records agree with each other while other processes write.
class SkillCursor final
{
public:
    static Result<std::unique_ptr<SkillCursor>> open(const QString &path);
    ~SkillCursor();
    SkillCursor(const SkillCursor &) = delete;
    SkillCursor &operator=(const SkillCursor &) = delete;

    qsizetype count() const { return qsizetype(m_order.size()); }
    // The next record, or null after the last one; it stays valid until the
    // next call. An error when the store could not be read.
    Result<const Skill *> next();

private:
    explicit SkillCursor(SqliteDatabase database, QString path);
    Status start();
    Error readError() const;

    SqliteDatabase m_db;
    QString m_path;
    // Statements after the connection: finalized before it closes.
    SqliteStatement m_rowQuery;
    SqliteStatement m_contentQuery;
    SqliteStatement m_linkQuery;
    bool m_inTransaction = false;
    std::vector<qint64> m_order;
    std::size_t m_next = 0;
    QList<SkillCollection *> m_collections; // owned
    std::unique_ptr<Skill> m_current;
};
