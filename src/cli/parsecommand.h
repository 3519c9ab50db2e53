#pragma once

#include <QStringList>

class CommandContext;

// `quire parse FILE [--style frontmatter|heading|frontmatter-then-heading|toml]`
class ParseCommand final
{
public:
    static int run(const QStringList &arguments, CommandContext &context);
    static QString usage();
};
