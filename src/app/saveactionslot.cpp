#include "saveactionslot.h"

void SaveActionSlot::set(std::optional<SaveAction> action)
{
    const bool had = hasAction();
    m_action = std::move(action);
    if (m_action && !m_action->action)
        m_action.reset(); // an empty operation is no action
    if (had != hasAction())
        Q_EMIT changed(hasAction());
}

bool SaveActionSlot::trigger() const
{
    if (!m_action)
        return false;
    // A copy: the action may change the focus and with it this slot.
    const std::function<void()> action = m_action->action;
    action();
    return true;
}
