#include "skillhealth.h"

#include "modelcontext.h"
#include "skill.h"
#include "skillduplicatechecker.h"
#include "skillhealthchecker.h"
#include "skillslices.h"

#include <QDir>

SkillHealth::SkillHealth(ModelContext *context, QObject *parent, bool checkNow)
    : QObject(parent),
      m_context(context),
      m_checker(std::make_unique<SkillHealthChecker>(QDir::homePath()))
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
    m_worst.clear();
    m_attentionCount = 0;
    for (auto it = m_own.cbegin(); it != m_own.cend(); ++it) {
        std::optional<HealthFinding::Severity> worst;
        const QList<HealthFinding> duplicates = m_duplicates.value(it.key());
        for (const QList<HealthFinding> *list : { &it.value(), &duplicates }) {
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
