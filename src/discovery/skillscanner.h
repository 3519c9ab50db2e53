#pragma once

#include "harnesstable.h"
#include "parsedskill.h"
#include "result.h"
#include "toolsource.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

#include <sys/stat.h>

class ModelContext;
class SettingsStore;
class Skill;

// Finds skill files on disk and keeps the store in step with them: one record
// per real file, remembering every route and every tool that reaches it.
class SkillScanner final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SkillScanner)

public:
    struct Counts
    {
        int filesSeen = 0; // skill files met, counting every route
        int filesRead = 0; // read and parsed
        int unchanged = 0; // not read again: same file, same parse as last time
        int skipped = 0; // unreadable, not UTF-8, too large, not a regular file
        int inserted = 0;
        int routesDropped = 0;
        int removed = 0;
    };

    SkillScanner(ModelContext *context, SettingsStore *settings, QObject *parent = nullptr);

    // Every harness's global places first, then the projects of every custom
    // scan directory. Never deletes anything.
    void scanAll();
    // Drops routes that no longer exist; deletes records left with none.
    void pruneMissingSkills();
    void scanProjectsIn(const QString &directory);
    static std::optional<ParsedSkill> parseSkillFile(const QString &file, ParseStyle style);

    // The folders below home where harnesses keep files, to be watched.
    static QStringList globalFolders(const QString &homePath);

    // What the last operations did, and whether their saves reached the disk:
    // the window ignores a failed save, the command line reports it.
    Counts counts() const { return m_counts; }
    void resetCounts() { m_counts = {}; }
    Status lastSave() const { return m_lastSave; }

    // The present moment, against which a file changed a moment ago is told
    // from a settled one; the system clock unless a test sets another.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

private:
    // One place on disk and the harness-table rows that read it.
    struct Place
    {
        HarnessScope scope;
        QString path;
        QList<const HarnessLocation *> rows;
    };
    using RowMask = quint64; // bit i: rows[i] of a place still applies
    struct Visit
    {
        QStringList routes;
        QList<ToolSource> tools;
    };

    static const QList<Place> &places();
    void save();
    void scanPlace(const QString &base, const Place &place, bool isGlobal);
    void walk(const QString &folder, const QString &resolvedFolder, const Place &place, int depth,
        RowMask active, QStringList &seen, bool isGlobal);
    // Whether a skill file exists, remembering its attributes: the file's
    // record is made right after, from the same look.
    bool fileExists(const QString &path);
    // Whether path names something (links followed), with its resolved path
    // built on its folder's; remembers the attributes like fileExists.
    bool lookAt(const QString &path, const QString &resolvedFolder, QString &resolved);
    // resolved: the file's path with links resolved, or empty when it has none.
    // rows: every table row that reaches the file by this route, in table order.
    void process(const QString &file, const QString &resolved,
        const QList<const HarnessLocation *> &rows, bool isSkillFolder, bool isGlobal);
    // A full scan learns every route of a record again, and with them its tools.
    void settleTools();

    ModelContext *m_context;
    SettingsStore *m_settings;
    std::function<QDateTime()> m_clock = &QDateTime::currentDateTimeUtc;
    int m_batchDepth = 0;
    Counts m_counts;
    Status m_lastSave;
    bool m_collecting = false;
    QHash<QString, Visit> m_visits; // by resolved path, during scanAll
    QString m_lastLookPath;
    bool m_lastLookFound = false;
    struct stat m_lastLook
    {
    };
};
