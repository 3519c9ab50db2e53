#pragma once

#include "modelcontext.h"

#include <memory>

// A fresh in-memory store; null (and a failed test) if it cannot be opened.
std::unique_ptr<ModelContext> openMemoryStore();
// The store file at path, opened as the window or a command opens it; null
// (and a failed test) if it cannot be opened.
std::unique_ptr<ModelContext> openStoreAt(const QString &path);
