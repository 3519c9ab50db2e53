#pragma once

#include "updatecheckresult.h"

#include <QObject>

#include <atomic>

// The application's one updater, made in main and passed to the views that
// offer "Check for Updates". Views read the flag and show checkFinished's
// result; how a check is done is the implementation's business.
class Updater : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Updater)
    Q_PROPERTY(bool canCheckForUpdates READ canCheckForUpdates NOTIFY canCheckForUpdatesChanged)

public:
    using QObject::QObject;
    ~Updater() override = default;

    // Starts a user-initiated check and returns at once; the outcome arrives
    // through checkFinished. Ignored while canCheckForUpdates is false.
    virtual void checkForUpdates() = 0;

    // True while a check may start: false while one runs or the updater is not
    // ready. Atomic because observers may read it from any thread.
    bool canCheckForUpdates() const { return m_canCheckForUpdates.load(); }

Q_SIGNALS:
    void canCheckForUpdatesChanged(bool canCheck);
    void checkFinished(const UpdateCheckResult &result);

protected:
    void setCanCheckForUpdates(bool canCheck)
    {
        if (m_canCheckForUpdates.exchange(canCheck) == canCheck)
            return;
        Q_EMIT canCheckForUpdatesChanged(canCheck);
    }

private:
    std::atomic<bool> m_canCheckForUpdates = false;
};
