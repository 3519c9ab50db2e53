#pragma once

#include "result.h"
#include "sqlitedatabase.h"

#include <QString>

// The store's file: where it lives, and opening it as a connection that is
// known to hold this schema, creating the schema in a new file.
class StoreFile final
{
public:
    // The newest schema, written by this version; older stores from
    // firstVersion on are upgraded when opened.
    static constexpr const char *schemaVersion = "1.1.0";
    static constexpr int schemaUserVersion = 10100; // 1.1.0
    static constexpr const char *firstVersion = "1.0.0";
    static constexpr int firstUserVersion = 10000;
    static constexpr qint32 applicationId = 0x51756972; // "Quir"

    // $QUIRE_STORE, else <data dir>/Quire/store.sqlite; ":memory:" is in memory.
    static QString defaultPath();
    // Opens or creates the store, upgrading an older schema in one
    // transaction. A file that is not a Quire store of a schema this version
    // knows is refused and left byte for byte as it was.
    static Result<SqliteDatabase> open(const QString &path);
};
