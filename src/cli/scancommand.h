#pragma once

#include <QStringList>

class CommandContext;

// `quire scan [--prune]`
class ScanCommand final
{
public:
    static int run(const QStringList &arguments, CommandContext &context);
    static QString usage();
};
