#pragma once

#include <QStringList>

class CommandContext;

// `quire check [--json] [PATH...]`
class CheckCommand final
{
public:
    static int run(const QStringList &arguments, CommandContext &context);
    static QString usage();
};
