#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The generated corpus a benchmark run reads, named by $QUIRE_BENCH_CORPUS.
class BenchCorpus final
{
public:
    // Empty with a reason when the variable is unset or the corpus is incomplete.
    static std::optional<BenchCorpus> fromEnvironment(QString *why);

    QString root() const { return m_root; }
    QString home() const;
    QStringList scanDirectories() const;
    // Distinct skill files, and routes to them counting every link.
    int skills() const { return m_skills; }
    int routes() const { return m_routes; }
    // Bytes of every file the generator wrote; 0 if the manifest does not say.
    qint64 bytes() const { return m_bytes; }

    // $HOME at the corpus's home and the XDG folders at scratch, so nothing of
    // the real user is read or written. Before anything asks QDir::homePath().
    void enterHome(const QString &scratch) const;

    // Waits until every file of the corpus changed longer ago than the scanner
    // trusts without reading: a scan right after the generator (or after a
    // benchmark touched a file) would rightly read such files again on the next
    // scan, and a rescan row would time reads instead of an unchanged tree.
    // False with a reason when the corpus cannot be walked.
    bool waitUntilSettled(QString *why) const;

    // Every folder a full scan lists: the global tool folders, the scan
    // directories and each project's tool folders (.github is never listed).
    QStringList listedFolders() const;

private:
    QString m_root;
    int m_skills = 0;
    int m_routes = 0;
    qint64 m_bytes = 0;
};
