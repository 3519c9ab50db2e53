#include "fakehome.h"
#include "memorystore.h"
#include "skillcreator.h"
#include "skillrecords.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTest>

#include <cerrno>
#include <memory>

#include <unistd.h>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ToolSource)

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every entry under root, hidden ones too, relative to it.
QStringList entriesUnder(const QString &root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
        QDirIterator::Subdirectories);
    while (it.hasNext())
        entries.append(QDir(root).relativeFilePath(it.next()));
    entries.sort();
    return entries;
}

} // namespace

class SkillCreatorTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void folderName_data();
    void folderName();
    void templatesAreExact_data();
    void templatesAreExact();
    void createsForEveryTool_data();
    void createsForEveryTool();
    void refusesNamesAndDuplicates();
    void folderFailureNamesThePlatformError();
    void readOnlyPlacesFail();
    void neverReplacesWhatAppeared();
    void storeFailureKeepsFileAndRecord();
    void staleRecordIsReused();

private:
    Result<Skill *> create(const QString &name, ToolSource tool)
    {
        return SkillCreator::createSkill(name, tool, *m_store, m_home->path());
    }

    std::unique_ptr<FakeHome> m_home;
    std::unique_ptr<ModelContext> m_store;
};

void SkillCreatorTest::init()
{
    m_store.reset();
    m_home = std::make_unique<FakeHome>(FakeHome::Store::Memory);
    m_store = openMemoryStore();
    QVERIFY(m_store);
}

void SkillCreatorTest::folderName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("folder");
    QTest::newRow("words") << u"Pdf Tools"_s << u"pdf-tools"_s;
    QTest::newRow("punctuation dropped") << u"My Tool!"_s << u"my-tool"_s;
    QTest::newRow("only punctuation") << u"!!!"_s << QString();
    QTest::newRow("spaces become hyphens, untrimmed") << u"  "_s << u"--"_s;
    QTest::newRow("accents kept") << u"Café Menu"_s << u"café-menu"_s;
    QTest::newRow("decomposed accent kept whole") << u"Cafe\u0301"_s << u"cafe\u0301"_s;
    QTest::newRow("sharp s") << u"Straße ß"_s << u"straße-ß"_s;
    QTest::newRow("CJK") << u"日本語 スキル"_s << u"日本語-スキル"_s;
    QTest::newRow("digits of other scripts") << u"v٣"_s << u"v٣"_s;
    QTest::newRow("underscore, dot and tab") << u"a_b.c\td"_s << u"abcd"_s;
    QTest::newRow("slash") << u"a/b"_s << u"ab"_s;
    QTest::newRow("parent folder") << u".."_s << QString();
    QTest::newRow("climbing path") << u"../../etc"_s << u"etc"_s;
    QTest::newRow("backslash") << u"..\\x"_s << u"x"_s;
    QTest::newRow("NUL") << QString::fromUtf16(u"a\0b", 3) << u"ab"_s;
    QTest::newRow("control characters") << u"a\nb\rc\u001b"_s << u"abc"_s;
    // A letter that joins with the character after it must not carry a "/" along.
    QTest::newRow("prepended letter before slash") << u"\u0D4E/x"_s << u"\u0D4Ex"_s;
    QTest::newRow("fullwidth solidus") << u"a\uFF0Fb"_s << u"ab"_s;
}

void SkillCreatorTest::folderName()
{
    QFETCH(QString, name);
    QFETCH(QString, folder);
    const QString made = SkillCreator::folderName(name);
    QCOMPARE(made, folder);
    QVERIFY(!made.contains(u'/') && !made.contains(QChar(0)) && !made.contains(u'.'));
}

void SkillCreatorTest::templatesAreExact_data()
{
    QTest::addColumn<ToolSource>("tool");
    QTest::addColumn<QString>("text");
    const QString frontmatter
        = u"---\nname: pdf-tools!\ndescription: Pdf Tools!\n---\n\n# Pdf Tools!"_s;
    const QString instructions = u"\n\n## Instructions\n\nAdd your skill instructions here."_s;
    const QList<std::pair<QList<ToolSource>, QString>> families = {
        { { ToolSource::Claude, ToolSource::Cursor },
            frontmatter + u"\n\n## When to Use\n\n- Describe when this skill should be activated"_s
                + instructions },
        { { ToolSource::Codex, ToolSource::Amp }, u"# Pdf Tools!"_s + instructions },
        { { ToolSource::Windsurf, ToolSource::Copilot, ToolSource::Aider, ToolSource::Custom },
            frontmatter + u"\n\nAdd your skill instructions here."_s },
    };
    for (const auto &[tools, text] : families) {
        for (ToolSource tool : tools)
            QTest::newRow(qPrintable(ToolSources::rawValue(tool))) << tool << text;
    }
}

void SkillCreatorTest::templatesAreExact()
{
    QFETCH(ToolSource, tool);
    QFETCH(QString, text);
    QCOMPARE(SkillCreator::skillTemplate(u"Pdf Tools!"_s, tool), text);
}

void SkillCreatorTest::createsForEveryTool_data()
{
    QTest::addColumn<ToolSource>("tool");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("file"); // relative to the home folder
    QTest::addColumn<bool>("isDirectory");
    QTest::newRow("claude") << ToolSource::Claude << u" Pdf Tools "_s
                            << u".claude/skills/-pdf-tools-/SKILL.md"_s << true;
    QTest::newRow("cursor, accents")
        << ToolSource::Cursor << u"Café Menu"_s << u".cursor/skills/café-menu/SKILL.md"_s << true;
    QTest::newRow("windsurf, name not in path")
        << ToolSource::Windsurf << u"ß"_s << u".codeium/windsurf/memories/SKILL.md"_s << true;
    QTest::newRow("codex") << ToolSource::Codex << u"Any"_s << u".codex/AGENTS.md"_s << false;
    QTest::newRow("copilot, CJK") << ToolSource::Copilot << u"日本語"_s
                                  << u".claude/skills/日本語/SKILL.md"_s << true;
    QTest::newRow("aider") << ToolSource::Aider << u"My Tool!"_s
                           << u".claude/skills/my-tool/SKILL.md"_s << true;
    QTest::newRow("amp") << ToolSource::Amp << u"Any"_s << u".config/amp/AGENTS.md"_s << false;
    QTest::newRow("gemini, into the shared folder")
        << ToolSource::Gemini << u"Any"_s << u".agents/skills/any/SKILL.md"_s << true;
    QTest::newRow("kiro") << ToolSource::Kiro << u"Any"_s << u".kiro/skills/any/SKILL.md"_s << true;
    QTest::newRow("custom") << ToolSource::Custom << u"x"_s << u".claude/skills/x/SKILL.md"_s
                            << true;
}

void SkillCreatorTest::createsForEveryTool()
{
    QFETCH(ToolSource, tool);
    QFETCH(QString, name);
    QFETCH(QString, file);
    QFETCH(bool, isDirectory);

    const Result<Skill *> created = create(name, tool);
    QVERIFY2(created, qPrintable(created ? QString() : created.error().message));
    const Skill *skill = created.value();
    const QString path = m_home->path(file);
    const QString text = SkillCreator::skillTemplate(name, tool);
    QCOMPARE(readAll(path), text.toUtf8());
    QCOMPARE(entriesUnder(m_home->path()).filter(u".quire-new"_s), QStringList()); // no leftovers

    QCOMPARE(skill->filePath(), path);
    QCOMPARE(skill->resolvedPath(), path);
    QCOMPARE(skill->isDirectory(), isDirectory);
    QCOMPARE(skill->name(), name); // as typed, capitals and blanks kept
    const bool frontmatter = tool != ToolSource::Codex && tool != ToolSource::Amp;
    QCOMPARE(skill->skillDescription(), frontmatter ? name.trimmed() : QString());
    QCOMPARE(skill->frontmatter().value(u"name"_s),
        frontmatter ? SkillCreator::frontmatterSlug(name) : QString());
    QCOMPARE(skill->toolSources(), QList<ToolSource> { tool });
    QCOMPARE(skill->installedPaths(), QStringList { path });
    QVERIFY(skill->isGlobal());
    QVERIFY(!skill->isFavorite());
    QCOMPARE(skill->fileSize(), qint64(text.toUtf8().size())); // bytes, as a scan stores them
    QVERIFY(!m_store->hasChanges()); // saved
    QCOMPARE(m_store->skillByResolvedPath(path), skill);
}

void SkillCreatorTest::refusesNamesAndDuplicates()
{
    for (const QString &name : { u"!!!"_s, u"two\nlines"_s, u"nul\u0000"_s }) {
        const Result<Skill *> refused = create(name, ToolSource::Claude);
        QVERIFY(!refused);
        QCOMPARE(refused.error().message, SkillCreator::invalidNameMessage());
    }
    QCOMPARE(entriesUnder(m_home->path()), QStringList()); // nothing touched

    QVERIFY(create(u"Pdf"_s, ToolSource::Claude));
    const QString first = m_home->path(u".claude/skills/pdf/SKILL.md"_s);
    m_home->write(u".claude/skills/pdf/SKILL.md"_s, "edited by the user");
    const Result<Skill *> again = create(u"PDF"_s, ToolSource::Claude);
    QVERIFY(!again);
    QCOMPARE(again.error().message, u"A skill with this name already exists"_s);
    QCOMPARE(readAll(first), QByteArray("edited by the user"));

    // One fixed file per tool: the name does not matter.
    QVERIFY(create(u"One"_s, ToolSource::Codex));
    const Result<Skill *> other = create(u"Two"_s, ToolSource::Codex);
    QVERIFY(!other);
    QCOMPARE(other.error().message, u"A skill with this name already exists"_s);
    QCOMPARE(m_store->skillCount(), 2);
}

void SkillCreatorTest::folderFailureNamesThePlatformError()
{
    // A file where the tool's folder should be: the platform refuses with ENOTDIR.
    m_home->write(u".claude"_s, "not a folder");
    const Result<Skill *> refused = create(u"Pdf"_s, ToolSource::Claude);
    QVERIFY(!refused);
    QVERIFY2(refused.error().message.contains(qt_error_string(ENOTDIR)),
        qPrintable(refused.error().message));
    QVERIFY(refused.error().message.contains(m_home->path(u".claude/skills/pdf"_s)));
    QCOMPARE(entriesUnder(m_home->path()), QStringList { u".claude"_s });
    QCOMPARE(readAll(m_home->path(u".claude"_s)), QByteArray("not a folder"));
    QCOMPARE(m_store->skillCount(), 0);
}

void SkillCreatorTest::readOnlyPlacesFail()
{
    if (::geteuid() == 0)
        QSKIP("Permissions do not stop root.");
    // A read-only home: the folder cannot be made.
    QFile::setPermissions(m_home->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const Result<Skill *> noFolder = create(u"Pdf"_s, ToolSource::Claude);
    QFile::setPermissions(
        m_home->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY(!noFolder);
    QVERIFY(noFolder.error().message.contains(qt_error_string(EACCES)));
    QCOMPARE(entriesUnder(m_home->path()), QStringList());

    // A read-only tool folder: it stays, the write fails, nothing is left behind.
    const QString codex = m_home->path(u".codex"_s);
    QVERIFY(QDir().mkpath(codex));
    QFile::setPermissions(codex, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const Result<Skill *> noWrite = create(u"Agents"_s, ToolSource::Codex);
    QFile::setPermissions(
        codex, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY(!noWrite);
    QVERIFY(noWrite.error().message.contains(qt_error_string(EACCES)));
    QCOMPARE(entriesUnder(m_home->path()), QStringList { u".codex"_s });
    QCOMPARE(m_store->skillCount(), 0);
}

void SkillCreatorTest::neverReplacesWhatAppeared()
{
    // What the exists test cannot see: a file or a link arriving just before the write.
    const QString folder = m_home->path(u"skills"_s);
    QVERIFY(QDir().mkpath(folder));
    const QString existing = folder + u"/SKILL.md"_s;
    m_home->write(u"skills/SKILL.md"_s, "theirs");
    const Status onFile = SkillCreator::writeNewFile(existing, "ours");
    QVERIFY(!onFile);
    QCOMPARE(onFile.error().message, SkillCreator::duplicateMessage());
    QCOMPARE(readAll(existing), QByteArray("theirs"));

    const QString link = folder + u"/AGENTS.md"_s;
    const QString outside = m_home->path(u"outside.md"_s);
    QVERIFY(QFile::link(outside, link)); // dangling
    QVERIFY(!SkillCreator::writeNewFile(link, "ours"));
    QVERIFY(!QFile::exists(outside));

    QCOMPARE(entriesUnder(folder), (QStringList { u"AGENTS.md"_s, u"SKILL.md"_s }));
    QVERIFY(SkillCreator::writeNewFile(folder + u"/new.md"_s, "ours"));
    QCOMPARE(readAll(folder + u"/new.md"_s), QByteArray("ours"));
}

void SkillCreatorTest::storeFailureKeepsFileAndRecord()
{
    // A pending change the store will refuse makes the next save fail.
    QVERIFY(addSkill(*m_store, skillSeed(u"/elsewhere/a.md"_s)));
    Skill *blocker = addSkill(*m_store, skillSeed(u"/elsewhere/b.md"_s));
    QVERIFY(blocker);
    QVERIFY(m_store->save());
    blocker->setResolvedPath(u"/elsewhere/a.md"_s);

    const Result<Skill *> created = create(u"Pdf"_s, ToolSource::Claude);
    QVERIFY(!created);
    QVERIFY(!created.error().message.isEmpty());
    const QString path = m_home->path(u".claude/skills/pdf/SKILL.md"_s);
    QVERIFY(QFile::exists(path));
    QVERIFY(m_store->skillByResolvedPath(path));
    QVERIFY(m_store->hasChanges());
}

void SkillCreatorTest::staleRecordIsReused()
{
    // The file went away outside Quire; its record waits for the next prune.
    const QString path = m_home->path(u".claude/skills/pdf/SKILL.md"_s);
    Skill *stale = addSkill(*m_store, skillSeed(path, u"old"_s, ToolSource::Cursor));
    QVERIFY(stale);
    stale->setIsFavorite(true);
    QVERIFY(m_store->save());

    const Result<Skill *> created = create(u"Pdf"_s, ToolSource::Claude);
    QVERIFY(created);
    QCOMPARE(created.value(), stale);
    QCOMPARE(m_store->skillCount(), 1);
    QCOMPARE(stale->name(), u"Pdf"_s);
    QCOMPARE(stale->toolSources(), QList<ToolSource> { ToolSource::Claude });
    QVERIFY(stale->isFavorite()); // the user's mark stays
    QVERIFY(!m_store->hasChanges());
}

QTEST_GUILESS_MAIN(SkillCreatorTest)
#include "tst_skillcreator.moc"
