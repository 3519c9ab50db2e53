#include "storesearch.h"

#include "foldedtext.h"
#include "searchtokenizer.h"
#include "sqlitedatabase.h"

#include <QChar>

#include <sqlite3.h>

#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Raised when the folding rule itself changes.
constexpr int foldingRevision = 1;

constexpr auto indexSql = R"(
CREATE VIRTUAL TABLE skill_search USING fts5(
    name, skillDescription, content,
    content = 'skill', content_rowid = 'id', tokenize = 'quire_grams', detail = 'none'
);
CREATE TRIGGER skill_search_insert AFTER INSERT ON skill BEGIN
    INSERT INTO skill_search (rowid, name, skillDescription, content)
        VALUES (new.id, new.name, new.skillDescription, new.content);
END;
CREATE TRIGGER skill_search_delete AFTER DELETE ON skill BEGIN
    INSERT INTO skill_search (skill_search, rowid, name, skillDescription, content)
        VALUES ('delete', old.id, old.name, old.skillDescription, old.content);
END;
-- Most updates (a favourite, a rescan that finds nothing new) leave the texts alone.
CREATE TRIGGER skill_search_update AFTER UPDATE OF name, skillDescription, content ON skill
WHEN old.name IS NOT new.name OR old.skillDescription IS NOT new.skillDescription
    OR old.content IS NOT new.content
BEGIN
    INSERT INTO skill_search (skill_search, rowid, name, skillDescription, content)
        VALUES ('delete', old.id, old.name, old.skillDescription, old.content);
    INSERT INTO skill_search (rowid, name, skillDescription, content)
        VALUES (new.id, new.name, new.skillDescription, new.content);
END;
)";

// The code points of valid UTF-8, as byte ranges.
std::vector<QByteArrayView> codePoints(QByteArrayView utf8)
{
    std::vector<QByteArrayView> points;
    for (qsizetype i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const qsizetype length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        points.push_back(utf8.sliced(i, std::min(length, utf8.size() - i)));
        i += length;
    }
    return points;
}

// One FTS5 string: quoted, its quotes doubled.
QByteArray quoted(QByteArrayView term)
{
    QByteArray out = "\"";
    for (const char c : term) {
        out += c;
        if (c == '"')
            out += '"';
    }
    out += '"';
    return out;
}

QByteArrayView columnBytes(sqlite3_stmt *statement, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return { text, sqlite3_column_bytes(statement, column) };
}

Error searchError(SqliteDatabase &db)
{
    return Error { Error::Store, u"Cannot search the store: %1."_s.arg(db.errorMessage()) };
}

} // namespace

QString StoreSearch::foldingVersion()
{
    // Folding follows Qt's Unicode tables; a newer table may fold a
    // character another way.
    return u"%1/%2"_s.arg(foldingRevision).arg(int(QChar::currentUnicodeVersion()));
}

Status StoreSearch::create(SqliteDatabase &db)
{
    if (Status made = db.exec(QString::fromLatin1(indexSql)); !made)
        return made;
    if (Status filled = db.exec(u"INSERT INTO skill_search (skill_search) VALUES ('rebuild')"_s);
        !filled)
        return filled;
    return db.exec(u"INSERT OR REPLACE INTO meta (key, value) VALUES ('searchFolding', '%1')"_s.arg(
        foldingVersion()));
}

Status StoreSearch::ensureCurrentFolding(SqliteDatabase &db)
{
    auto statement = db.prepare(u"SELECT value FROM meta WHERE key = 'searchFolding'"_s);
    if (!statement)
        return statement.error();
    const QString recorded
        = statement.value().step() == SQLITE_ROW ? statement.value().text(0) : QString();
    statement.value() = SqliteStatement();
    if (recorded == foldingVersion())
        return {};
    if (Status begun = db.exec(u"BEGIN IMMEDIATE"_s); !begun)
        return begun;
    Status rebuilt = db.exec(u"INSERT INTO skill_search (skill_search) VALUES ('rebuild')"_s);
    if (rebuilt)
        rebuilt = db.exec(
            u"INSERT OR REPLACE INTO meta (key, value) VALUES ('searchFolding', '%1')"_s.arg(
                foldingVersion()));
    if (rebuilt)
        rebuilt = db.exec(u"COMMIT"_s);
    if (!rebuilt)
        (void)db.exec(u"ROLLBACK"_s);
    return rebuilt;
}

Result<QSet<qint64>> StoreSearch::find(SqliteDatabase &db, const QByteArray &foldedNeedle)
{
    QSet<qint64> found;
    const std::vector<QByteArrayView> points = codePoints(foldedNeedle);
    // A query string ends at a NUL byte, so such a needle is checked on
    // every row; nobody types one, but it may be pasted.
    const bool everyRow = foldedNeedle.contains('\0');
    QByteArray match;
    if (!everyRow && points.size() <= 3) {
        match = quoted(foldedNeedle);
    } else if (!everyRow) {
        // Rows holding every run of three; the rows' texts then tell whether
        // the runs stand in a row.
        QSet<QByteArray> runs;
        for (size_t i = 0; i + 3 <= points.size(); ++i) {
            const qsizetype from = points[i].data() - foldedNeedle.constData();
            const qsizetype to
                = points[i + 2].data() + points[i + 2].size() - foldedNeedle.constData();
            const QByteArray run = foldedNeedle.sliced(from, to - from);
            if (runs.contains(run))
                continue;
            runs.insert(run);
            match += (match.isEmpty() ? "" : " AND ") + quoted(run);
        }
    }
    const bool exact = !everyRow && points.size() <= 3;
    const QString sql = exact ? u"SELECT rowid FROM skill_search WHERE skill_search MATCH ?"_s
        : everyRow            ? u"SELECT id, name, skillDescription, content FROM skill"_s
                   : u"SELECT skill.id, skill.name, skill.skillDescription, skill.content "
                     "FROM skill_search JOIN skill ON skill.id = skill_search.rowid "
                     "WHERE skill_search MATCH ?"_s;
    auto prepared = db.prepare(sql);
    if (!prepared)
        return searchError(db);
    SqliteStatement &statement = prepared.value();
    if (!everyRow)
        statement.bind(1, QString::fromUtf8(match));
    int rc = SQLITE_ROW;
    while ((rc = statement.step()) == SQLITE_ROW) {
        if (exact) {
            found.insert(statement.int64(0));
            continue;
        }
        sqlite3_stmt *row = statement.handle();
        for (int column = 1; column <= 3; ++column) {
            if (FoldedText::utf8Contains(columnBytes(row, column), foldedNeedle)) {
                found.insert(statement.int64(0));
                break;
            }
        }
    }
    if (rc != SQLITE_DONE)
        return searchError(db);
    return found;
}
