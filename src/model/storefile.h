#pragma once

#include "result.h"
#include "sqlitedatabase.h"

#include <QString>

// The store's file: where it lives, and opening it as a connection that is
// known to hold this schema, creating the schema in a new file.
class StoreFile final
{
public:
    static constexpr const char *schemaVersion = "1.0.0";
    static constexpr int schemaUserVersion = 10000; // 1.0.0
    static constexpr qint32 applicationId = 0x51756972; // "Quir"

    // $QUIRE_STORE, else <data dir>/Quire/store.sqlite; ":memory:" is in memory.
    static QString defaultPath();
    // Opens or creates the store. A file that is not a Quire store of this
    // schema is refused and left byte for byte as it was.
    static Result<SqliteDatabase> open(const QString &path);
};
