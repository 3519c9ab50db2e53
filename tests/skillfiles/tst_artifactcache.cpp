#include "artifactcache.h"

#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

class ArtifactCacheTest final : public QObject
{
    Q_OBJECT

private slots:
    void setReplacesWholeList();
    void concurrentAccess();
};

namespace {

QList<SkillArtifact> artifactsNamed(const QString &name, int count)
{
    QList<SkillArtifact> artifacts;
    for (int i = 0; i < count; ++i) {
        SkillArtifact artifact;
        artifact.id = QUuid::createUuid();
        artifact.name = name;
        artifacts.append(artifact);
    }
    return artifacts;
}

} // namespace

void ArtifactCacheTest::setReplacesWholeList()
{
    ArtifactCache &cache = ArtifactCache::shared();
    const QString path = u"/skills/replace/SKILL.md"_s;
    QVERIFY(cache.artifactsForPath(path).isEmpty());
    cache.setArtifacts(artifactsNamed(u"old"_s, 3), path);
    cache.setArtifacts(artifactsNamed(u"new"_s, 1), path);
    const QList<SkillArtifact> stored = cache.artifactsForPath(path);
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored.first().name, u"new"_s);
    // Exact key: the folder, or the same file by another spelling, is another entry.
    QVERIFY(cache.artifactsForPath(u"/skills/replace"_s).isEmpty());
    QVERIFY(cache.artifactsForPath(u"/skills/replace//SKILL.md"_s).isEmpty());
}

void ArtifactCacheTest::concurrentAccess()
{
    // Every read sees one whole list as some writer stored it, never a mix.
    ArtifactCache &cache = ArtifactCache::shared();
    const QString path = u"/skills/shared/SKILL.md"_s;
    std::atomic<int> torn = 0;
    std::vector<std::unique_ptr<QThread>> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back(QThread::create([&cache, &torn, path, t] {
            const QString name = QString::number(t);
            for (int i = 0; i < 500; ++i) {
                cache.setArtifacts(artifactsNamed(name, 1 + t), path);
                const QList<SkillArtifact> read = cache.artifactsForPath(path);
                if (read.isEmpty() || read.size() != read.first().name.toInt() + 1)
                    ++torn;
            }
        }));
        threads.back()->start();
    }
    for (const auto &thread : threads)
        QVERIFY(thread->wait(30000));
    QCOMPARE(torn.load(), 0);
}

QTEST_GUILESS_MAIN(ArtifactCacheTest)
#include "tst_artifactcache.moc"
