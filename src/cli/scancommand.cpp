#include "scancommand.h"

#include "commandcontext.h"
#include "exitcode.h"
#include "modelcontext.h"
#include "skillscanner.h"

using namespace Qt::StringLiterals;

QString ScanCommand::usage()
{
    return uR"(Usage: quire scan [--prune]

Scans every tool's global folders and the projects of the custom scan
directories into the store; with --prune, then drops routes that no longer
exist and deletes skills left without any.
)"_s;
}

int ScanCommand::run(const QStringList &arguments, CommandContext &context)
{
    bool prune = false;
    for (const QString &argument : arguments) {
        if (argument == u"--prune") {
            prune = true;
        } else if (argument == u"--help" || argument == u"-h") {
            context.out() << usage();
            return ExitOk;
        } else {
            context.err() << "quire scan: unexpected argument '" << argument << "'\n\n" << usage();
            return ExitUsage;
        }
    }
    ModelContext *store = context.store();
    if (!store)
        return ExitUserError;
    SkillScanner scanner(store, &context.settings());
    scanner.setArtifactCache(nullptr); // no card in this process reads them
    scanner.setSaveEvery(SkillScanner::saveChunkChars);
    scanner.scanAll();
    if (!context.succeeded(scanner.lastSave(), u"scan"_s))
        return ExitUserError;
    if (prune) {
        scanner.pruneMissingSkills();
        if (!context.succeeded(scanner.lastSave(), u"scan"_s))
            return ExitUserError;
    }
    const SkillScanner::Counts counts = scanner.counts();
    context.out() << "Skill files: " << counts.filesSeen << " (read " << counts.filesRead
                  << ", unchanged " << counts.unchanged << ", skipped " << counts.skipped << ")\n"
                  << "New skills: " << counts.inserted << '\n';
    if (prune)
        context.out() << "Routes dropped: " << counts.routesDropped << '\n'
                      << "Skills removed: " << counts.removed << '\n';
    context.out() << "Skills in store: " << store->skillCount() << '\n';
    return ExitOk;
}
