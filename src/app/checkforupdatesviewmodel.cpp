#include "checkforupdatesviewmodel.h"

#include "updater.h"

#include <QCoreApplication>

// Posted to the application object, so the step runs on the main thread
// whatever thread announced the change; the view model may be gone by then.
void CheckForUpdatesViewModel::scheduleRefresh(const QPointer<CheckForUpdatesViewModel> &viewModel)
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [viewModel] {
            if (viewModel)
                viewModel->refresh();
        },
        Qt::QueuedConnection);
}

CheckForUpdatesViewModel::CheckForUpdatesViewModel(Updater *updater, QObject *parent)
    : QObject(parent), m_updater(updater)
{
    if (!updater)
        return;
    // The weak handle is made here, on the main thread; an announcement from
    // another thread only copies it, which is safe while this object is deleted.
    const QPointer<CheckForUpdatesViewModel> self(this);
    // Direct: the step is posted from the announcing thread, whichever it is.
    connect(
        updater, &Updater::canCheckForUpdatesChanged, this, [self] { scheduleRefresh(self); },
        Qt::DirectConnection);
    scheduleRefresh(self); // the initial value, by the same path as every later one
}

void CheckForUpdatesViewModel::refresh()
{
    // The updater's value now, not the announced one: announcements from another
    // thread may arrive out of order, the current value cannot be stale.
    const bool canCheck = m_updater && m_updater->canCheckForUpdates();
    if (canCheck == m_canCheckForUpdates)
        return;
    m_canCheckForUpdates = canCheck;
    Q_EMIT canCheckForUpdatesChanged();
}
