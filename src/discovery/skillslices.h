#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class Skill;

// Works through many skills a slice per event-loop turn, so that a window
// paints and answers in between. A real timer drives it, not queued calls:
// those would run ahead of pending repaints and input. Skills deleted or
// forgotten meanwhile are left out.
class SkillSlices final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SkillSlices)

public:
    using Work = std::function<void(const QList<Skill *> &slice)>;
    using Done = std::function<void()>;

    SkillSlices(qsizetype sliceSize, Work work, Done done, QObject *parent = nullptr);

    // Drops what is pending, then takes these; done() at once when empty.
    void start(const QList<Skill *> &skills);
    // The rest at once, then done().
    void finish();
    // Drops what is pending; done() is not called.
    void cancel();
    // Leaves these out: removed from the store, they are not to be worked on.
    void forget(const QList<Skill *> &skills);
    bool isRunning() const { return !m_pending.isEmpty(); }

private:
    void runSlice(qsizetype count);

    qsizetype m_sliceSize;
    Work m_work;
    Done m_done;
    QList<QPointer<Skill>> m_pending;
    QTimer m_timer;
};
