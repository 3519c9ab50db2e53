#include "sqlitedatabase.h"

#include <sqlite3.h>

#include <utility>

using namespace Qt::StringLiterals;

SqliteDatabase::~SqliteDatabase()
{
    sqlite3_close_v2(m_db);
}

SqliteDatabase::SqliteDatabase(SqliteDatabase &&other) noexcept
    : m_db(std::exchange(other.m_db, nullptr))
{
}

SqliteDatabase &SqliteDatabase::operator=(SqliteDatabase &&other) noexcept
{
    if (this != &other) {
        sqlite3_close_v2(m_db);
        m_db = std::exchange(other.m_db, nullptr);
    }
    return *this;
}

Result<SqliteDatabase> SqliteDatabase::open(const QString &path, Mode mode)
{
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    if (mode == Mode::ReadWriteCreate)
        flags |= SQLITE_OPEN_CREATE;
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    SqliteDatabase database(db);
    if (rc != SQLITE_OK) {
        const QString why
            = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        return Error { Error::Store, u"Cannot open %1: %2."_s.arg(path, why) };
    }
    sqlite3_extended_result_codes(db, 1);
    // Before any statement: even the first read of the schema meets another
    // process's write lock, and must wait rather than fail at once.
    sqlite3_busy_timeout(db, busyTimeoutMs);
    return database;
}

bool SqliteDatabase::isReadOnly() const
{
    return sqlite3_db_readonly(m_db, "main") == 1;
}

Status SqliteDatabase::exec(const QString &sql)
{
    char *message = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        const QString why
            = message ? QString::fromUtf8(message) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_free(message);
        return Error { Error::Store, why };
    }
    return {};
}

Result<SqliteStatement> SqliteDatabase::prepare(const QString &sql)
{
    sqlite3_stmt *statement = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v3(
        m_db, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(statement);
        return Error { Error::Store, errorMessage() };
    }
    return SqliteStatement(m_db, statement);
}

Result<qint64> SqliteDatabase::queryInt(const QString &sql)
{
    auto statement = prepare(sql);
    if (!statement)
        return statement.error();
    const int rc = statement.value().step();
    if (rc == SQLITE_ROW)
        return statement.value().int64(0);
    if (rc == SQLITE_DONE)
        return qint64(0);
    return Error { Error::Store, errorMessage() };
}

qint64 SqliteDatabase::lastInsertRowId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

int SqliteDatabase::changes() const
{
    return sqlite3_changes(m_db);
}

int SqliteDatabase::errorCode() const
{
    return sqlite3_errcode(m_db);
}

int SqliteDatabase::extendedErrorCode() const
{
    return sqlite3_extended_errcode(m_db);
}

QString SqliteDatabase::errorMessage() const
{
    return QString::fromUtf8(sqlite3_errmsg(m_db));
}
