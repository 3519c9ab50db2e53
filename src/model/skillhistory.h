#pragma once

#include "result.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class SqliteDatabase;

// Where a version of a skill file came from.
enum class VersionSource { ChangedOnDisk = 0, EditedInQuire = 1, Created = 2, Restored = 3 };

struct SkillVersion
{
    qint64 id = 0; // what `diff` and `restore` take
    QString path; // the file's resolved path
    QDateTime time;
    VersionSource source = VersionSource::ChangedOnDisk;
    qint64 size = 0; // bytes of UTF-8
    QString hash;
};

// Every text a skill file had, kept in the store beside the records. A
// version names its file by resolved path rather than by record, so the
// history outlives a removed file. Texts are stored once however many
// versions share them, compressed. The current text of a file that never
// changed is not copied here: the record holds it (see frameOf), and it
// joins the history when it is replaced.
class SkillHistory final
{
public:
    static constexpr qint64 defaultCapBytes = qint64(500) * 1024 * 1024;
    static constexpr int keepEveryDays = 30;
    static constexpr int keepDailyDays = 365;

    explicit SkillHistory(SqliteDatabase &db) : m_db(db) { }

    static QString sourceText(VersionSource source);
    static QString hashOf(const QString &text);

    // A record keeps a file's body; the frame is what the file holds around
    // it (frontmatter, blank lines), so the file's text can be rebuilt
    // exactly. Null when the body is the whole text.
    static std::optional<QByteArray> frameOf(const QString &fileText, const QString &body);
    static QString compose(const QString &body, const std::optional<QByteArray> &frame);

    // Adds text as the newest version of path, unless it already is.
    // Writes; the caller holds the transaction.
    Status record(
        const QString &path, const QString &text, VersionSource source, const QDateTime &time);
    // Thins the versions of paths (all paths when empty) and then keeps the
    // whole history under capBytes, oldest first; a file's newest version
    // always stays. Writes; the caller holds the transaction.
    Status applyRetention(const QDateTime &now, qint64 capBytes, const QStringList &paths = {});

    // Newest first.
    Result<QList<SkillVersion>> versions(const QString &path) const;
    Result<SkillVersion> version(qint64 id) const;
    Result<QString> text(qint64 versionId) const;
    // Files with a history and no record any more, the most recent first.
    Result<QList<SkillVersion>> removedFiles() const;
    // Compressed bytes the texts take.
    Result<qint64> spaceUsed() const;

private:
    Status dropVersions(const QList<qint64> &ids);
    Status dropUnusedTexts();
    Error failure(const QString &what) const;

    SqliteDatabase &m_db;
};
