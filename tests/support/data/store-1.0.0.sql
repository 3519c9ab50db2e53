-- A store as Quire with schema 1.0.0 wrote it: two records (one favourite, one
-- opened), two collections (one with both records, one empty).
PRAGMA foreign_keys=OFF;
BEGIN TRANSACTION;
CREATE TABLE meta (
    key TEXT PRIMARY KEY NOT NULL,
    value TEXT NOT NULL
);
INSERT INTO meta VALUES('application','Quire');
INSERT INTO meta VALUES('schemaVersion','1.0.0');
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
INSERT INTO skill VALUES(1,'/home/ada/.claude/skills/brag-sheet/SKILL.md','/home/ada/.claude/skills/brag-sheet/SKILL.md',1,'brag-sheet','Keep a running list of wins for reviews.',X'7b226465736372697074696f6e223a224b65657020612072756e6e696e67206c697374206f662077696e7320666f7220726576696577732e222c226e616d65223a22627261672d7368656574227d',1,1767225600000,1767225600000,134,1,'claude',NULL,'',replace('# Brag sheet\n\nWrite down what you shipped, with links.','\n',char(10)));
INSERT INTO skill VALUES(2,'/home/ada/.cursor/rules/typescript.mdc','/home/ada/.cursor/rules/typescript.mdc',0,'typescript','TypeScript style',X'7b226465736372697074696f6e223a2254797065536372697074207374796c65222c22676c6f6273223a227372632f2a2a2f2a2e7473227d',0,NULL,1767225600000,74,1,'cursor',NULL,'','Use strict mode.');
CREATE TABLE collection (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL,
    icon TEXT NOT NULL,
    sortOrder INTEGER NOT NULL
);
INSERT INTO collection VALUES(1,'Daily','star',0);
INSERT INTO collection VALUES(2,'Empty','folder',1);
CREATE TABLE skill_collection (
    skill_id INTEGER NOT NULL REFERENCES skill (id) ON DELETE CASCADE,
    collection_id INTEGER NOT NULL REFERENCES collection (id) ON DELETE CASCADE,
    position INTEGER NOT NULL,
    PRIMARY KEY (skill_id, collection_id)
) WITHOUT ROWID;
INSERT INTO skill_collection VALUES(1,1,0);
INSERT INTO skill_collection VALUES(2,1,1);
CREATE UNIQUE INDEX skill_resolvedPath ON skill (resolvedPath);
CREATE UNIQUE INDEX collection_name ON collection (name);
CREATE INDEX skill_collection_collection ON skill_collection (collection_id);

PRAGMA application_id = 1366649202;
PRAGMA user_version = 10000;
COMMIT;
