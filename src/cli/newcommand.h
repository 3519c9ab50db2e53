#pragma once

#include <QStringList>

class CommandContext;

// `quire new NAME [--tool RAW]`: what the window's "New Skill" does, for scripts.
class NewCommand final
{
public:
    static int run(const QStringList &arguments, CommandContext &context);
    static QString usage();
};
