#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

// The least work an operation could do: the same files read, stat-ed, listed
// or written with plain POSIX and SQLite calls, nothing parsed and no objects
// made. Benchmarks time these beside the real operation in the same run.
namespace PosixFloor {

// Encoded once, outside the timed part.
std::vector<QByteArray> nativePaths(const QStringList &paths);

// open, fstat and read each file whole; false when one could not be read.
bool readFiles(const std::vector<QByteArray> &paths, std::vector<std::string> &texts);
// How many of the paths exist (stat follows links, as the scanner's does).
qsizetype statFiles(const std::vector<QByteArray> &paths);
// Entries seen in all the folders; -1 when one could not be opened.
qsizetype listFolders(const std::vector<QByteArray> &folders);
// The same, and down every subfolder (by the entry type readdir gives).
qsizetype walkFolders(const std::vector<QByteArray> &folders);

// A fresh database file with the store's journal settings and a unique key,
// every text inserted in one transaction through one prepared statement.
bool writeTexts(const QString &databasePath, const std::vector<QByteArray> &keys,
    const std::vector<std::string> &texts, QString *error);
// Steps through the given query; the number of rows, or -1 on failure.
qsizetype selectRows(const QString &databasePath, const char *sql);

// The database file with its WAL and shared-memory files.
void removeDatabase(const QString &path);

} // namespace PosixFloor
