#include "skillslices.h"

#include "skill.h"

SkillSlices::SkillSlices(qsizetype sliceSize, Work work, Done done, QObject *parent)
    : QObject(parent), m_sliceSize(sliceSize), m_work(std::move(work)), m_done(std::move(done))
{
    m_timer.setInterval(1);
    connect(&m_timer, &QTimer::timeout, this, [this] { runSlice(m_sliceSize); });
}

void SkillSlices::start(const QList<Skill *> &skills)
{
    cancel();
    m_pending.reserve(skills.size());
    for (Skill *skill : skills)
        m_pending.append(skill);
    if (m_pending.isEmpty())
        m_done();
    else
        m_timer.start();
}

void SkillSlices::finish()
{
    if (isRunning())
        runSlice(m_pending.size());
}

void SkillSlices::cancel()
{
    m_timer.stop();
    m_pending.clear();
}

void SkillSlices::forget(const QList<Skill *> &skills)
{
    for (Skill *skill : skills)
        m_pending.removeAll(skill);
    if (m_pending.isEmpty() && m_timer.isActive()) {
        m_timer.stop();
        m_done();
    }
}

void SkillSlices::runSlice(qsizetype count)
{
    count = std::min(count, m_pending.size());
    QList<Skill *> slice;
    slice.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        if (Skill *skill = m_pending.at(i))
            slice.append(skill);
    }
    m_pending.remove(0, count);
    m_work(slice);
    if (m_pending.isEmpty()) {
        m_timer.stop();
        m_done();
    }
}
