#pragma once

#include <QStringList>
#include <QTextStream>

// The headless commands of the quire binary.
class CommandLine final
{
public:
    // arguments: without the program name. Returns the process exit code.
    static int run(const QStringList &arguments, QTextStream &out, QTextStream &err);
    static QString usage();
    static QString versionText();

private:
    static int runCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);
};
