#include "newcommand.h"

#include "commandcontext.h"
#include "exitcode.h"
#include "settingsstore.h"
#include "skill.h"
#include "skillcreator.h"
#include "terminaltext.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

using namespace Qt::StringLiterals;

QString NewCommand::usage()
{
    return uR"(Usage: quire new NAME [--tool RAW]

Creates a skill named NAME from the tool's template in that tool's global
folder, records it in the store and prints the new file's path. RAW is one of
claude, cursor, windsurf, codex, copilot, aider, amp, custom; without --tool,
the default harness from the settings. "--" ends the options, for a NAME that
starts with "--".
)"_s;
}

int NewCommand::run(const QStringList &arguments, CommandContext &context)
{
    std::optional<ToolSource> tool;
    QStringList names;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (optionsEnded || !argument.startsWith(u"--")) {
            names.append(argument);
        } else if (argument == u"--") {
            optionsEnded = true;
        } else if (argument == u"--help") {
            context.out() << usage();
            return ExitOk;
        } else if (argument == u"--tool" && i + 1 < arguments.size()) {
            tool = ToolSources::fromRaw(arguments.at(++i));
            if (!tool) {
                context.err() << "quire new: unknown tool '" << arguments.at(i) << "'\n\n"
                              << usage();
                return ExitUsage;
            }
        } else {
            context.err() << "quire new: bad option '" << argument << "'\n\n" << usage();
            return ExitUsage;
        }
    }
    if (names.size() != 1) {
        context.err() << "quire new: give exactly one NAME\n\n" << usage();
        return ExitUsage;
    }
    if (!tool)
        tool = SkillCreator::initialTool(context.settings().defaultTool());

    ModelContext *store = context.store();
    if (!store)
        return ExitUserError;
    const Result<Skill *> created = SkillCreator::createSkill(names.first(), *tool, *store);
    if (!created) {
        context.err() << "quire new: " << TerminalText::line(created.error().message) << '\n';
        // The file was made though the store refused the record: its path
        // is still the command's output, for scripts that go on to edit it.
        if (created.error().code == Error::Store) {
            const QString file = SkillCreator::target(
                SkillCreator::folderName(names.first()), *tool, QDir::homePath())
                                     .file;
            if (QFileInfo::exists(file))
                context.out() << TerminalText::line(file) << '\n';
        }
        return ExitUserError;
    }
    context.out() << TerminalText::line(created.value()->filePath()) << '\n';
    return ExitOk;
}
