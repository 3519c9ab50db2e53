#pragma once

#include <QStringList>

class CommandContext;

// `quire dirs list | add DIR | remove DIR`
class DirsCommand final
{
public:
    static int run(const QStringList &arguments, CommandContext &context);
    static QString usage();
};
