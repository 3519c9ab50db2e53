#pragma once

#include "result.h"

#include <QByteArray>
#include <QSet>

class SqliteDatabase;

// The search index in the store: an FTS5 table over the skills' name,
// description and content, kept by triggers in the transaction that writes
// the rows, and read back from the rows themselves, so no text is stored
// twice. Answers exactly the list's rule: the folded search text occurs in
// one of the three folded fields.
class StoreSearch final
{
public:
    // Adds the index and its triggers to a store, indexing what it holds.
    static Status create(SqliteDatabase &db);
    // Indexes every row again when the folding of this build differs from
    // the one that made the index: a row indexed one way and removed the
    // other would leave stale tokens behind.
    static Status ensureCurrentFolding(SqliteDatabase &db);

    // Ids of the skills whose folded texts hold foldedNeedle; not empty.
    static Result<QSet<qint64>> find(SqliteDatabase &db, const QByteArray &foldedNeedle);

    // Names this build's folding, as recorded in the store's meta table.
    static QString foldingVersion();
};
