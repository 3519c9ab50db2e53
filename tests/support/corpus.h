#pragma once

#include <QString>

// The shared folder of real skill files (home/ and projects/). When it is
// missing the test fails under CI, which always has it, and is skipped
// elsewhere; either way the path is empty and the caller returns.
QString corpusPath();
