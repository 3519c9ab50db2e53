#include "sqlitestatement.h"

#include <QStringEncoder>

#include <sqlite3.h>

#include <utility>

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_statement);
}

SqliteStatement::SqliteStatement(SqliteStatement &&other) noexcept
    : m_db(std::exchange(other.m_db, nullptr)),
      m_statement(std::exchange(other.m_statement, nullptr))
{
}

SqliteStatement &SqliteStatement::operator=(SqliteStatement &&other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_statement);
        m_db = std::exchange(other.m_db, nullptr);
        m_statement = std::exchange(other.m_statement, nullptr);
    }
    return *this;
}

void SqliteStatement::bind(int index, const QString &text)
{
    // A lone surrogate becomes U+FFFD, as search folding reads it, rather
    // than toUtf8()'s "?", which a search for "?" would then find.
    const QByteArray utf8
        = QStringEncoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless)(text);
    // An empty QString still binds as '' (never NULL): NOT NULL text columns rely on it.
    sqlite3_bind_text(m_statement, index, utf8.isNull() ? "" : utf8.constData(), int(utf8.size()),
        SQLITE_TRANSIENT);
}

void SqliteStatement::bind(int index, qint64 value)
{
    sqlite3_bind_int64(m_statement, index, value);
}

void SqliteStatement::bind(int index, const std::optional<QByteArray> &blob)
{
    if (!blob) {
        sqlite3_bind_null(m_statement, index);
        return;
    }
    sqlite3_bind_blob(m_statement, index, blob->isNull() ? "" : blob->constData(),
        int(blob->size()), SQLITE_TRANSIENT);
}

void SqliteStatement::bindNull(int index)
{
    sqlite3_bind_null(m_statement, index);
}

int SqliteStatement::step()
{
    return sqlite3_step(m_statement);
}

bool SqliteStatement::exec()
{
    int rc = SQLITE_ROW;
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(m_statement);
    sqlite3_reset(m_statement);
    return rc == SQLITE_DONE;
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

bool SqliteStatement::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

qint64 SqliteStatement::int64(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

QString SqliteStatement::text(int column) const
{
    const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    const int size = sqlite3_column_bytes(m_statement, column);
    return data ? QString::fromUtf8(data, size) : QString();
}

std::optional<QByteArray> SqliteStatement::blob(int column) const
{
    if (isNull(column))
        return std::nullopt;
    const auto *data = static_cast<const char *>(sqlite3_column_blob(m_statement, column));
    const int size = sqlite3_column_bytes(m_statement, column);
    return data ? QByteArray(data, size) : QByteArray("");
}
