#pragma once

#include "saveaction.h"

#include <QObject>

#include <optional>

// The one "Save" slot of a window: filled by the view that has the focus and
// publishes a save action, empty otherwise. The menu command follows it.
class SaveActionSlot final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SaveActionSlot)

public:
    using QObject::QObject;

    bool hasAction() const { return m_action.has_value(); }
    void set(std::optional<SaveAction> action);
    // Runs the published action; false when there is none.
    bool trigger() const;

Q_SIGNALS:
    void changed(bool hasAction);

private:
    std::optional<SaveAction> m_action;
};
