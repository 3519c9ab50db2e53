#include "listcommand.h"

#include "commandcontext.h"
#include "exitcode.h"
#include "modelcontext.h"
#include "skilljson.h"
#include "skillquery.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace Qt::StringLiterals;

namespace {

int usageError(CommandContext &context, const QString &why)
{
    context.err() << "quire list: " << why << "\n\n" << ListCommand::usage();
    return ExitUsage;
}

// Column text on one line, so a name holding a line break cannot break the table.
QString cell(QString text)
{
    return text.replace(u'\n', u' ').replace(u'\r', u' ').replace(u'\t', u' ');
}

} // namespace

QString ListCommand::usage()
{
    return uR"(Usage: quire list [--json] [--filter all|favorites|tool:RAW|collection:NAME] [--search TEXT]

Lists the skills exactly as the window's list shows them: the same filter, the
same search and the same order. RAW is a tool's raw value (claude, cursor,
windsurf, codex, copilot, aider, amp, custom).
)"_s;
}

int ListCommand::run(const QStringList &arguments, CommandContext &context)
{
    bool json = false;
    QString filterText = u"all"_s;
    QString search;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        auto valueOf = [&](const QString &option, QString &target) -> bool {
            if (argument == option) {
                if (i + 1 == arguments.size())
                    return false;
                target = arguments.at(++i);
                return true;
            }
            target = argument.mid(option.size() + 1);
            return true;
        };
        if (argument == u"--json") {
            json = true;
        } else if (argument == u"--help" || argument == u"-h") {
            context.out() << usage();
            return ExitOk;
        } else if (argument == u"--filter" || argument.startsWith(u"--filter=")) {
            if (!valueOf(u"--filter"_s, filterText))
                return usageError(context, u"--filter needs a value."_s);
        } else if (argument == u"--search" || argument.startsWith(u"--search=")) {
            if (!valueOf(u"--search"_s, search))
                return usageError(context, u"--search needs a value."_s);
        } else {
            return usageError(context, u"unexpected argument '%1'."_s.arg(argument));
        }
    }
    const std::optional<SidebarFilter> filter = SkillQuery::parseFilter(filterText);
    if (!filter) {
        context.err() << "quire list: unknown filter '" << filterText
                      << "'; use all, favorites, tool:RAW (claude, cursor, windsurf, codex, "
                         "copilot, aider, amp, custom) or collection:NAME\n";
        return ExitUserError;
    }

    auto store = context.store();
    if (!store) {
        context.err() << "quire: " << store.error().message << '\n';
        return ExitUserError;
    }
    const QList<Skill *> skills = SkillQuery(*filter, search).apply(store.value()->skillsByName());

    if (json) {
        QJsonArray array;
        for (const Skill *skill : skills)
            array.append(SkillJson::toJson(*skill));
        context.out() << QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
        return ExitOk;
    }
    for (const Skill *skill : skills) {
        QStringList tools;
        for (ToolSource tool : skill->toolSources())
            tools.append(ToolSources::rawValue(tool));
        context.out() << cell(skill->name()) << '\t' << tools.join(u',') << '\t'
                      << cell(skill->projectName().value_or(u"-"_s)) << '\t' << skill->filePath()
                      << '\n';
    }
    return ExitOk;
}
