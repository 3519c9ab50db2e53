#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// A prepared statement that finalizes itself. Binding indexes start at 1,
// column indexes at 0, as in the C API.
class SqliteStatement final
{
public:
    SqliteStatement() = default;
    SqliteStatement(sqlite3 *db, sqlite3_stmt *statement) : m_db(db), m_statement(statement) { }
    ~SqliteStatement();
    SqliteStatement(SqliteStatement &&other) noexcept;
    SqliteStatement &operator=(SqliteStatement &&other) noexcept;
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    bool isValid() const { return m_statement != nullptr; }
    // For reading a column's bytes in place.
    sqlite3_stmt *handle() const { return m_statement; }

    void bind(int index, const QString &text);
    void bind(int index, qint64 value);
    void bind(int index, bool value) { bind(index, qint64(value ? 1 : 0)); }
    void bind(int index, const std::optional<QByteArray> &blob);
    void bindNull(int index);

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    // Steps to the end; true when the statement finished without error.
    bool exec();
    void reset();

    bool isNull(int column) const;
    qint64 int64(int column) const;
    QString text(int column) const;
    std::optional<QByteArray> blob(int column) const;

private:
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_statement = nullptr;
};
