#pragma once

#include <QStringList>

class CommandContext;

// `quire history PATH [--json]`, `quire diff PATH [VERSION [VERSION]]` and
// `quire restore PATH VERSION [--force]`: the versions the store keeps of a
// skill file, also of one that no longer exists.
class HistoryCommand final
{
public:
    static int runHistory(const QStringList &arguments, CommandContext &context);
    static int runDiff(const QStringList &arguments, CommandContext &context);
    static int runRestore(const QStringList &arguments, CommandContext &context);
    static QString usage();
};
