#pragma once

#include <QStringList>

class CommandContext;

// `quire list [--json] [--filter all|favorites|tool:RAW|kind:KIND|collection:NAME] [--search TEXT]`
class ListCommand final
{
public:
    static int run(const QStringList &arguments, CommandContext &context);
    static QString usage();
};
