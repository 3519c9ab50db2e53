#pragma once

#include <functional>

// What the focused view offers the "Save" command: one operation, no
// arguments, no result.
struct SaveAction
{
    std::function<void()> action;
};
