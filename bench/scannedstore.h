#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class BenchCorpus;
class ModelContext;
class SettingsStore;
class SkillScanner;

// A store file filled by one full scan of the corpus, in a scratch folder of
// its own that goes when this does. Checks the scan found every skill and
// every route the generator made, so a benchmark never times a broken run.
class ScannedStore final
{
public:
    explicit ScannedStore(const BenchCorpus &corpus);
    ~ScannedStore();
    ScannedStore(const ScannedStore &) = delete;
    ScannedStore &operator=(const ScannedStore &) = delete;

    // Empty when the store is ready.
    QString error() const { return m_error; }
    QString storePath() const;
    // Free for other files of the same benchmark; on the store's file system.
    QString scratch() const { return m_scratch.path(); }

    // Null after close().
    ModelContext *context() const { return m_context.get(); }
    SkillScanner *scanner() const { return m_scanner.get(); }
    SettingsStore *settings() const { return m_settings.get(); }

    // Each record's filePath: the one route the scanner reads it by.
    QStringList readPaths() const { return m_readPaths; }
    // Each record's resolvedPath, in the same order.
    QStringList resolvedPaths() const { return m_resolvedPaths; }
    // Every installed path of every record.
    QStringList routes() const { return m_routes; }
    // The folder of every route of a folder skill: what the artifact walk lists.
    QStringList skillFolders() const { return m_skillFolders; }

    // Closes the store file, keeping it for benchmarks that open it.
    void close();

private:
    QTemporaryDir m_scratch;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<ModelContext> m_context;
    std::unique_ptr<SkillScanner> m_scanner;
    QStringList m_readPaths;
    QStringList m_resolvedPaths;
    QStringList m_routes;
    QStringList m_skillFolders;
    QString m_error;
};
