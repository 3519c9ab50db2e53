#include "checkcommand.h"

#include "commandcontext.h"
#include "exitcode.h"
#include "modelcontext.h"
#include "skillhealth.h"
#include "skillscanner.h"
#include "terminaltext.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

bool isAtOrUnder(const QString &path, const QString &root)
{
    return path == root || path.startsWith(root.endsWith(u'/') ? root : root + u'/');
}

bool isSelected(const Skill &skill, const QList<QStringList> &roots)
{
    QStringList paths = skill.installedPaths();
    paths.append(skill.filePath());
    paths.append(skill.resolvedPath());
    return std::any_of(roots.cbegin(), roots.cend(), [&paths](const QStringList &forms) {
        return std::any_of(forms.cbegin(), forms.cend(), [&paths](const QString &root) {
            return std::any_of(paths.cbegin(), paths.cend(),
                [&root](const QString &path) { return isAtOrUnder(path, root); });
        });
    });
}

bool exists(const Skill &skill)
{
    const QStringList routes = skill.installedPaths();
    return std::any_of(routes.cbegin(), routes.cend(),
        [](const QString &route) { return QFileInfo::exists(route); });
}

} // namespace

QString CheckCommand::usage()
{
    return uR"(Usage: quire check [--json] [PATH...]

Scans every tool's folders, then prints what each harness will make of the
skills found: one line per finding, "severity: path: id: sentence". With
PATH, only the skills at or below those files or folders are shown; clashes
are still looked for across all skills. Exits 0 when there is no error and 1
when there is one.
)"_s;
}

int CheckCommand::run(const QStringList &arguments, CommandContext &context)
{
    bool json = false;
    QStringList typedPaths;
    if (const std::optional<int> stop
        = context.readJsonAndPaths(arguments, u"check"_s, usage(), json, typedPaths))
        return *stop;
    QList<QStringList> roots;
    for (const QString &typed : std::as_const(typedPaths)) {
        if (!QFileInfo::exists(typed)) {
            context.err() << "quire check: no such file or folder: " << typed << '\n';
            return ExitUserError;
        }
        roots.append(CommandContext::pathForms(typed));
    }

    ModelContext *store = context.store();
    if (!store)
        return ExitUserError;
    // Judged as the files are now, not as the last scan saw them.
    SkillScanner scanner(store, &context.settings());
    scanner.setArtifactCache(nullptr); // no card in this process reads them
    scanner.setSaveEvery(SkillScanner::saveChunkChars);
    scanner.scanAll();
    if (!context.succeeded(scanner.lastSave(), u"check"_s))
        return ExitUserError;
    const SkillHealth health(store);

    struct Row
    {
        const Skill *skill;
        HealthFinding finding;
    };
    QList<Row> rows;
    int checked = 0;
    for (const Skill *skill : store->skillsByName()) {
        // A record whose file vanished waits for a prune; it has nothing left to judge.
        if (!exists(*skill) || (!roots.isEmpty() && !isSelected(*skill, roots)))
            continue;
        ++checked;
        for (const HealthFinding &finding : health.findings(skill))
            rows.append({ skill, finding });
    }
    std::stable_sort(rows.begin(), rows.end(),
        [](const Row &a, const Row &b) { return a.skill->filePath() < b.skill->filePath(); });
    int counts[3] = { 0, 0, 0 };
    for (const Row &row : std::as_const(rows))
        ++counts[int(row.finding.severity)];
    if (!typedPaths.isEmpty() && checked == 0) {
        context.err() << "quire check: no skill in the store at " << typedPaths.join(u", "_s)
                      << '\n';
        return ExitUserError;
    }

    if (json) {
        QJsonArray findings;
        for (const Row &row : std::as_const(rows)) {
            findings.append(QJsonObject {
                { u"path"_s, row.skill->filePath() },
                { u"name"_s, row.skill->name() },
                { u"severity"_s, HealthFinding::severityName(row.finding.severity) },
                { u"id"_s, row.finding.id },
                { u"sentence"_s, row.finding.sentence },
                { u"fix"_s, row.finding.fix },
                { u"otherPath"_s,
                    row.finding.otherPath.isEmpty() ? QJsonValue()
                                                    : QJsonValue(row.finding.otherPath) },
            });
        }
        const QJsonObject document {
            { u"skillsChecked"_s, checked },
            { u"errors"_s, counts[0] },
            { u"warnings"_s, counts[1] },
            { u"notes"_s, counts[2] },
            { u"findings"_s, findings },
        };
        context.out() << QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Indented));
    } else {
        for (const Row &row : std::as_const(rows)) {
            context.out() << HealthFinding::severityName(row.finding.severity) << ": "
                          << TerminalText::line(row.skill->filePath()) << ": " << row.finding.id
                          << ": " << TerminalText::line(row.finding.sentence) << '\n';
        }
        // On stderr, so stdout stays one line per finding for scripts.
        const auto counted = [](qsizetype count, const QString &what) {
            return QString::number(count) + u' ' + what + (count == 1 ? QString() : u"s"_s);
        };
        context.err() << counted(checked, u"skill"_s)
                      << " checked: " << counted(counts[0], u"error"_s) << ", "
                      << counted(counts[1], u"warning"_s) << ", " << counted(counts[2], u"note"_s)
                      << '\n';
    }
    return counts[0] > 0 ? ExitUserError : ExitOk;
}
