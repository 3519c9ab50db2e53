#pragma once

#include <QStringList>

class CommandContext;

// `quire show PATH [--json]`
class ShowCommand final
{
public:
    static int run(const QStringList &arguments, CommandContext &context);
    static QString usage();
};
