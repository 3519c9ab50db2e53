#include "listcommand.h"

#include "commandcontext.h"
#include "exitcode.h"
#include "harnessloads.h"
#include "modelcontext.h"
#include "skillhealth.h"
#include "skilljson.h"
#include "skillquery.h"
#include "terminaltext.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

int usageError(CommandContext &context, const QString &why)
{
    context.err() << "quire list: " << why << "\n\n" << ListCommand::usage();
    return ExitUsage;
}

} // namespace

QString ListCommand::usage()
{
    return uR"(Usage: quire list [--json] [--filter all|favorites|needs-attention|tool:RAW|kind:KIND|collection:NAME]
                  [--search TEXT]

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
        QStringList tools;
        for (ToolSource tool : ToolSources::all)
            tools.append(ToolSources::rawValue(tool));
        QStringList kinds;
        for (SkillKind kind : SkillKinds::all)
            kinds.append(SkillKinds::rawValue(kind));
        context.err() << "quire list: unknown filter '" << filterText
                      << "'; use all, favorites, needs-attention, tool:RAW (" << tools.join(u", "_s)
                      << "), kind:KIND (" << kinds.join(u", "_s) << ") or collection:NAME\n";
        return ExitUserError;
    }

    ModelContext *store = context.store();
    if (!store)
        return ExitUserError;
    // Only the one filter that needs it pays for checking every skill.
    std::unique_ptr<SkillHealth> health;
    if (filter->kind() == SidebarFilter::Kind::NeedsAttention)
        health = std::make_unique<SkillHealth>(store);
    const QList<Skill *> skills
        = SkillQuery(*filter, search, health.get()).apply(store->skillsByName());

    if (json) {
        // Worked out over the whole store: a file's neighbours decide its fate.
        HarnessLoads loads(QDir::homePath());
        const QList<Skill *> all = store->skills();
        loads.compute({ all.cbegin(), all.cend() });
        QJsonArray array;
        for (const Skill *skill : skills)
            array.append(SkillJson::toJson(*skill, loads.of(skill)));
        context.out() << QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
        return ExitOk;
    }
    // Aligned columns: name, tools, project, path. Long names are cut so the
    // paths still line up.
    constexpr qsizetype maxName = 40;
    QList<QStringList> rows;
    qsizetype widths[3] = { 4, 5, 7 };
    for (const Skill *skill : skills) {
        QStringList tools;
        for (ToolSource tool : skill->toolSources())
            tools.append(ToolSources::rawValue(tool));
        QString name = TerminalText::line(skill->name());
        if (name.size() > maxName) {
            qsizetype kept = maxName - 1;
            if (name.at(kept - 1).isHighSurrogate())
                --kept; // never half a character
            name = name.left(kept) + u'…';
        }
        const QStringList row { name, tools.join(u','),
            TerminalText::line(skill->projectName().value_or(u"-"_s)),
            TerminalText::line(skill->filePath()) };
        for (int i = 0; i < 3; ++i)
            widths[i] = std::max(widths[i], row.at(i).size());
        rows.append(row);
    }
    if (rows.isEmpty())
        return ExitOk;
    context.out() << u"Name"_s.leftJustified(widths[0]) << "  "
                  << u"Tools"_s.leftJustified(widths[1]) << "  "
                  << u"Project"_s.leftJustified(widths[2]) << "  Path\n";
    for (const QStringList &row : std::as_const(rows)) {
        context.out() << row.at(0).leftJustified(widths[0]) << "  "
                      << row.at(1).leftJustified(widths[1]) << "  "
                      << row.at(2).leftJustified(widths[2]) << "  " << row.at(3) << '\n';
    }
    return ExitOk;
}
