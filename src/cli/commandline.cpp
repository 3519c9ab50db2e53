#include "commandline.h"

#include "buildinfo.h"
#include "checkcommand.h"
#include "commandcontext.h"
#include "dirscommand.h"
#include "exitcode.h"
#include "historycommand.h"
#include "listcommand.h"
#include "loadscommand.h"
#include "newcommand.h"
#include "parsecommand.h"
#include "scancommand.h"
#include "showcommand.h"

#include <QIODevice>

using namespace Qt::StringLiterals;

QString CommandLine::usage()
{
    return uR"(Usage: quire [COMMAND] [OPTIONS]

With no command, quire opens its window.

Commands:
  open [--filter F] [--search TEXT] [--select PATH] [--view card|editor|history] [--show WHAT]
                          open the window in that state (for scripts); WHAT is
                          new-skill or settings:general|directories|about
  scan [--prune]          scan every tool's folders into the store; --prune then
                          drops vanished routes and skills left without any
  list [--json] [--filter all|favorites|needs-attention|tool:RAW|kind:KIND|collection:NAME]
       [--search TEXT]    the skill list as the window shows it
  show PATH [--json]      show the skill at PATH (its file or any of its routes)
  check [--json] [PATH...]
                          scan, then list what is wrong with each skill file;
                          exits 1 when there is an error
  loads TOOL [--project DIR] [--json]
                          scan, then show what TOOL loads in a session started
                          in DIR: files in load order, cuts, budgets
  parse FILE [--style frontmatter|heading|frontmatter-then-heading|toml]
                          print how FILE is read, as JSON (no store access)
  new NAME [--tool RAW]   create a skill from the tool's template, as the window's
                          "New Skill" does, and print its path
  history PATH [--json]   the versions the store keeps of a skill file
  diff PATH [VERSION [VERSION]]
                          a unified diff of the last change, of a version
                          against the current text, or of two versions
  restore PATH VERSION [--force]
                          write a version back to the file (PATH may be gone)
  dirs list               list the custom scan directories
  dirs add DIR            add a custom scan directory
  dirs remove DIR         remove a custom scan directory
  --help                  show this text
  --version               show the version

Environment: HOME, XDG_DATA_HOME, XDG_CONFIG_HOME, QUIRE_STORE (path of the store
file, or :memory:).
)"_s;
}

QString CommandLine::versionText()
{
    return u"quire "_s
        + BuildInfo::versionText(BuildInfo::shortVersion(), BuildInfo::buildNumber());
}

int CommandLine::run(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const int code = runCommand(arguments, out, err);
    // Output that did not arrive is a failure: a script reading a cut-off list
    // on a full disk must not hear success. A closed pipe usually ends the
    // process before this, silently, as other tools do.
    out.flush();
    if (out.status() == QTextStream::Ok)
        return code;
    const QIODevice *device = out.device();
    const QString why
        = device && !device->errorString().isEmpty() && device->errorString() != u"Unknown error"
        ? device->errorString()
        : u"write error"_s;
    err << "quire: could not write the output: " << why << '\n';
    err.flush();
    return code == ExitOk ? int(ExitUserError) : code;
}

int CommandLine::runCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    CommandContext context(out, err);
    if (arguments.isEmpty() || arguments.first() == u"--help" || arguments.first() == u"-h"
        || arguments.first() == u"help") {
        out << usage();
        return ExitOk;
    }
    const QString &command = arguments.first();
    const QStringList rest = arguments.mid(1);
    if (command == u"--version") {
        out << versionText() << '\n';
        return ExitOk;
    }
    if (command == u"parse")
        return ParseCommand::run(rest, context);
    if (command == u"dirs")
        return DirsCommand::run(rest, context);
    if (command == u"scan")
        return ScanCommand::run(rest, context);
    if (command == u"list")
        return ListCommand::run(rest, context);
    if (command == u"show")
        return ShowCommand::run(rest, context);
    if (command == u"new")
        return NewCommand::run(rest, context);
    if (command == u"check")
        return CheckCommand::run(rest, context);
    if (command == u"history")
        return HistoryCommand::runHistory(rest, context);
    if (command == u"diff")
        return HistoryCommand::runDiff(rest, context);
    if (command == u"restore")
        return HistoryCommand::runRestore(rest, context);
    if (command == u"loads")
        return LoadsCommand::run(rest, context);

    err << "quire: unknown command '" << command << "'\n\n" << usage();
    return ExitUsage;
}
