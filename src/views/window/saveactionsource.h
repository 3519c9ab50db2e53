#pragma once

#include "saveaction.h"

#include <optional>

// A widget that can offer the window's "Save" command something to do while
// it, or a widget inside it, has the focus.
class SaveActionSource
{
public:
    virtual ~SaveActionSource() = default;
    virtual std::optional<SaveAction> saveAction() const = 0;

protected:
    SaveActionSource() = default;
    SaveActionSource(const SaveActionSource &) = default;
    SaveActionSource &operator=(const SaveActionSource &) = default;
};
