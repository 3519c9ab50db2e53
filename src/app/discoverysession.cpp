#include "discoverysession.h"

#include "filewatcher.h"
#include "settingsstore.h"
#include "skillhealth.h"
#include "skillscanner.h"
#include "storesaver.h"
#include "toolsource.h"

#include <QDir>
#include <QTimer>

DiscoverySession::DiscoverySession(ModelContext *context, SettingsStore *settings, QObject *parent)
    : QObject(parent),
      m_context(context),
      m_settings(settings),
      m_health(new SkillHealth(context, this, false))
{
    if (m_settings) {
        // Added or removed scan directories: scan at once, no prune.
        connect(m_settings, &SettingsStore::customScanPathsChanged, this, [this] {
            if (m_scanner)
                scan(m_scanner, false);
        });
    }
}

DiscoverySession::~DiscoverySession() = default;

void DiscoverySession::setUp()
{
    // A `quire dirs add` in a terminal reaches this window as the same notice
    // as a change made in its own settings window.
    if (m_settings)
        m_settings->watchForOtherWriters();
    m_scanner = std::make_shared<SkillScanner>(m_context, m_settings);
    const quint64 generation = ++m_generation;
    // Queued, so the watcher below is in place before the first scan runs; a
    // later setUp makes this one stale.
    QTimer::singleShot(0, this, [this, generation] {
        if (generation != m_generation)
            return;
        scan(m_scanner, false);
        // In slices, so the window paints and answers while a large store is
        // checked; the scan's batches keep the findings current from then on.
        if (!m_healthChecked) {
            m_healthChecked = true;
            m_health->recheckAllInSlices();
        }
    });

    // The callback holds the scanner it was made with; the watcher itself
    // never outlives this session.
    QPointer<DiscoverySession> self(this);
    m_watcher = std::make_unique<FileWatcher>([self, scanner = m_scanner](const QString &) {
        if (self)
            self->scan(scanner, true);
    });
    m_watcher->watch(SkillScanner::globalFolders(QDir::homePath()));
}

// NOLINTNEXTLINE(performance-unnecessary-value-param): a reference to m_scanner could dangle
void DiscoverySession::scan(std::shared_ptr<SkillScanner> scanner, bool prune)
{
    // Held by value: a listener may set the session up again mid-scan.
    Q_EMIT scanStarted();
    StoreSaver *saver = StoreSaver::of(m_context);
    scanner->scanAll();
    // Reported, not dropped: a failed scan save would otherwise take every
    // later change of this window with it, unseen.
    bool saved = saver->report(scanner->lastSave());
    if (prune && saved) {
        scanner->pruneMissingSkills();
        saver->report(scanner->lastSave());
    }
    Q_EMIT scanFinished();
}
