#pragma once

#include "updatecheckresult.h"

#include <QObject>
#include <QPointer>

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
    explicit Updater(QObject *parent = nullptr) : QObject(parent)
    {
        // First of checkFinished's receivers: the answer is addressed before
        // anyone else hears of it.
        connect(this, &Updater::checkFinished, this, [this](const UpdateCheckResult &result) {
            const QPointer<QObject> asker = std::exchange(m_asker, nullptr);
            Q_EMIT answered(asker.data(), result);
        });
    }
    ~Updater() override = default;

    // A check on behalf of `asker` (a window): starts one, or, while one runs,
    // joins it. Either way the outcome is told once, through answered(), to
    // whoever asked last; the other windows stay quiet.
    void requestCheck(QObject *asker)
    {
        m_asker = asker;
        checkForUpdates();
    }

    // Starts a user-initiated check and returns at once; the outcome arrives
    // through checkFinished. Ignored while canCheckForUpdates is false.
    virtual void checkForUpdates() = 0;

    // True while a check may start: false while one runs or the updater is not
    // ready. Atomic because observers may read it from any thread.
    bool canCheckForUpdates() const { return m_canCheckForUpdates.load(); }

Q_SIGNALS:
    void canCheckForUpdatesChanged(bool canCheck);
    void checkFinished(const UpdateCheckResult &result);
    // The outcome and the window it is for; null when nobody asked.
    void answered(QObject *asker, const UpdateCheckResult &result);

protected:
    void setCanCheckForUpdates(bool canCheck)
    {
        if (m_canCheckForUpdates.exchange(canCheck) == canCheck)
            return;
        Q_EMIT canCheckForUpdatesChanged(canCheck);
    }

private:
    std::atomic<bool> m_canCheckForUpdates = false;
    QPointer<QObject> m_asker;
};
