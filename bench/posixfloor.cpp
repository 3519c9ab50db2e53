#include "posixfloor.h"

#include <QFile>

#include <sqlite3.h>

#include <string>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace PosixFloor {

std::vector<QByteArray> nativePaths(const QStringList &paths)
{
    std::vector<QByteArray> native;
    native.reserve(std::size_t(paths.size()));
    for (const QString &path : paths)
        native.push_back(QFile::encodeName(path));
    return native;
}

bool readFiles(const std::vector<QByteArray> &paths, std::vector<std::string> &texts)
{
    texts.clear();
    texts.reserve(paths.size());
    for (const QByteArray &path : paths) {
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        struct stat info
        {
        };
        if (::fstat(fd, &info) != 0) {
            ::close(fd);
            return false;
        }
        std::string text(std::size_t(info.st_size), '\0');
        std::size_t total = 0;
        while (total < text.size()) {
            const ssize_t count = ::read(fd, text.data() + total, text.size() - total);
            if (count <= 0)
                break;
            total += std::size_t(count);
        }
        ::close(fd);
        text.resize(total);
        texts.push_back(std::move(text));
    }
    return true;
}

qsizetype statFiles(const std::vector<QByteArray> &paths)
{
    qsizetype found = 0;
    for (const QByteArray &path : paths) {
        struct stat info
        {
        };
        if (::stat(path.constData(), &info) == 0)
            ++found;
    }
    return found;
}

qsizetype listFolders(const std::vector<QByteArray> &folders)
{
    qsizetype entries = 0;
    for (const QByteArray &folder : folders) {
        DIR *dir = ::opendir(folder.constData());
        if (!dir)
            return -1;
        while (::readdir(dir))
            ++entries;
        ::closedir(dir);
    }
    return entries;
}

namespace {

qsizetype walk(const std::string &folder)
{
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return 0;
    qsizetype entries = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        ++entries;
        if (entry->d_type == DT_DIR)
            entries += walk(folder + '/' + name);
    }
    ::closedir(dir);
    return entries;
}

} // namespace

qsizetype walkFolders(const std::vector<QByteArray> &folders)
{
    qsizetype entries = 0;
    for (const QByteArray &folder : folders)
        entries += walk(folder.toStdString());
    return entries;
}

bool writeTexts(const QString &databasePath, const std::vector<QByteArray> &keys,
    const std::vector<std::string> &texts, QString *error)
{
    sqlite3 *db = nullptr;
    const QByteArray path = QFile::encodeName(databasePath);
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        != SQLITE_OK) {
        *error = u"cannot open %1"_s.arg(databasePath);
        sqlite3_close(db);
        return false;
    }
    sqlite3_stmt *insert = nullptr;
    const bool ok = sqlite3_exec(db,
                        "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL;"
                        "CREATE TABLE text (id INTEGER PRIMARY KEY, key TEXT NOT NULL, "
                        "body TEXT NOT NULL);"
                        "CREATE UNIQUE INDEX text_key ON text (key);"
                        "BEGIN IMMEDIATE;",
                        nullptr, nullptr, nullptr)
            == SQLITE_OK
        && sqlite3_prepare_v2(
               db, "INSERT INTO text (key, body) VALUES (?, ?)", -1, &insert, nullptr)
            == SQLITE_OK
        &&
        [&] {
            for (std::size_t i = 0; i < keys.size() && i < texts.size(); ++i) {
                sqlite3_bind_text(
                    insert, 1, keys[i].constData(), int(keys[i].size()), SQLITE_STATIC);
                sqlite3_bind_text(insert, 2, texts[i].data(), int(texts[i].size()), SQLITE_STATIC);
                if (sqlite3_step(insert) != SQLITE_DONE)
                    return false;
                sqlite3_reset(insert);
            }
            return true;
        }()
        && sqlite3_finalize(std::exchange(insert, nullptr)) == SQLITE_OK
        && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok)
        *error = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(insert);
    sqlite3_close(db);
    return ok;
}

qsizetype selectRows(const QString &databasePath, const char *sql)
{
    sqlite3 *db = nullptr;
    const QByteArray path = QFile::encodeName(databasePath);
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return -1;
    }
    sqlite3_stmt *select = nullptr;
    qsizetype rows = -1;
    if (sqlite3_prepare_v2(db, sql, -1, &select, nullptr) == SQLITE_OK) {
        rows = 0;
        const int columns = sqlite3_column_count(select);
        int step = SQLITE_ROW;
        while ((step = sqlite3_step(select)) == SQLITE_ROW) {
            // Touch every value, as a loader must.
            for (int c = 0; c < columns; ++c) {
                (void)sqlite3_column_blob(select, c);
                (void)sqlite3_column_bytes(select, c);
            }
            ++rows;
        }
        if (step != SQLITE_DONE)
            rows = -1;
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
    return rows;
}

void removeDatabase(const QString &path)
{
    for (const QString &suffix : { QString(), u"-wal"_s, u"-shm"_s, u"-journal"_s })
        QFile::remove(path + suffix);
}

} // namespace PosixFloor
