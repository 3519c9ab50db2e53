#include "scannedstore.h"

#include "benchcorpus.h"
#include "modelcontext.h"
#include "settingsstore.h"
#include "skillscanner.h"

using namespace Qt::StringLiterals;

ScannedStore::ScannedStore(const BenchCorpus &corpus)
{
    if (!m_scratch.isValid()) {
        m_error = u"cannot make a scratch folder: %1"_s.arg(m_scratch.errorString());
        return;
    }
    m_settings = std::make_unique<SettingsStore>(m_scratch.filePath(u"Quire.conf"_s));
    m_settings->setCustomScanPaths(corpus.scanDirectories());

    auto opened = ModelContext::open(storePath());
    if (!opened) {
        m_error = opened.error().message;
        return;
    }
    m_context = std::move(opened.value());
    m_scanner = std::make_unique<SkillScanner>(m_context.get(), m_settings.get());
    m_scanner->scanAll();
    if (!m_scanner->lastSave()) {
        m_error = m_scanner->lastSave().error().message;
        return;
    }

    const QList<Skill *> skills = m_context->skills();
    for (const Skill *skill : skills) {
        m_readPaths.append(skill->filePath());
        m_resolvedPaths.append(skill->resolvedPath());
        const QStringList routes = skill->installedPaths();
        m_routes += routes;
        if (skill->isDirectory()) {
            for (const QString &route : routes)
                m_skillFolders.append(route.section(u'/', 0, -2));
        }
    }
    if (skills.size() != corpus.skills() || m_routes.size() != corpus.routes())
        m_error = u"the scan found %1 skills by %2 routes; the corpus holds %3 by %4"_s
                      .arg(skills.size())
                      .arg(m_routes.size())
                      .arg(corpus.skills())
                      .arg(corpus.routes());
}

ScannedStore::~ScannedStore()
{
    // The scanner holds the context, the context the file.
    close();
}

QString ScannedStore::storePath() const
{
    return m_scratch.filePath(u"store.sqlite"_s);
}

void ScannedStore::close()
{
    m_scanner.reset();
    m_context.reset();
}
