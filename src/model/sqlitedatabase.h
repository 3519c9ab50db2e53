#pragma once

#include "result.h"
#include "sqlitestatement.h"

#include <QString>

struct sqlite3;

// An open SQLite connection that closes itself. Every failure comes back as
// an Error whose message says what SQLite said.
class SqliteDatabase final
{
public:
    enum class Mode { ReadWrite, ReadWriteCreate };
    static constexpr int busyTimeoutMs = 5000;

    SqliteDatabase() = default;
    ~SqliteDatabase();
    SqliteDatabase(SqliteDatabase &&other) noexcept;
    SqliteDatabase &operator=(SqliteDatabase &&other) noexcept;
    SqliteDatabase(const SqliteDatabase &) = delete;
    SqliteDatabase &operator=(const SqliteDatabase &) = delete;

    static Result<SqliteDatabase> open(const QString &path, Mode mode);

    bool isOpen() const { return m_db != nullptr; }
    bool isReadOnly() const;

    Status exec(const QString &sql);
    Result<SqliteStatement> prepare(const QString &sql);
    // The first column of the first row as an integer, for pragmas and counts.
    Result<qint64> queryInt(const QString &sql);

    qint64 lastInsertRowId() const;
    // Rows changed by the last INSERT, UPDATE or DELETE.
    int changes() const;
    int errorCode() const;
    // For the few C interfaces this wrapper does not cover (FTS5 tokenizers).
    sqlite3 *handle() const { return m_db; }
    int extendedErrorCode() const;
    QString errorMessage() const;

private:
    explicit SqliteDatabase(sqlite3 *db) : m_db(db) { }
    sqlite3 *m_db = nullptr;
};
