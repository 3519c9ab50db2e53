#include "skillhealth.h"

#include "modelcontext.h"
#include "skill.h"
#include "skillduplicatechecker.h"
#include "skillhealthchecker.h"
#include "skillslices.h"

#include <QDir>

#include <algorithm>

using namespace Qt::StringLiterals;

SkillHealth::SkillHealth(ModelContext *context, QObject *parent, bool checkNow)
    : QObject(parent),
      m_context(context),
      m_checker(std::make_unique<SkillHealthChecker>(QDir::homePath())),
      m_loads(QDir::homePath())
{
    if (context) {
        connect(context, &ModelContext::skillsInserted, this, &SkillHealth::recheck);
        connect(context, &ModelContext::skillsChanged, this, &SkillHealth::recheck);
        connect(context, &ModelContext::skillsRemoved, this, &SkillHealth::forget);
    }
    // About a frame's worth of checking at a time; clashes and counts once,
    // when every skill has been seen.
    constexpr qsizetype sliceSize = 500;
    m_slices = new SkillSlices(
        sliceSize, [this](const QList<Skill *> &slice) { checkEach(slice); }, [this] { finish(); },
        this);
    if (checkNow)
        recheckAll();
}

SkillHealth::~SkillHealth() = default;

QList<HealthFinding> SkillHealth::findings(const Skill *skill) const
{
    QList<HealthFinding> all = m_own.value(skill) + m_duplicates.value(skill);
    if (const auto it = m_unread.constFind(skill); it != m_unread.cend())
        all.append(*it);
    HealthFinding::sort(all);
    return all;
}

std::optional<HealthFinding::Severity> SkillHealth::worstSeverity(const Skill *skill) const
{
    const auto it = m_worst.constFind(skill);
    return it == m_worst.cend() ? std::nullopt : std::optional(*it);
}

bool SkillHealth::needsAttention(const Skill *skill) const
{
    const auto worst = worstSeverity(skill);
    return worst && *worst != HealthFinding::Severity::Note;
}

void SkillHealth::recheckAll()
{
    m_slices->cancel();
    m_own.clear();
    m_groupKeys.clear();
    recheck(m_context ? m_context->skills() : QList<Skill *>());
}

void SkillHealth::recheckAllInSlices()
{
    m_slices->start(m_context ? m_context->skills() : QList<Skill *>());
}

bool SkillHealth::isChecking() const
{
    return m_slices->isRunning();
}

void SkillHealth::checkEach(const QList<Skill *> &skills)
{
    for (const Skill *skill : skills) {
        if (!skill)
            continue;
        m_own.insert(skill, m_checker->check(*skill));
        m_groupKeys.insert(skill, SkillDuplicateChecker::groupKeys(*skill));
    }
}

void SkillHealth::recheck(const QList<Skill *> &skills)
{
    checkEach(skills);
    finish();
}

void SkillHealth::forget(const QList<Skill *> &skills)
{
    // A check in slices must not bring them back.
    m_slices->forget(skills);
    // Still alive here, deleted later: only their entries go.
    for (const Skill *skill : skills) {
        m_own.remove(skill);
        m_groupKeys.remove(skill);
    }
    finish();
}

void SkillHealth::finish()
{
    // Clashes span the whole store: one changed name can start or end one
    // anywhere. Each skill's keys are kept, so this is one pass of hashing.
    m_duplicates = SkillDuplicateChecker::check(m_groupKeys);
    m_loads.compute(m_own.keys());
    m_unread.clear();
    for (auto it = m_own.cbegin(); it != m_own.cend(); ++it) {
        const QList<HarnessLoad> loads = m_loads.of(it.key());
        // Only where some harness looks: a file in a place no harness knows is custom.
        if (loads.isEmpty()
            || !std::all_of(loads.cbegin(), loads.cend(),
                [](const HarnessLoad &load) { return load.status == LoadStatus::Ignored; }))
            continue;
        QString why = loads.first().note;
        m_unread.insert(it.key(),
            { u"location.unread"_s, HealthFinding::Severity::Warning,
                u"No harness reads this file: %1."_s.arg(why),
                u"Move it where a harness reads it."_s, {} });
    }
    m_worst.clear();
    m_attentionCount = 0;
    for (auto it = m_own.cbegin(); it != m_own.cend(); ++it) {
        std::optional<HealthFinding::Severity> worst;
        QList<HealthFinding> duplicates = m_duplicates.value(it.key());
        if (const auto unread = m_unread.constFind(it.key()); unread != m_unread.cend())
            duplicates.append(*unread);
        const QList<HealthFinding> *others = &duplicates;
        for (const QList<HealthFinding> *list : { &it.value(), others }) {
            for (const HealthFinding &finding : *list) {
                if (!worst || finding.severity < *worst)
                    worst = finding.severity;
            }
        }
        if (!worst)
            continue;
        m_worst.insert(it.key(), *worst);
        if (*worst != HealthFinding::Severity::Note)
            ++m_attentionCount;
    }
    Q_EMIT changed();
}
