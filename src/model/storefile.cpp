#include "storefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sqlite3.h>

#include <array>

using namespace Qt::StringLiterals;

namespace {

// One change of the schema: takes a store at the version before it to its own,
// inside the transaction that opens the store.
struct SchemaUpgrade
{
    int userVersion;
    const char *version;
    Status (*apply)(SqliteDatabase &db);
};

Status addSkillKind(SqliteDatabase &db);

// Append only: stores in the field ran every step that shipped, so a step
// never changes once released. A new store is created at the first schema
// and runs them all, so new and upgraded stores cannot differ.
constexpr std::array<SchemaUpgrade, 1> schemaUpgrades {
    SchemaUpgrade { 10100, "1.1.0", &addSkillKind },
};

constexpr int newestUserVersion()
{
    return schemaUpgrades.empty() ? StoreFile::firstUserVersion : schemaUpgrades.back().userVersion;
}
static_assert(newestUserVersion() == StoreFile::schemaUserVersion,
    "the schema version names the last upgrade step");

constexpr auto schemaSql = R"(
CREATE TABLE meta (
    key TEXT PRIMARY KEY NOT NULL,
    value TEXT NOT NULL
);
CREATE TABLE skill (
    id INTEGER PRIMARY KEY,
    resolvedPath TEXT NOT NULL,
    filePath TEXT NOT NULL,
    isDirectory INTEGER NOT NULL,
    name TEXT NOT NULL,
    skillDescription TEXT NOT NULL,
    frontmatterData BLOB,
    isFavorite INTEGER NOT NULL,
    lastOpened INTEGER,
    fileModifiedDate INTEGER,
    fileSize INTEGER NOT NULL,
    isGlobal INTEGER NOT NULL,
    toolSourcesRaw TEXT NOT NULL,
    installedPathsData BLOB,
    scanSignature TEXT NOT NULL DEFAULT '',
    -- Last: SQLite reads a row's columns in order, so the list's columns come
    -- from the first page and the bodies' overflow pages are left unread.
    content TEXT NOT NULL
);
CREATE UNIQUE INDEX skill_resolvedPath ON skill (resolvedPath);
CREATE TABLE collection (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL,
    icon TEXT NOT NULL,
    sortOrder INTEGER NOT NULL
);
CREATE UNIQUE INDEX collection_name ON collection (name);
CREATE TABLE skill_collection (
    skill_id INTEGER NOT NULL REFERENCES skill (id) ON DELETE CASCADE,
    collection_id INTEGER NOT NULL REFERENCES collection (id) ON DELETE CASCADE,
    position INTEGER NOT NULL,
    PRIMARY KEY (skill_id, collection_id)
) WITHOUT ROWID;
CREATE INDEX skill_collection_collection ON skill_collection (collection_id);
)";

QString schemaVersionText(qint64 userVersion)
{
    return u"%1.%2.%3"_s.arg(userVersion / 10000)
        .arg(userVersion / 100 % 100)
        .arg(userVersion % 100);
}

Error storeError(const QString &message)
{
    return Error { Error::Store, message };
}

Result<QStringList> texts(SqliteDatabase &db, const QString &sql)
{
    auto statement = db.prepare(sql);
    if (!statement)
        return statement.error();
    QStringList out;
    int rc = 0;
    while ((rc = statement.value().step()) == SQLITE_ROW)
        out.append(statement.value().text(0));
    if (rc != SQLITE_DONE)
        return storeError(db.errorMessage());
    return out;
}

// Each record says what it is to its harnesses. The column goes before the
// bodies, as the list's columns do, so reading it never walks a long body's
// overflow pages: the table is rebuilt, keeping every row, its id, its
// collection links, and whatever columns, indexes and triggers it has by now.
Status addSkillKind(SqliteDatabase &db)
{
    const auto table
        = texts(db, u"SELECT sql FROM sqlite_master WHERE type = 'table' AND name = 'skill'"_s);
    const auto columns = texts(db, u"SELECT name FROM pragma_table_info('skill')"_s);
    const auto extras = texts(db,
        u"SELECT sql FROM sqlite_master WHERE tbl_name = 'skill' "
        "AND type IN ('index', 'trigger') AND sql IS NOT NULL"_s);
    if (!table || !columns || !extras)
        return !table ? table.error() : !columns ? columns.error() : extras.error();
    QString create = table.value().value(0);
    const qsizetype body = create.indexOf(u"content TEXT NOT NULL"_s);
    if (!create.startsWith(u"CREATE TABLE skill ("_s) || body < 0)
        return storeError(u"the skill table is not one this version knows"_s);
    create.insert(body, u"kind TEXT NOT NULL DEFAULT 'skill',\n    "_s);
    create.replace(
        0, qsizetype(sizeof("CREATE TABLE skill (") - 1), u"CREATE TABLE skill_next ("_s);
    const QString kept = columns.value().join(u", "_s);
    // The file's name tells most kinds; the next scan sets every one from where it is.
    const QString kind = uR"(CASE
        WHEN filePath LIKE '%/SKILL.md' THEN 'skill'
        WHEN filePath LIKE '%AGENTS.md' OR filePath LIKE '%/copilot-instructions.md'
            OR filePath LIKE '%/global_rules.md' THEN 'instructions'
        WHEN filePath LIKE '%/.cursor/rules/%' OR filePath LIKE '%/.windsurf/rules/%'
            OR filePath LIKE '%/.codeium/windsurf/memories/%' THEN 'rule'
        ELSE 'skill' END)"_s;
    QString sql = create + u";\n"_s
        + u"INSERT INTO skill_next (%1, kind) SELECT %1, %2 FROM skill;\n"_s.arg(kept, kind)
        + u"CREATE TEMP TABLE skill_collection_kept AS SELECT * FROM skill_collection;\n"
          "DROP TABLE skill;\n"
          "ALTER TABLE skill_next RENAME TO skill;\n"
          "INSERT INTO skill_collection SELECT * FROM temp.skill_collection_kept;\n"
          "DROP TABLE temp.skill_collection_kept;\n"_s;
    for (const QString &extra : extras.value())
        sql += extra + u";\n"_s;
    return db.exec(sql);
}

// Runs, inside the caller's transaction, every step newer than `from`.
Status upgradeSchema(SqliteDatabase &db, qint64 from)
{
    for (const SchemaUpgrade &step : schemaUpgrades) {
        if (step.userVersion <= from)
            continue;
        if (Status status = step.apply(db); !status)
            return storeError(u"upgrading to schema %1 failed: %2"_s.arg(
                QLatin1StringView(step.version), status.error().message));
    }
    return db.exec(u"UPDATE meta SET value = '%1' WHERE key = 'schemaVersion'; "
                   "PRAGMA user_version = %2;"_s.arg(QLatin1StringView(StoreFile::schemaVersion))
                       .arg(StoreFile::schemaUserVersion));
}

} // namespace

QString StoreFile::defaultPath()
{
    QString overridden = qEnvironmentVariable("QUIRE_STORE");
    if (!overridden.isEmpty())
        return overridden;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + u"/Quire/store.sqlite"_s;
}

Result<SqliteDatabase> StoreFile::open(const QString &path)
{
    const bool inMemory = path == u":memory:";
    bool isNew = true;
    if (!inMemory) {
        const QFileInfo info(path);
        const QString folder = info.absolutePath();
        if (!QDir().mkpath(folder))
            return storeError(u"Cannot create the folder %1 for the store."_s.arg(folder));
        if (info.exists()) {
            if (info.isDir())
                return storeError(u"%1 is a folder, not a Quire store."_s.arg(path));
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                return storeError(u"Cannot read the store %1: %2."_s.arg(path, file.errorString()));
            const QByteArray header = file.read(16);
            if (!header.isEmpty()) {
                if (header != QByteArray("SQLite format 3\0", 16))
                    return storeError(
                        u"%1 is not a Quire store: it is not an SQLite database."_s.arg(path));
                isNew = false;
            }
            if (!info.isWritable())
                return storeError(
                    u"The store %1 is read-only; Quire needs to write it."_s.arg(path));
        } else if (!QFileInfo(folder).isWritable()) {
            return storeError(
                u"Cannot create the store in %1: the folder is not writable."_s.arg(folder));
        }
    }

    auto opened = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadWriteCreate);
    if (!opened)
        return opened.error();
    SqliteDatabase db = std::move(opened.value());
    if (db.isReadOnly())
        return storeError(u"The store %1 is read-only; Quire needs to write it."_s.arg(path));

    // Look before writing anything: a file that is not ours stays untouched.
    bool needsUpgrade = false;
    if (!isNew) {
        const auto appId = db.queryInt(u"PRAGMA application_id"_s);
        const auto userVersion = db.queryInt(u"PRAGMA user_version"_s);
        const auto tables = db.queryInt(u"SELECT count(*) FROM sqlite_schema"_s);
        if (!appId || !userVersion || !tables) {
            const Error &why = !appId ? appId.error()
                : !userVersion        ? userVersion.error()
                                      : tables.error();
            return storeError(u"Cannot read the store %1: %2."_s.arg(path, why.message));
        }
        if (appId.value() == applicationId) {
            needsUpgrade = userVersion.value() >= firstUserVersion
                && userVersion.value() < schemaUserVersion;
            if (userVersion.value() != schemaUserVersion && !needsUpgrade) {
                const QString found = schemaVersionText(userVersion.value());
                if (userVersion.value() > schemaUserVersion)
                    return storeError(u"The store %1 was written by a newer version of Quire "
                                      "(schema %2); this version reads schema %3."_s.arg(
                                          path, found, QLatin1StringView(schemaVersion)));
                return storeError(u"The store %1 has schema %2, which this version of Quire "
                                  "cannot read (it reads %3)."_s.arg(
                                      path, found, QLatin1StringView(schemaVersion)));
            }
        } else if (appId.value() == 0 && tables.value() == 0) {
            isNew = true; // an empty database holds nothing to lose
        } else {
            return storeError(
                u"%1 is not a Quire store: it is another program's SQLite database."_s.arg(path));
        }
    }

    // The busy timeout was set when the connection opened, before any statement.
    if (Status status = db.exec(u"PRAGMA foreign_keys = ON"_s); !status)
        return storeError(u"Cannot open the store %1: %2."_s.arg(path, status.error().message));
    if (!inMemory) {
        // WAL lets a terminal `quire` read while the window writes.
        (void)db.exec(u"PRAGMA journal_mode = WAL"_s);
        (void)db.exec(u"PRAGMA synchronous = NORMAL"_s);
    }

    if (isNew) {
        const QString create = u"BEGIN IMMEDIATE;"_s + QString::fromLatin1(schemaSql)
            + u"INSERT INTO meta (key, value) VALUES ('application', 'Quire'), ('schemaVersion', "
              u"'%1');"
              "PRAGMA application_id = %2;"_s.arg(QLatin1StringView(firstVersion))
                  .arg(applicationId);
        Status status = db.exec(create);
        if (status)
            status = upgradeSchema(db, firstUserVersion);
        if (status)
            status = db.exec(u"COMMIT"_s);
        if (!status) {
            (void)db.exec(u"ROLLBACK"_s);
            return storeError(
                u"Cannot create the store %1: %2."_s.arg(path, status.error().message));
        }
    } else {
        if (needsUpgrade) {
            // Another process may have upgraded it since we looked; the write
            // lock makes the second look final.
            Status status = db.exec(u"BEGIN IMMEDIATE"_s);
            if (status) {
                const auto current = db.queryInt(u"PRAGMA user_version"_s);
                if (!current)
                    status = current.error();
                else if (current.value() < schemaUserVersion)
                    status = upgradeSchema(db, current.value());
            }
            if (status)
                status = db.exec(u"COMMIT"_s);
            if (!status) {
                (void)db.exec(u"ROLLBACK"_s);
                return storeError(u"Cannot upgrade the store %1 to schema %2; it is left as it "
                                  "was: %3."_s.arg(path, QLatin1StringView(schemaVersion),
                                      status.error().message));
            }
        }
        const auto version = db.queryInt(
            u"SELECT count(*) FROM meta WHERE key = 'schemaVersion' AND value = '%1'"_s.arg(
                QLatin1StringView(schemaVersion)));
        if (!version || version.value() != 1)
            return storeError(
                u"The store %1 is damaged: its schema version record is missing."_s.arg(path));
    }

    return db;
}
