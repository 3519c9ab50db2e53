#pragma once

#include "result.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class ModelContext;

// The one way the window's saves reach the store: a failed save is announced
// with the store's own text, so the window can show it and offer Retry, and
// the changes stay pending until a save succeeds. It also brings in, on a
// short timer, what other processes committed to the same store.
//
// One saver belongs to each store (a child of it), so every view of that
// store reports through the same place without being handed it.
class StoreSaver final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StoreSaver)

public:
    // The store's saver, made on first use.
    static StoreSaver *of(ModelContext *context);

    ModelContext *context() const { return m_context; }
    bool hasFailed() const { return !m_failure.isEmpty(); }
    QString failure() const { return m_failure; }

    // Saves every pending change; false when it failed, which was announced.
    bool save();
    // A save made elsewhere (a scan) whose outcome the user must hear of.
    bool report(const Status &saved);
    // Saves again what is still pending.
    bool retry() { return save(); }

    // Merges other processes' commits now, and from then on every interval
    // while the timer runs; a failed look is tried again on the next tick.
    void refresh();
    void followOtherProcesses(int intervalMs = 1000);
    bool isFollowing() const { return m_poll.isActive(); }

Q_SIGNALS:
    void saveFailed(const QString &message);
    // After a failure, once everything pending reached the store.
    void saveRecovered();

private:
    explicit StoreSaver(ModelContext *context);

    ModelContext *m_context;
    QString m_failure;
    QTimer m_poll;
};
