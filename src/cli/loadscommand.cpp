#include "loadscommand.h"

#include "commandcontext.h"
#include "exitcode.h"
#include "harnessloads.h"
#include "modelcontext.h"
#include "settingsstore.h"
#include "skill.h"
#include "skilljson.h"
#include "skillscanner.h"
#include "terminaltext.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>

using namespace Qt::StringLiterals;

namespace {

int usageError(CommandContext &context, const QString &why)
{
    context.err() << "quire loads: " << why << "\n\n" << LoadsCommand::usage();
    return ExitUsage;
}

QString unitName(LimitUnit unit)
{
    switch (unit) {
    case LimitUnit::Bytes:
        return u"bytes"_s;
    case LimitUnit::Characters:
        return u"characters"_s;
    case LimitUnit::Lines:
        return u"lines"_s;
    }
    return {};
}

// The form of dir the scan knows the project by, or nothing when no scanned
// folder holds it.
std::optional<QString> projectRoot(
    const QString &dir, const HarnessLoads &loads, const QStringList &scanPaths)
{
    const QStringList forms = CommandContext::pathForms(dir);
    const QStringList known = loads.projectRoots();
    for (const QString &form : forms) {
        if (known.contains(form))
            return form;
    }
    // A project with nothing in it yet is still one: a folder right below a scanned one.
    for (const QString &scanPath : scanPaths) {
        for (const QString &parent : CommandContext::pathForms(scanPath)) {
            for (const QString &form : forms) {
                if (QFileInfo(form).path() == parent)
                    return form;
            }
        }
    }
    return std::nullopt;
}

} // namespace

QString LoadsCommand::usage()
{
    return uR"(Usage: quire loads TOOL [--project DIR] [--json]

Scans, then shows what TOOL loads in a session started in DIR (without
--project: outside any project, so global files only), in the order it loads
them: instructions files with their sizes and any cut, skills, rules and how
they apply, commands, agents and workflows; then what it finds but does not
read, shadowed or ignored; then its budgets and how much of each is used.
DIR must lie in a folder added with "quire dirs add". TOOL is a tool's raw
value (claude, cursor, windsurf, codex, copilot, aider, amp, gemini, opencode,
kiro, cline, continue, zed, junie).
)"_s;
}

int LoadsCommand::run(const QStringList &arguments, CommandContext &context)
{
    bool json = false;
    QString toolText;
    QString project;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == u"--json") {
            json = true;
        } else if (argument == u"--help" || argument == u"-h") {
            context.out() << usage();
            return ExitOk;
        } else if (argument == u"--project") {
            if (i + 1 == arguments.size())
                return usageError(context, u"--project needs a folder."_s);
            project = arguments.at(++i);
        } else if (argument.startsWith(u"--project=")) {
            project = argument.mid(10);
        } else if (argument.startsWith(u'-') || !toolText.isEmpty()) {
            return usageError(context, u"unexpected argument '%1'."_s.arg(argument));
        } else {
            toolText = argument;
        }
    }
    if (toolText.isEmpty())
        return usageError(context, u"name a tool."_s);
    const std::optional<ToolSource> tool = ToolSources::fromRaw(toolText);
    if (!tool || *tool == ToolSource::Custom) {
        context.err() << "quire loads: unknown tool '" << toolText
                      << "'; use a tool's raw value, such as claude, cursor or codex\n";
        return ExitUserError;
    }
    if (!project.isEmpty() && !QFileInfo(project).isDir()) {
        context.err() << "quire loads: no such folder: " << project << '\n';
        return ExitUserError;
    }

    ModelContext *store = context.store();
    if (!store)
        return ExitUserError;
    // As the files are now, not as the last scan saw them.
    SkillScanner scanner(store, &context.settings());
    scanner.scanAll();
    if (!context.succeeded(scanner.lastSave(), u"loads"_s))
        return ExitUserError;
    const HarnessLoads loads = HarnessLoads::ofStore(*store, QDir::homePath());
    QString root;
    if (!project.isEmpty()) {
        const auto found = projectRoot(project, loads, context.settings().customScanPaths());
        if (!found) {
            context.err() << "quire loads: " << project
                          << " is not in a scanned folder; add the folder that holds it with "
                             "\"quire dirs add\"\n";
            return ExitUserError;
        }
        root = *found;
    }
    const HarnessLoads::Session session = loads.session(*tool, root);

    if (json) {
        QJsonArray items;
        for (const HarnessLoads::Item &item : session.items) {
            QJsonObject object = SkillJson::toJson(item.load);
            object.insert(u"kind"_s, SkillKinds::rawValue(item.load.kind));
            object.insert(u"name"_s, item.name);
            object.insert(u"path"_s, item.load.path);
            object.insert(u"size"_s, item.skill->fileSize());
            items.append(object);
        }
        QJsonArray budgets;
        for (const HarnessLoads::Budget &budget : session.budgets) {
            budgets.append(QJsonObject {
                { u"what"_s, budget.limit.what },
                { u"kind"_s, SkillKinds::rawValue(budget.limit.kind) },
                { u"unit"_s, unitName(budget.limit.unit) },
                { u"limit"_s, budget.limit.amount },
                { u"used"_s, budget.used },
                { u"over"_s, budget.over() },
                { u"advice"_s, budget.limit.effect == LimitEffect::Advice },
                { u"file"_s, budget.file.isEmpty() ? QJsonValue() : QJsonValue(budget.file) },
            });
        }
        const QJsonObject document {
            { u"tool"_s, ToolSources::rawValue(*tool) },
            { u"project"_s, root.isEmpty() ? QJsonValue() : QJsonValue(root) },
            { u"items"_s, items },
            { u"budgets"_s, budgets },
        };
        context.out() << QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Indented));
        return ExitOk;
    }

    QTextStream &out = context.out();
    out << ToolSources::displayName(*tool) << ", "
        << (root.isEmpty() ? u"outside any project (global files only)"_s
                           : u"in "_s + TerminalText::line(loads.tilde(root)))
        << '\n';
    const QLocale english(QLocale::English);
    QString heading;
    for (const HarnessLoads::Item &item : session.items) {
        const bool read
            = item.load.status == LoadStatus::Loaded || item.load.status == LoadStatus::Truncated;
        const QString next = read ? SkillKinds::pluralName(item.load.kind) : u"Not loaded"_s;
        if (next != heading) {
            heading = next;
            out << '\n' << heading << '\n';
        }
        QString line = u"  "_s;
        if (item.load.kind != SkillKind::Instructions)
            line += TerminalText::line(item.name) + u"  "_s;
        line += TerminalText::line(loads.tilde(item.load.path)) + u"  "_s
            + english.formattedDataSize(item.skill->fileSize(), 1, QLocale::DataSizeIecFormat)
            + u"  "_s + TerminalText::line(item.load.words());
        out << line << '\n';
    }
    if (session.items.isEmpty())
        out << "\nNothing to load.\n";
    if (!session.budgets.isEmpty())
        out << "\nBudgets\n";
    for (const HarnessLoads::Budget &budget : session.budgets) {
        const QString used = budget.limit.unit == LimitUnit::Bytes
            ? HarnessLoads::amountText(budget.used, budget.limit.unit)
            : english.toString(budget.used);
        out << "  " << budget.limit.what << ": " << used << " of "
            << HarnessLoads::amountText(budget.limit.amount, budget.limit.unit);
        if (!budget.file.isEmpty())
            out << " (largest: " << TerminalText::line(loads.tilde(budget.file)) << ')';
        if (budget.over())
            out << (budget.limit.effect == LimitEffect::Advice ? " - over the advice" : " - OVER");
        out << '\n';
    }
    return ExitOk;
}
