#pragma once

#include "modelcontext.h"

#include <memory>

// A fresh in-memory store; null (and a failed test) if it cannot be opened.
std::unique_ptr<ModelContext> openMemoryStore();
