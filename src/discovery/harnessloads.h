#pragma once

#include "harnessload.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

class ModelContext;
class Skill;

// Which harnesses load each record, and how, worked out from the harness
// table for all records together: a file's fate depends on its neighbours
// (a CLAUDE.md beside an AGENTS.md, a personal skill of the same name, the
// AGENTS.md files that share one budget).
class HarnessLoads final
{
public:
    // One figure of a harness's budget in one session.
    struct Budget
    {
        HarnessLimit limit;
        qint64 used = 0;
        QString file; // for a limit per file: the largest one
        bool over() const { return used > limit.amount; }
    };
    struct Item
    {
        const Skill *skill = nullptr;
        HarnessLoad load;
        QString name; // the name the harness knows it by
    };
    // What one harness loads for a session started in one folder.
    struct Session
    {
        ToolSource tool = ToolSource::Custom;
        QString project; // empty: global files only
        QList<Item> items; // in load order: loaded ones by kind, then the rest
        QList<Budget> budgets;
    };

    // homePath: where the global locations are.
    explicit HarnessLoads(QString homePath);

    void compute(const QList<const Skill *> &skills);
    // Computed over every record of the store: a file's neighbours decide
    // whether it loads.
    static HarnessLoads ofStore(const ModelContext &store, const QString &homePath);
    // By harness in table order, global before project; empty for a record
    // no harness reads.
    QList<HarnessLoad> of(const Skill *skill) const;
    // projectRoot: the folder a session starts in; empty for none.
    Session session(ToolSource tool, const QString &projectRoot) const;
    // The project roots the computed records lie in.
    QStringList projectRoots() const;

    // A path as a person reads it: the home folder as "~".
    QString tilde(const QString &path) const;
    // "32 KiB", "12,000 characters", "160 lines"
    static QString amountText(qint64 amount, LimitUnit unit);

private:
    struct Entry
    {
        const Skill *skill = nullptr;
        int row = -1;
        QString root; // empty for global
        QString clashName;
        QString shadowKey; // tool, kind and name, for files whose names compete; else empty
        qint64 listing = 0; // characters of its entry in a skill listing
        QString globs;
        HarnessLoad load;
    };
    QList<Entry> entriesOf(const Skill &skill) const;
    void resolve(QList<Entry> &session) const;
    void applyLimits(QList<Entry> &session) const;
    qint64 measure(const Entry &entry, LimitUnit unit) const;

    QString m_home;
    QList<Entry> m_entries;
    QHash<const Skill *, QList<HarnessLoad>> m_loads;
    struct Measured
    {
        qint64 size;
        qint64 characters;
        qint64 lines;
    };
    mutable QHash<QString, Measured> m_measured; // by path, for the size it had
};
