#pragma once

#include <QObject>
#include <QPointer>

class Updater;

// Mirrors the updater's canCheckForUpdates for the "Check for Updates…" menu
// item. The updater may announce changes on any thread; this object is only
// written on the main thread, one event-loop turn after each announcement.
class CheckForUpdatesViewModel final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CheckForUpdatesViewModel)
    Q_PROPERTY(bool canCheckForUpdates READ canCheckForUpdates NOTIFY canCheckForUpdatesChanged)

public:
    // Made and used on the main thread; the updater is not owned.
    explicit CheckForUpdatesViewModel(Updater *updater, QObject *parent = nullptr);

    // False until the first main-thread update has run.
    bool canCheckForUpdates() const { return m_canCheckForUpdates; }

Q_SIGNALS:
    void canCheckForUpdatesChanged();

private:
    static void scheduleRefresh(const QPointer<CheckForUpdatesViewModel> &viewModel);
    void refresh();

    QPointer<Updater> m_updater;
    bool m_canCheckForUpdates = false;
};
