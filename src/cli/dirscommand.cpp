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

// A file we could not read would read as an empty list, and writing after
// that would wipe the list the user had.
bool readable(SettingsStore &settings, QTextStream &err)
{
    if (settings.status() == QSettings::NoError)
        return true;
    err << "quire dirs: cannot read the settings file " << settings.path() << '\n';
    return false;
}

int write(SettingsStore &settings, const QStringList &paths, QTextStream &err)
{
    settings.setCustomScanPaths(paths);
    if (settings.status() == QSettings::NoError)
        return ExitOk;
    err << "quire dirs: cannot write the settings file " << settings.path() << '\n';
    return ExitUserError;
}

int listDirs(CommandContext &context)
{
    SettingsStore &settings = context.settings();
    const QStringList paths = settings.customScanPaths();
    if (!readable(settings, context.err()))
        return ExitUserError;
    for (const QString &path : paths)
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

    SettingsStore &settings = context.settings();
    QStringList paths = settings.customScanPaths();
    if (!readable(settings, context.err()))
        return ExitUserError;
    if (paths.contains(path)) {
        // Nothing to store, so nothing to announce: an open window need not rescan.
        context.out() << TerminalText::line(path) << " is already a custom scan directory\n";
        return ExitOk;
    }
    paths.append(path);
    const int code = write(settings, paths, context.err());
    if (code == ExitOk)
        context.out() << "Added " << TerminalText::line(path) << '\n';
    return code;
}

int removeDir(const QString &argument, CommandContext &context)
{
    SettingsStore &settings = context.settings();
    QStringList paths = settings.customScanPaths();
    if (!readable(settings, context.err()))
        return ExitUserError;

    // The folder may be gone already, so no existence check; the exact stored
    // text also matches, for an entry that is not clean or not absolute.
    QString path = absoluteCleanPath(argument);
    if (!paths.contains(path))
        path = argument;
    if (paths.removeAll(path) == 0) {
        context.err() << "quire dirs remove: " << absoluteCleanPath(argument)
                      << " is not a custom scan directory\n";
        return ExitUserError;
    }
    const int code = write(settings, paths, context.err());
    if (code == ExitOk)
        context.out() << "Removed " << TerminalText::line(path) << '\n';
    return code;
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
