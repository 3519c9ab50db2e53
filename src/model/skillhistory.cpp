#include "skillhistory.h"

#include "sqlitedatabase.h"

#include <QCryptographicHash>
#include <QHash>
#include <QSet>

#include <sqlite3.h>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 dayMs = qint64(24) * 60 * 60 * 1000;
constexpr auto versionColumns = "v.id, v.path, v.time, v.source, t.size, t.hash";

SkillVersion readVersion(const SqliteStatement &row)
{
    SkillVersion version;
    version.id = row.int64(0);
    version.path = row.text(1);
    version.time = QDateTime::fromMSecsSinceEpoch(row.int64(2), Qt::UTC);
    const qint64 source = row.int64(3);
    version.source
        = source >= 0 && source <= 3 ? VersionSource(source) : VersionSource::ChangedOnDisk;
    version.size = row.int64(4);
    version.hash = row.text(5);
    return version;
}

} // namespace

QString SkillHistory::sourceText(VersionSource source)
{
    switch (source) {
    case VersionSource::EditedInQuire:
        return u"Edited in Quire"_s;
    case VersionSource::Created:
        return u"Created"_s;
    case VersionSource::Restored:
        return u"Restored"_s;
    case VersionSource::ChangedOnDisk:
        break;
    }
    return u"Changed on disk"_s;
}

QString SkillHistory::hashOf(const QString &text)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex());
}

std::optional<QByteArray> SkillHistory::frameOf(const QString &fileText, const QString &body)
{
    if (fileText == body)
        return std::nullopt;
    // The parser trims the body out of the text, so it is found as it stands;
    // any occurrence rebuilds the same text.
    const qsizetype at = body.isEmpty() ? fileText.size() : fileText.indexOf(body);
    QByteArray frame;
    if (at < 0) {
        // Not a part of the text: keep the text itself.
        frame = QByteArray(4, '\xff') + fileText.toUtf8();
        return frame;
    }
    const QByteArray prefix = fileText.left(at).toUtf8();
    const QByteArray suffix = fileText.mid(at + body.size()).toUtf8();
    const quint32 length = quint32(prefix.size());
    frame.reserve(4 + prefix.size() + suffix.size());
    for (int shift = 0; shift < 32; shift += 8)
        frame.append(char((length >> shift) & 0xff));
    frame += prefix;
    frame += suffix;
    return frame;
}

QString SkillHistory::compose(const QString &body, const std::optional<QByteArray> &frame)
{
    if (!frame || frame->size() < 4)
        return body;
    quint32 length = 0;
    for (int i = 3; i >= 0; --i)
        length = (length << 8) | quint8(frame->at(i));
    if (length == 0xffffffffU)
        return QString::fromUtf8(frame->mid(4));
    if (qsizetype(length) > frame->size() - 4)
        return body; // damaged: the body is the best there is
    return QString::fromUtf8(frame->mid(4, length)) + body
        + QString::fromUtf8(frame->mid(4 + length));
}

Error SkillHistory::failure(const QString &what) const
{
    return Error { Error::Store, u"Could not %1: %2."_s.arg(what, m_db.errorMessage()) };
}

Status SkillHistory::record(
    const QString &path, const QString &text, VersionSource source, const QDateTime &time)
{
    const QByteArray utf8 = text.toUtf8();
    const QString hash
        = QString::fromLatin1(QCryptographicHash::hash(utf8, QCryptographicHash::Sha256).toHex());
    auto latest = m_db.prepare(u"SELECT t.hash FROM version v JOIN version_text t ON t.id = "
                               "v.text_id WHERE v.path = ? ORDER BY v.id DESC LIMIT 1"_s);
    if (!latest)
        return failure(u"read the history of %1"_s.arg(path));
    latest.value().bind(1, path);
    if (latest.value().step() == SQLITE_ROW && latest.value().text(0) == hash)
        return {};

    auto insertText = m_db.prepare(u"INSERT INTO version_text (hash, size, stored, data) "
                                   "VALUES (?, ?, ?, ?) ON CONFLICT (hash) DO NOTHING"_s);
    if (!insertText)
        return failure(u"record a version of %1"_s.arg(path));
    // A text already kept is not compressed again.
    auto known = m_db.prepare(u"SELECT id FROM version_text WHERE hash = ?"_s);
    if (!known)
        return failure(u"record a version of %1"_s.arg(path));
    known.value().bind(1, hash);
    qint64 textId = 0;
    if (known.value().step() == SQLITE_ROW) {
        textId = known.value().int64(0);
    } else {
        const QByteArray compressed = qCompress(utf8);
        insertText.value().bind(1, hash);
        insertText.value().bind(2, qint64(utf8.size()));
        insertText.value().bind(3, qint64(compressed.size()));
        insertText.value().bind(4, std::optional<QByteArray>(compressed));
        if (!insertText.value().exec())
            return failure(u"record a version of %1"_s.arg(path));
        textId = m_db.lastInsertRowId();
    }

    auto insert
        = m_db.prepare(u"INSERT INTO version (path, time, source, text_id) VALUES (?, ?, ?, ?)"_s);
    if (!insert)
        return failure(u"record a version of %1"_s.arg(path));
    insert.value().bind(1, path);
    insert.value().bind(2, time.toMSecsSinceEpoch());
    insert.value().bind(3, qint64(source));
    insert.value().bind(4, textId);
    if (!insert.value().exec())
        return failure(u"record a version of %1"_s.arg(path));
    return {};
}

Status SkillHistory::dropVersions(const QList<qint64> &ids)
{
    if (ids.isEmpty())
        return {};
    auto drop = m_db.prepare(u"DELETE FROM version WHERE id = ?"_s);
    if (!drop)
        return failure(u"thin the history"_s);
    for (qint64 id : ids) {
        drop.value().bind(1, id);
        if (!drop.value().exec())
            return failure(u"thin the history"_s);
    }
    return {};
}

Status SkillHistory::dropUnusedTexts()
{
    if (!m_db.exec(u"DELETE FROM version_text WHERE id NOT IN (SELECT text_id FROM version)"_s))
        return failure(u"thin the history"_s);
    return {};
}

Status SkillHistory::applyRetention(const QDateTime &now, qint64 capBytes, const QStringList &paths)
{
    const qint64 nowMs = now.toMSecsSinceEpoch();
    const qint64 everyUntil = nowMs - keepEveryDays * dayMs;
    const qint64 dailyUntil = nowMs - keepDailyDays * dayMs;

    QList<qint64> dropped;
    auto thin = [&](SqliteStatement &rows) {
        QString path;
        qint64 lastDay = std::numeric_limits<qint64>::min();
        while (rows.step() == SQLITE_ROW) {
            const qint64 id = rows.int64(0);
            const QString rowPath = rows.text(1);
            const qint64 time = rows.int64(2);
            if (rowPath != path) { // a file's newest version always stays
                path = rowPath;
                lastDay = time >= 0 ? time / dayMs : (time - dayMs + 1) / dayMs;
                continue;
            }
            if (time >= everyUntil)
                continue;
            const qint64 day = time >= 0 ? time / dayMs : (time - dayMs + 1) / dayMs;
            if (time < dailyUntil || day == lastDay)
                dropped.append(id);
            else
                lastDay = day; // the newest of its day stays
        }
    };
    const QString select = u"SELECT id, path, time FROM version %1 ORDER BY path, id DESC"_s;
    if (paths.isEmpty()) {
        auto rows = m_db.prepare(select.arg(QString()));
        if (!rows)
            return failure(u"thin the history"_s);
        thin(rows.value());
    } else {
        auto rows = m_db.prepare(select.arg(u"WHERE path = ?"_s));
        if (!rows)
            return failure(u"thin the history"_s);
        for (const QString &path : QSet<QString>(paths.begin(), paths.end())) {
            rows.value().reset();
            rows.value().bind(1, path);
            thin(rows.value());
        }
    }
    if (Status status = dropVersions(dropped); !status)
        return status;
    if (!dropped.isEmpty()) {
        if (Status status = dropUnusedTexts(); !status)
            return status;
    }

    // Over the cap: the oldest versions go first, a file's newest never. A
    // version frees space only when it was the last to use its text.
    const auto used = spaceUsed();
    if (!used)
        return used.error();
    qint64 space = used.value();
    auto oldest = m_db.prepare(
        u"SELECT v.id, v.text_id, t.stored FROM version v JOIN version_text t ON t.id = v.text_id "
        "WHERE v.id NOT IN (SELECT max(id) FROM version GROUP BY path) ORDER BY v.time, v.id"_s);
    auto drop = m_db.prepare(u"DELETE FROM version WHERE id = ?"_s);
    auto users = m_db.prepare(u"SELECT count(*) FROM version WHERE text_id = ?"_s);
    auto dropText = m_db.prepare(u"DELETE FROM version_text WHERE id = ?"_s);
    if (!oldest || !drop || !users || !dropText)
        return failure(u"thin the history"_s);
    while (space > capBytes && oldest.value().step() == SQLITE_ROW) {
        const qint64 textId = oldest.value().int64(1);
        drop.value().bind(1, oldest.value().int64(0));
        if (!drop.value().exec())
            return failure(u"thin the history"_s);
        users.value().reset();
        users.value().bind(1, textId);
        if (users.value().step() == SQLITE_ROW && users.value().int64(0) == 0) {
            users.value().reset();
            dropText.value().bind(1, textId);
            if (!dropText.value().exec())
                return failure(u"thin the history"_s);
            space -= oldest.value().int64(2);
        }
    }
    return {};
}

Result<QList<SkillVersion>> SkillHistory::versions(const QString &path) const
{
    auto rows = m_db.prepare(
        u"SELECT %1 FROM version v JOIN version_text t ON t.id = v.text_id "
        "WHERE v.path = ? ORDER BY v.id DESC"_s.arg(QLatin1StringView(versionColumns)));
    if (!rows)
        return failure(u"read the history of %1"_s.arg(path));
    rows.value().bind(1, path);
    QList<SkillVersion> found;
    while (rows.value().step() == SQLITE_ROW)
        found.append(readVersion(rows.value()));
    return found;
}

Result<SkillVersion> SkillHistory::version(qint64 id) const
{
    auto rows = m_db.prepare(
        u"SELECT %1 FROM version v JOIN version_text t ON t.id = v.text_id WHERE v.id = ?"_s.arg(
            QLatin1StringView(versionColumns)));
    if (!rows)
        return failure(u"read the history"_s);
    rows.value().bind(1, id);
    if (rows.value().step() != SQLITE_ROW)
        return Error { Error::NotFound, u"There is no version %1."_s.arg(id) };
    return readVersion(rows.value());
}

Result<QString> SkillHistory::text(qint64 versionId) const
{
    auto rows = m_db.prepare(u"SELECT t.data FROM version v JOIN version_text t ON t.id = "
                             "v.text_id WHERE v.id = ?"_s);
    if (!rows)
        return failure(u"read the history"_s);
    rows.value().bind(1, versionId);
    if (rows.value().step() != SQLITE_ROW)
        return Error { Error::NotFound, u"There is no version %1."_s.arg(versionId) };
    const QByteArray data = qUncompress(rows.value().blob(0).value_or(QByteArray()));
    if (data.isNull())
        return Error { Error::Store, u"Version %1 is damaged in the store."_s.arg(versionId) };
    return QString::fromUtf8(data);
}

Result<QList<SkillVersion>> SkillHistory::removedFiles() const
{
    auto rows = m_db.prepare(u"SELECT %1 FROM version v JOIN version_text t ON t.id = v.text_id "
                             "WHERE v.id IN (SELECT max(id) FROM version GROUP BY path) "
                             "AND NOT EXISTS (SELECT 1 FROM skill s WHERE s.resolvedPath = v.path) "
                             "ORDER BY v.id DESC"_s.arg(QLatin1StringView(versionColumns)));
    if (!rows)
        return failure(u"read the history"_s);
    QList<SkillVersion> found;
    while (rows.value().step() == SQLITE_ROW)
        found.append(readVersion(rows.value()));
    return found;
}

Result<qint64> SkillHistory::spaceUsed() const
{
    return m_db.queryInt(u"SELECT coalesce(sum(stored), 0) FROM version_text"_s);
}
