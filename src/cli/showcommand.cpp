#include "showcommand.h"

#include "commandcontext.h"
#include "exitcode.h"
#include "harnessloads.h"
#include "modelcontext.h"
#include "skilljson.h"
#include "terminaltext.h"

#include <QDir>
#include <QJsonDocument>

using namespace Qt::StringLiterals;

namespace {

// A path as typed may be relative, unclean or reached through a link; any
// of the record's own paths names it.
Skill *find(const ModelContext &store, const QString &typed)
{
    const QStringList candidates = CommandContext::pathForms(typed);
    for (const QString &candidate : candidates) {
        if (Skill *skill = store.skillByResolvedPath(candidate))
            return skill;
    }
    for (Skill *skill : store.skillsByName()) {
        for (const QString &candidate : candidates) {
            if (skill->filePath() == candidate || skill->installedPaths().contains(candidate))
                return skill;
        }
    }
    return nullptr;
}

} // namespace

QString ShowCommand::usage()
{
    return uR"(Usage: quire show PATH [--json]

Shows the skill whose file, resolved file or any installed route is PATH.
)"_s;
}

int ShowCommand::run(const QStringList &arguments, CommandContext &context)
{
    bool json = false;
    QStringList paths;
    if (const std::optional<int> stop
        = context.readJsonAndPaths(arguments, u"show"_s, usage(), json, paths))
        return *stop;
    if (paths.size() != 1) {
        context.err() << "quire show: give exactly one PATH\n\n" << usage();
        return ExitUsage;
    }
    ModelContext *store = context.store();
    if (!store)
        return ExitUserError;
    const Skill *skill = find(*store, paths.first());
    if (!skill) {
        context.err() << "quire show: no skill in the store at " << paths.first() << '\n';
        return ExitUserError;
    }
    if (json) {
        const HarnessLoads loads = HarnessLoads::ofStore(*store, QDir::homePath());
        context.out() << QString::fromUtf8(QJsonDocument(SkillJson::toJson(*skill, loads.of(skill)))
                                               .toJson(QJsonDocument::Indented));
        return ExitOk;
    }
    QStringList tools;
    for (ToolSource tool : skill->toolSources())
        tools.append(ToolSources::displayName(tool));
    QTextStream &out = context.out();
    out << "Name:        " << TerminalText::line(skill->name()) << '\n'
        << "Description: " << TerminalText::line(skill->skillDescription()) << '\n'
        << "Tools:       " << tools.join(u", "_s) << '\n'
        << "File:        " << TerminalText::line(skill->filePath()) << '\n';
    for (const QString &route : skill->installedPaths()) {
        if (route != skill->filePath())
            out << "Also at:     " << TerminalText::line(route) << '\n';
    }
    if (const auto project = skill->projectName())
        out << "Project:     " << TerminalText::line(*project) << '\n';
    out << "Size:        " << skill->fileSize() << " bytes\n"
        << "Modified:    " << skill->fileModifiedDate().toUTC().toString(Qt::ISODateWithMs) << '\n'
        << "Favorite:    " << (skill->isFavorite() ? "yes" : "no") << "\n\n"
        << TerminalText::block(skill->content()) << '\n';
    return ExitOk;
}
