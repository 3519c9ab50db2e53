#include "fakehome.h"
#include "memorystore.h"
#include "quirerun.h"
#include "skillhistory.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

// history, diff and restore as a user runs them, also for a file that is
// gone, and a history that stays whole while the window and a terminal
// write the store at once.
class HistoryCommandTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void historyDiffRestore();
    void errors_data();
    void errors();
    void windowAndTerminalWriteAtOnce();

private:
    void rewrite(const QByteArray &bytes) const;
    QJsonArray history() const;

    std::unique_ptr<FakeHome> m_home;
    QString m_file;
};

namespace {

const QByteArray first = "---\nname: pdf\ndescription: Reads PDFs\n---\n\n# PDF\nOne two three.\n";
const QByteArray second = "---\nname: pdf\ndescription: Reads PDFs\n---\n\n# PDF\nOne 2 three.\n";

} // namespace

void HistoryCommandTest::init()
{
    m_home = std::make_unique<FakeHome>();
    m_file = m_home->write(u".claude/skills/pdf/SKILL.md"_s, first);
    QVERIFY(FakeHome::age(m_file));
    QCOMPARE(m_home->quire({ u"scan"_s }).code, 0);
}

void HistoryCommandTest::rewrite(const QByteArray &bytes) const
{
    QFile out(m_file);
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(bytes);
    out.close();
    QVERIFY(FakeHome::age(m_file)); // settled: a scan reads it without doubt
}

QJsonArray HistoryCommandTest::history() const
{
    const QuireRun run = m_home->quire({ u"history"_s, m_file, u"--json"_s });
    if (run.code != 0)
        qWarning() << run.err;
    return QJsonDocument::fromJson(run.out).array();
}

void HistoryCommandTest::historyDiffRestore()
{
    QCOMPARE(history(), QJsonArray()); // a first sighting copies nothing
    rewrite(second);
    QCOMPARE(m_home->quire({ u"scan"_s }).code, 0);

    const QJsonArray versions = history();
    QCOMPARE(versions.size(), 2);
    const QJsonObject newest = versions.at(0).toObject();
    QCOMPARE(newest.keys(),
        (QStringList { u"hash"_s, u"size"_s, u"source"_s, u"time"_s, u"version"_s }));
    QCOMPARE(newest.value(u"source"_s).toString(), u"Changed on disk"_s);
    QCOMPARE(newest.value(u"size"_s).toInteger(), second.size());
    QCOMPARE(newest.value(u"hash"_s).toString(), SkillHistory::hashOf(QString::fromUtf8(second)));
    static const QRegularExpression iso(u"^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z$"_s);
    QVERIFY(iso.match(newest.value(u"time"_s).toString()).hasMatch());
    const QString oldId
        = QString::number(versions.at(1).toObject().value(u"version"_s).toInteger());
    const QString newId = QString::number(newest.value(u"version"_s).toInteger());

    // No version: the last change. One: against the current text. Two: between them.
    const QuireRun last = m_home->quire({ u"diff"_s, m_file });
    QCOMPARE(last.code, 0);
    QVERIFY2(last.out.contains("\n-One two three.\n+One 2 three.\n"), last.out.constData());
    QCOMPARE(m_home->quire({ u"diff"_s, m_file, oldId, newId }).out, last.out);
    QCOMPARE(m_home->quire({ u"diff"_s, m_file, newId }).out, QByteArray());

    // Written back while the record is gone: the file returns, and so does its record.
    QVERIFY(QFile::remove(m_file));
    QVERIFY(QDir().rmdir(QFileInfo(m_file).path()));
    QCOMPARE(m_home->quire({ u"scan"_s, u"--prune"_s }).code, 0);
    QCOMPARE(m_home->quire({ u"show"_s, m_file }).code, 1);
    const QuireRun restored = m_home->quire({ u"restore"_s, m_file, oldId });
    QVERIFY2(restored.code == 0, restored.err.constData());
    QCOMPARE(FakeHome::read(m_file), first);
    QCOMPARE(m_home->quire({ u"show"_s, m_file }).code, 0);
    QCOMPARE(history().at(0).toObject().value(u"source"_s).toString(), u"Restored"_s);
    QCOMPARE(history().size(), 3);
}

void HistoryCommandTest::errors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("says");
    QTest::newRow("unknown file") << QStringList { u"history"_s, u"/nowhere/SKILL.md"_s } << 1
                                  << QByteArray("knows no skill file");
    QTest::newRow("version that is not a number")
        << QStringList { u"diff"_s, u"FILE"_s, u"x"_s } << 2 << QByteArray("not a version");
    QTest::newRow("version of another file")
        << QStringList { u"restore"_s, u"FILE"_s, u"999"_s } << 1 << QByteArray("no version");
    QTest::newRow("restore without a version")
        << QStringList { u"restore"_s, u"FILE"_s } << 2 << QByteArray("VERSION");
}

void HistoryCommandTest::errors()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QByteArray, says);
    arguments.replaceInStrings(u"FILE"_s, m_file);
    const QByteArray before = FakeHome::read(m_file);
    const QuireRun run = m_home->quire(arguments);
    QCOMPARE(run.code, code);
    QVERIFY2(run.err.toLower().contains(says.toLower()), run.err.constData());
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(FakeHome::read(m_file), before);
}

void HistoryCommandTest::windowAndTerminalWriteAtOnce()
{
    // The window's store edits one skill again and again while terminal
    // scans record another skill's changes into the same file.
    const QString other = m_home->write(u".claude/skills/other/SKILL.md"_s, "Other 0\n");
    QVERIFY(FakeHome::age(other));
    // Settled for good, so the scans below trust the window's skill and leave it alone.
    QTest::qWait(2100);
    QCOMPARE(m_home->quire({ u"scan"_s }).code, 0);
    auto window = openStoreAt(m_home->storePath());
    QVERIFY(window);
    Skill *skill = window->skillByResolvedPath(QFileInfo(m_file).canonicalFilePath());
    QVERIFY(skill);

    constexpr int rounds = 8;
    QStringList edits;
    for (int i = 0; i < rounds; ++i) {
        QFile out(other);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write("Other " + QByteArray::number(i + 1) + "\n");
        out.close();
        QVERIFY(FakeHome::age(other, 3600 - i));
        QProcess scan;
        scan.setProcessEnvironment(m_home->environment());
        scan.start(quireBinary(), { u"scan"_s });
        QVERIFY(scan.waitForStarted());
        for (int j = 0; j < 3; ++j) {
            edits.append(u"Edit %1.%2\n"_s.arg(i).arg(j));
            skill->setContent(edits.last());
            skill->setFileText(edits.last());
            skill->setVersionSource(VersionSource::EditedInQuire);
            QVERIFY(window->save());
        }
        QVERIFY(scan.waitForFinished(60000));
        QCOMPARE(scan.exitCode(), 0);
    }

    QVERIFY(window->refresh());
    const QList<SkillVersion> mine
        = window->history().versions(QFileInfo(m_file).canonicalFilePath()).value();
    QCOMPARE(mine.size(), edits.size() + 1); // every edit, and the text they replaced
    for (int i = 0; i < edits.size(); ++i) {
        QCOMPARE(mine.at(i).source, VersionSource::EditedInQuire);
        QCOMPARE(window->history().text(mine.at(i).id).value(), edits.at(edits.size() - 1 - i));
    }
    const QList<SkillVersion> theirs
        = window->history().versions(QFileInfo(other).canonicalFilePath()).value();
    QCOMPARE(theirs.size(), rounds + 1);
    QCOMPARE(window->history().text(theirs.first().id).value(), u"Other %1\n"_s.arg(rounds));
}

QTEST_GUILESS_MAIN(HistoryCommandTest)
#include "tst_historycommand.moc"
