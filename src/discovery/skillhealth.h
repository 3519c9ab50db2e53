#pragma once

#include "harnessloads.h"
#include "healthfinding.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>

class ModelContext;
class Skill;
class SkillHealthChecker;
class SkillSlices;

// The findings of every skill in a store, kept in memory and current: each
// saved batch (a scan's or an edit's) re-checks the skills it carries and
// the clashes between all of them, then says so once.
class SkillHealth final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SkillHealth)

public:
    // checkNow false: nothing is checked until recheckAll(), for a window
    // that first wants to paint.
    explicit SkillHealth(ModelContext *context, QObject *parent = nullptr, bool checkNow = true);
    ~SkillHealth() override;

    // Errors first.
    QList<HealthFinding> findings(const Skill *skill) const;
    std::optional<HealthFinding::Severity> worstSeverity(const Skill *skill) const;
    // An error or a warning: what the sidebar's "Needs attention" counts.
    bool needsAttention(const Skill *skill) const;
    int attentionCount() const { return m_attentionCount; }
    // What every harness makes of the skill, as of the last check.
    QList<HarnessLoad> loadedBy(const Skill *skill) const { return m_loads.of(skill); }
    const HarnessLoads &loads() const { return m_loads; }

    // Every skill of the store checked afresh.
    void recheckAll();
    // The same, a slice of skills per event-loop turn, so that a window
    // paints and answers meanwhile; changed() once all are checked.
    void recheckAllInSlices();
    bool isChecking() const;

Q_SIGNALS:
    void changed();

private:
    void recheck(const QList<Skill *> &skills);
    void forget(const QList<Skill *> &skills);
    void finish();
    void checkEach(const QList<Skill *> &skills);

    QPointer<ModelContext> m_context;
    std::unique_ptr<SkillHealthChecker> m_checker;
    QHash<const Skill *, QList<HealthFinding>> m_own;
    QHash<const Skill *, QStringList> m_groupKeys;
    QHash<const Skill *, QList<HealthFinding>> m_duplicates;
    HarnessLoads m_loads;
    QHash<const Skill *, HealthFinding> m_unread;
    QHash<const Skill *, HealthFinding::Severity> m_worst;
    int m_attentionCount = 0;
    SkillSlices *m_slices;
};
