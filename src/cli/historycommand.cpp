#include "historycommand.h"

#include "commandcontext.h"
#include "exitcode.h"
#include "modelcontext.h"
#include "skillfile.h"
#include "skillscanner.h"
#include "terminaltext.h"
#include "versiondiff.h"
#include "versionrestore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

// The path a file's history is kept under: the resolved path of its record
// when any of the record's paths is typed, else a path with versions of its
// own (a removed file's).
QString historyPath(ModelContext &store, const QString &typed)
{
    const QStringList candidates = CommandContext::pathForms(typed);
    for (const QString &candidate : candidates) {
        if (store.skillByResolvedPath(candidate))
            return candidate;
    }
    for (Skill *skill : store.skillsByName()) {
        for (const QString &candidate : candidates) {
            if (skill->filePath() == candidate || skill->installedPaths().contains(candidate))
                return skill->resolvedPath();
        }
    }
    for (const QString &candidate : candidates) {
        const auto versions = store.history().versions(candidate);
        if (versions && !versions.value().isEmpty())
            return candidate;
    }
    return {};
}

QString isoTime(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

std::optional<qint64> versionNumber(const QString &text)
{
    bool ok = false;
    const qint64 number = text.toLongLong(&ok);
    return ok && number > 0 ? std::optional<qint64>(number) : std::nullopt;
}

struct Side
{
    QString text;
    QString label;
};

} // namespace

QString HistoryCommand::usage()
{
    return uR"(Usage: quire history PATH [--json]
       quire diff PATH [VERSION [VERSION]]
       quire restore PATH VERSION [--force]

history lists the versions the store keeps of the skill file PATH, newest
first. diff prints a unified diff: with no VERSION, of the last change; with
one, from it to the file's current text; with two, from the first to the
second. restore writes VERSION back to the file; when the file changed since
Quire last read it, --force keeps that text in the history and restores anyway.
PATH may be a file that no longer exists.
)"_s;
}

int HistoryCommand::runHistory(const QStringList &arguments, CommandContext &context)
{
    bool json = false;
    QStringList paths;
    if (const std::optional<int> stop
        = context.readJsonAndPaths(arguments, u"history"_s, usage(), json, paths))
        return *stop;
    if (paths.size() != 1) {
        context.err() << "quire history: give exactly one PATH\n\n" << usage();
        return ExitUsage;
    }
    ModelContext *store = context.store();
    if (!store)
        return ExitUserError;
    const QString path = historyPath(*store, paths.first());
    if (path.isEmpty()) {
        context.err() << "quire history: Quire knows no skill file at " << paths.first() << '\n';
        return ExitUserError;
    }
    const auto versions = store->history().versions(path);
    if (!context.succeeded(versions ? Status() : versions.error(), u"history"_s))
        return ExitUserError;

    if (json) {
        QJsonArray array;
        for (const SkillVersion &version : versions.value())
            array.append(QJsonObject {
                { u"version"_s, version.id },
                { u"time"_s, isoTime(version.time) },
                { u"source"_s, SkillHistory::sourceText(version.source) },
                { u"size"_s, version.size },
                { u"hash"_s, version.hash },
            });
        context.out() << QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
        return ExitOk;
    }
    if (versions.value().isEmpty()) {
        context.out() << "No earlier versions of " << TerminalText::line(path)
                      << ": its text has not changed since Quire first read it.\n";
        return ExitOk;
    }
    for (const SkillVersion &version : versions.value())
        context.out() << version.id << "  " << isoTime(version.time) << "  "
                      << SkillHistory::sourceText(version.source) << "  " << version.size
                      << " bytes  " << version.hash.left(12) << '\n';
    return ExitOk;
}

int HistoryCommand::runDiff(const QStringList &arguments, CommandContext &context)
{
    QStringList positional;
    for (const QString &argument : arguments) {
        if (argument == u"--help" || argument == u"-h") {
            context.out() << usage();
            return ExitOk;
        }
        if (argument.startsWith(u"--")) {
            context.err() << "quire diff: unknown option '" << argument << "'\n\n" << usage();
            return ExitUsage;
        }
        positional.append(argument);
    }
    if (positional.isEmpty() || positional.size() > 3) {
        context.err() << "quire diff: give a PATH and at most two VERSIONs\n\n" << usage();
        return ExitUsage;
    }
    QList<qint64> wanted;
    for (const QString &text : positional.mid(1)) {
        const auto number = versionNumber(text);
        if (!number) {
            context.err() << "quire diff: '" << text << "' is not a version number\n\n" << usage();
            return ExitUsage;
        }
        wanted.append(*number);
    }
    ModelContext *store = context.store();
    if (!store)
        return ExitUserError;
    const QString path = historyPath(*store, positional.first());
    if (path.isEmpty()) {
        context.err() << "quire diff: Quire knows no skill file at " << positional.first() << '\n';
        return ExitUserError;
    }
    const auto versions = store->history().versions(path);
    if (!context.succeeded(versions ? Status() : versions.error(), u"diff"_s))
        return ExitUserError;

    auto versionSide = [&](qint64 id) -> std::optional<Side> {
        for (const SkillVersion &version : versions.value()) {
            if (version.id != id)
                continue;
            const auto text = store->history().text(id);
            if (!context.succeeded(text ? Status() : text.error(), u"diff"_s))
                return std::nullopt;
            return Side { text.value(),
                u"%1 (version %2, %3)"_s.arg(path).arg(id).arg(isoTime(version.time)) };
        }
        context.err() << "quire diff: " << path << " has no version " << id << '\n';
        return std::nullopt;
    };
    // The text the file has now; a removed file has none.
    auto currentSide = [&]() {
        const SkillFile::Loaded disk = SkillFile::load(path);
        if (disk.text)
            return Side { disk.text.value(), u"%1 (current)"_s.arg(path) };
        return Side { QString(), u"%1 (removed)"_s.arg(path) };
    };

    std::optional<Side> before;
    std::optional<Side> after;
    if (wanted.size() == 2) {
        before = versionSide(wanted.at(0));
        after = before ? versionSide(wanted.at(1)) : std::nullopt;
    } else if (wanted.size() == 1) {
        before = versionSide(wanted.at(0));
        if (before)
            after = currentSide();
    } else {
        // The last change: the newest version from the one before it, or a
        // lone version from nothing, as it was when it was created.
        const QList<SkillVersion> &list = versions.value();
        if (list.size() >= 2) {
            before = versionSide(list.at(1).id);
            after = before ? versionSide(list.at(0).id) : std::nullopt;
        } else if (list.size() == 1) {
            after = versionSide(list.at(0).id);
            before = Side { QString(), u"/dev/null"_s };
        } else {
            return ExitOk; // no change recorded: nothing to show
        }
    }
    if (!before || !after)
        return ExitUserError;
    context.out() << VersionDiff::unified(before->text, after->text, before->label, after->label);
    return ExitOk;
}

int HistoryCommand::runRestore(const QStringList &arguments, CommandContext &context)
{
    QStringList positional;
    bool force = false;
    for (const QString &argument : arguments) {
        if (argument == u"--help" || argument == u"-h") {
            context.out() << usage();
            return ExitOk;
        }
        if (argument == u"--force") {
            force = true;
            continue;
        }
        if (argument.startsWith(u"--")) {
            context.err() << "quire restore: unknown option '" << argument << "'\n\n" << usage();
            return ExitUsage;
        }
        positional.append(argument);
    }
    const auto number = positional.size() == 2 ? versionNumber(positional.at(1)) : std::nullopt;
    if (!number) {
        context.err() << "quire restore: give a PATH and a VERSION number\n\n" << usage();
        return ExitUsage;
    }
    ModelContext *store = context.store();
    if (!store)
        return ExitUserError;
    const QString path = historyPath(*store, positional.first());
    if (path.isEmpty()) {
        context.err() << "quire restore: Quire knows no skill file at " << positional.first()
                      << '\n';
        return ExitUserError;
    }
    const bool hadRecord = store->skillByResolvedPath(path) != nullptr;
    const Status restored = VersionRestore::restore(*store, path, *number,
        force ? VersionRestore::Mode::KeepChangedAndRestore : VersionRestore::Mode::RefuseChanged);
    if (!context.succeeded(restored, u"restore"_s))
        return ExitUserError;
    if (!hadRecord) {
        // The file is back where a scan finds it; its record comes with it.
        SkillScanner scanner(store, &context.settings());
        scanner.scanAll();
        if (!context.succeeded(scanner.lastSave(), u"restore"_s))
            return ExitUserError;
    }
    context.out() << "Restored " << TerminalText::line(path) << " to version " << *number << '\n';
    return ExitOk;
}
