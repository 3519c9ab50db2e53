#include "dirscommand.h"

#include "commandcontext.h"
#include "exitcode.h"
#include "settingsstore.h"
#include "terminaltext.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

// Relative to where the command runs, tidied, but links kept: the user may
// mean the link, and the scanner follows it anyway.
QString absoluteCleanPath(const QString &argument)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(argument));
}

int refuse(const Error &error, QTextStream &err)
{
    err << "quire dirs: " << TerminalText::line(error.message) << '\n';
    return ExitUserError;
}

int listDirs(CommandContext &context)
{
    // A file that cannot be trusted fails here as it would for add and
    // remove, rather than list what a rewrite would lose.
    const auto paths = context.settings().readCustomScanPaths();
    if (!paths)
        return refuse(paths.error(), context.err());
    for (const QString &path : paths.value())
        context.out() << TerminalText::line(path) << '\n';
    return ExitOk;
}

int addDir(const QString &argument, CommandContext &context)
{
    const QString path = absoluteCleanPath(argument);
    const QFileInfo info(path);
    if (!info.exists()) {
        context.err() << "quire dirs add: " << path << " does not exist\n";
        return ExitUserError;
    }
    if (!info.isDir()) {
        context.err() << "quire dirs add: " << path << " is not a folder\n";
        return ExitUserError;
    }

    bool listed = false;
    const auto written = context.settings().updateCustomScanPaths([&](QStringList &stored) {
        // Nothing to store, so nothing to announce: an open window need not rescan.
        listed = stored.contains(path);
        if (!listed)
            stored.append(path);
        return !listed;
    });
    if (!written)
        return refuse(written.error(), context.err());
    if (listed)
        context.out() << TerminalText::line(path) << " is already a custom scan directory\n";
    else
        context.out() << "Added " << TerminalText::line(path) << '\n';
    return ExitOk;
}

int removeDir(const QString &argument, CommandContext &context)
{
    QString removed;
    const auto written = context.settings().updateCustomScanPaths([&](QStringList &stored) {
        // The folder may be gone already, so no existence check; the exact
        // stored text also matches, for an entry that is not clean or not absolute.
        QString path = absoluteCleanPath(argument);
        if (!stored.contains(path))
            path = argument;
        if (stored.removeAll(path) == 0)
            return false;
        removed = path;
        return true;
    });
    if (!written)
        return refuse(written.error(), context.err());
    if (removed.isEmpty()) {
        context.err() << "quire dirs remove: " << absoluteCleanPath(argument)
                      << " is not a custom scan directory\n";
        return ExitUserError;
    }
    context.out() << "Removed " << TerminalText::line(removed) << '\n';
    return ExitOk;
}

} // namespace

QString DirsCommand::usage()
{
    return uR"(Usage: quire dirs list
       quire dirs add DIR
       quire dirs remove DIR
)"_s;
}

int DirsCommand::run(const QStringList &arguments, CommandContext &context)
{
    const QString action = arguments.value(0);
    if (arguments.size() == 1 && (action == u"--help" || action == u"-h")) {
        context.out() << usage();
        return ExitOk;
    }
    if (arguments.size() == 1 && action == u"list")
        return listDirs(context);
    if (arguments.size() == 2 && !arguments.at(1).isEmpty()) {
        if (action == u"add")
            return addDir(arguments.at(1), context);
        if (action == u"remove")
            return removeDir(arguments.at(1), context);
    }
    context.err() << "quire dirs: bad arguments\n\n" << usage();
    return ExitUsage;
}
