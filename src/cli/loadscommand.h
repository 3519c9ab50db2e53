#pragma once

#include <QStringList>

class CommandContext;

// `quire loads TOOL [--project DIR] [--json]`
class LoadsCommand final
{
public:
    static int run(const QStringList &arguments, CommandContext &context);
    static QString usage();
};
