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

class ArtifactCache;
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

    // A file changed less than this before a scan may change again without
    // its times moving, so the next scan reads it again instead of trusting it.
    static constexpr qint64 recentChangeMs = 2000;

    SkillScanner(ModelContext *context, SettingsStore *settings, QObject *parent = nullptr);

    // Every harness's global places first, then the projects of every custom
    // scan directory. Never deletes anything.
    void scanAll();
    // Drops routes that no longer exist; deletes records left with none.
    void pruneMissingSkills();
    void scanProjectsIn(const QString &directory);
    // fileText, when given, receives the text the file held.
    static std::optional<ParsedSkill> parseSkillFile(
        const QString &file, ParseStyle style, QString *fileText = nullptr);

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

    // Where each skill folder's supporting files go; the shared cache the card
    // reads unless set. Null walks no skill folder: a process that shows no
    // card would only throw the walk away.
    void setArtifactCache(ArtifactCache *cache) { m_artifacts = cache; }
    // Within a whole scan, saves each time this many characters were read;
    // a save lets go of the saved bodies, so a first scan never holds every
    // body at once. 0, the default, saves once at the end: the window's lists
    // then get a whole scan as one batch.
    void setSaveEvery(qsizetype characters) { m_saveEvery = characters; }
    // Large enough that the saves cost little beside the reads.
    static constexpr qsizetype saveChunkChars = 4 * 1024 * 1024;

Q_SIGNALS:
    // Every so many skill files met, so a window can say how far a scan got.
    void progressed(int filesSeen);

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
    // Within a whole scan: saves what was read so far once it holds enough text.
    void saveReadSoFar();
    void noteUnsavedText(qsizetype characters);
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
    ArtifactCache *m_artifacts;
    int m_batchDepth = 0;
    qsizetype m_saveEvery = 0;
    qsizetype m_unsavedText = 0;
    Status m_chunkConflict; // reported with the scan's result, as nobody else will
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
