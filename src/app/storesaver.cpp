#include "storesaver.h"

#include "modelcontext.h"

StoreSaver::StoreSaver(ModelContext *context) : QObject(context), m_context(context)
{
    m_poll.setTimerType(Qt::CoarseTimer);
    connect(&m_poll, &QTimer::timeout, this, &StoreSaver::refresh);
}

namespace {

// A property, not a search: the store's other children are its records.
constexpr const char *saverProperty = "quireStoreSaver";

} // namespace

StoreSaver *StoreSaver::of(ModelContext *context)
{
    if (!context)
        return nullptr;
    if (auto *saver
        = qobject_cast<StoreSaver *>(context->property(saverProperty).value<QObject *>()))
        return saver;
    auto *saver = new StoreSaver(context);
    context->setProperty(saverProperty, QVariant::fromValue<QObject *>(saver));
    return saver;
}

bool StoreSaver::save()
{
    return report(m_context->save());
}

bool StoreSaver::report(const Status &saved)
{
    if (!saved) {
        m_failure = saved.error().message;
        Q_EMIT saveFailed(m_failure);
        return false;
    }
    // A success says nothing while changes are still pending (a scan that
    // saved nothing of its own); only an empty queue ends the failure.
    if (!m_failure.isEmpty() && !m_context->hasChanges()) {
        m_failure.clear();
        Q_EMIT saveRecovered();
    }
    return true;
}

void StoreSaver::refresh()
{
    // A store that cannot be read now is looked at again on the next tick,
    // and saves merge first; only changes lost to another process's removal
    // are the user's to hear of.
    if (Status refreshed = m_context->refresh();
        !refreshed && refreshed.error().code == Error::Conflict)
        report(refreshed);
}

void StoreSaver::followOtherProcesses(int intervalMs)
{
    m_poll.start(intervalMs);
    refresh();
}
