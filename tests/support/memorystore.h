#pragma once

#include "modelcontext.h"

#include <memory>

// A fresh in-memory store; null (and a failed test) if it cannot be opened.
std::unique_ptr<ModelContext> openMemoryStore();
// The store file at path, opened as the window or a command opens it; null
// (and a failed test) if it cannot be opened.
std::unique_ptr<ModelContext> openStoreAt(const QString &path);
// Writes at path a store as the Quire with schema `version` wrote it (from
// tests/support/data/store-<version>.sql); false (and a failed test) if it
// cannot.
bool writeOlderStore(const QString &path, const QString &version);
