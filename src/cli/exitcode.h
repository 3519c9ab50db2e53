#pragma once

// What a headless command returns to the shell.
enum ExitCode : int {
    ExitOk = 0,
    ExitUserError = 1, // clear message on stderr, nothing changed
    ExitUsage = 2, // bad usage: the usage text on stderr
};
