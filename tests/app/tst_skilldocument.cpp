#include "fakehome.h"
#include "memorystore.h"
#include "modelcontext.h"
#include "skill.h"
#include "skilldocument.h"
#include "skillrecords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTest>

#include <unistd.h>

using namespace Qt::StringLiterals;
using Answer = SkillDocument::Answer;
using Question = SkillDocument::Question;

// The editor's file side without a window: what is written, when it asks,
// and that unsaved text survives whatever happens to the record or the file.
class SkillDocumentTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void conflictCheck_data();
    void conflictCheck();
    void savesExactly_data();
    void savesExactly();
    void recordFollowsSave_data();
    void recordFollowsSave();
    void hardLinkedFileKeepsEveryName_data();
    void hardLinkedFileKeepsEveryName();
    void changedOnDisk_data();
    void changedOnDisk();
    void caretFollowsItsText_data();
    void caretFollowsItsText();
    void movedRecordKeepsText_data();
    void movedRecordKeepsText();
    void removedRecordKeepsText();
    void removedRecordWithoutEdits();

private:
    Skill *addSkill(const QString &relative, const QByteArray &bytes);
    void open(SkillDocument &document, Skill *skill);
    static QByteArray bytes(const QString &path) { return FakeHome::read(path); }
    static void replaceByRename(const QString &path, const QByteArray &bytes)
    {
        QSaveFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        QVERIFY(out.commit());
    }

    std::unique_ptr<FakeHome> m_home;
    std::unique_ptr<ModelContext> m_store;
    QList<Question> m_asked;
    QList<Answer> m_answers; // given in order; Cancel when they run out
};

void SkillDocumentTest::init()
{
    m_home = std::make_unique<FakeHome>(FakeHome::Store::Memory);
    QVERIFY(m_home->isValid());
    m_store = openMemoryStore();
    QVERIFY(m_store);
    m_asked.clear();
    m_answers.clear();
}

void SkillDocumentTest::cleanup()
{
    m_store.reset();
    m_home.reset();
}

Skill *SkillDocumentTest::addSkill(const QString &relative, const QByteArray &content)
{
    Skill::Seed seed = skillSeed(m_home->write(relative, content), u"skill"_s);
    seed.content = u"stored body"_s;
    Skill *skill = ::addSkill(*m_store, seed);
    return skill && m_store->save() ? skill : nullptr;
}

void SkillDocumentTest::open(SkillDocument &document, Skill *skill)
{
    document.setAsker([this](Question question, const QString &) {
        m_asked << question;
        return m_answers.isEmpty() ? Answer::Cancel : m_answers.takeFirst();
    });
    document.setSkill(skill);
}

void SkillDocumentTest::conflictCheck_data()
{
    QTest::addColumn<bool>("changeOnDisk");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QByteArray>("onDisk");
    QTest::addColumn<QString>("baseline");
    QTest::addColumn<bool>("modified");
    QTest::newRow("unchanged: written, nothing asked")
        << false << Answer::Cancel << QByteArray("mine") << u"mine"_s << false;
    QTest::newRow("changed, overwrite")
        << true << Answer::Proceed << QByteArray("mine") << u"mine"_s << false;
    QTest::newRow("changed, reload")
        << true << Answer::Alternative << QByteArray("theirs") << u"theirs"_s << false;
    QTest::newRow("changed, cancel")
        << true << Answer::Cancel << QByteArray("theirs") << u"base"_s << true;
}

void SkillDocumentTest::conflictCheck()
{
    QFETCH(bool, changeOnDisk);
    QFETCH(Answer, answer);
    QFETCH(QByteArray, onDisk);
    QFETCH(QString, baseline);
    QFETCH(bool, modified);
    Skill *skill = addSkill(u"a/SKILL.md"_s, "base");
    SkillDocument document;
    open(document, skill);
    document.setModified(true);
    if (changeOnDisk)
        replaceByRename(skill->filePath(), "theirs");
    m_answers << answer;

    const Result<bool> saved = document.save(u"mine"_s);
    QVERIFY(saved);
    QCOMPARE(saved.value(), onDisk == "mine");
    QCOMPARE(m_asked.size(), changeOnDisk ? 1 : 0);
    QCOMPARE(bytes(skill->filePath()), onDisk);
    QCOMPARE(document.baseline(), baseline);
    QCOMPARE(document.isModified(), modified);
}

void SkillDocumentTest::savesExactly_data()
{
    QTest::addColumn<QByteArray>("before"); // saved with "Z" added at the end
    QTest::newRow("lf") << QByteArray("---\nname: a\n---\n");
    QTest::newRow("bom and crlf kept") << QByteArray("\xEF\xBB\xBF---\r\nname: a\r\n---\r\n");
    QTest::newRow("stray cr kept") << QByteArray("a\rb\r\nc\n");
    QTest::newRow("utf-8 and nbsp") << QByteArray("caf\xC3\xA9\xC2\xA0\xF0\x9F\x98\x80");
}

void SkillDocumentTest::savesExactly()
{
    QFETCH(QByteArray, before);
    Skill *skill = addSkill(u"a/SKILL.md"_s, before);
    SkillDocument document;
    open(document, skill);
    QVERIFY(!document.baseline().startsWith(QChar::ByteOrderMark));
    QVERIFY(!document.baseline().contains(u'\r')); // the editor never shows them
    QVERIFY(document.save(document.baseline() + u"Z"_s).value());
    QCOMPARE(bytes(skill->filePath()), before + "Z");
    QVERIFY(m_asked.isEmpty());
    // The record's fields never hold the mark: the frontmatter still parses.
    // A CR LF file has no frontmatter to the parser, for a scan as for a save.
    if (before.contains("name"))
        QCOMPARE(skill->name(), before.contains('\r') ? u"skill"_s : u"a"_s);
    QVERIFY(!skill->content().startsWith(QChar::ByteOrderMark));
}

void SkillDocumentTest::recordFollowsSave_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("content");
    QTest::addColumn<int>("keys");
    QTest::newRow("rename") << u"---\nname: renamed\ndescription: new\nlicense: MIT\n---\n# Body"_s
                            << u"renamed"_s << u"new"_s << u"# Body"_s << 3;
    QTest::newRow("empty name keeps the old")
        << u"---\nname:\ndescription: d\n---\nx"_s << u"skill"_s << u"d"_s << u"x"_s << 2;
    QTest::newRow("no frontmatter")
        << u"# Agents\nRules"_s << u"skill"_s << QString() << u"# Agents\nRules"_s << 0;
}

void SkillDocumentTest::recordFollowsSave()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(QString, content);
    QFETCH(int, keys);
    Skill *skill = addSkill(u"a/SKILL.md"_s, "---\nname: a\n---\n");
    SkillDocument document;
    open(document, skill);
    QVERIFY(document.save(text).value());
    QCOMPARE(skill->name(), name);
    QCOMPARE(skill->skillDescription(), description);
    QCOMPARE(skill->content(), content);
    QCOMPARE(skill->frontmatter().size(), keys);
    // The metadata bar shows the file as written: its new size, and "now".
    const QFileInfo written(skill->filePath());
    QCOMPARE(skill->fileSize(), written.size());
    QCOMPARE(skill->fileModifiedDate(), written.lastModified().toUTC());
}

void SkillDocumentTest::hardLinkedFileKeepsEveryName_data()
{
    QTest::addColumn<bool>("otherNameChanged");
    QTest::newRow("both names get the text") << false;
    QTest::newRow("a change through the other name is a conflict") << true;
}

void SkillDocumentTest::hardLinkedFileKeepsEveryName()
{
    QFETCH(bool, otherNameChanged);
    Skill *skill = addSkill(u"a/SKILL.md"_s, "old");
    const QString other = m_home->path(u"other.md"_s);
    QCOMPARE(::link(QFile::encodeName(skill->filePath()).constData(),
                 QFile::encodeName(other).constData()),
        0);
    SkillDocument document;
    open(document, skill);
    if (otherNameChanged) {
        QFile out(other);
        QVERIFY(out.open(QIODevice::WriteOnly)); // in place: the names stay one file
        out.write("theirs");
    }
    m_answers << Answer::Proceed;

    QVERIFY(document.save(u"new text"_s).value());
    QCOMPARE(m_asked.size(), otherNameChanged ? 1 : 0);
    QCOMPARE(bytes(skill->filePath()), QByteArray("new text"));
    QCOMPARE(bytes(other), QByteArray("new text"));
    // A second save still sees one file, not two.
    QVERIFY(document.save(u"newer"_s).value());
    QCOMPARE(bytes(other), QByteArray("newer"));
}

void SkillDocumentTest::changedOnDisk_data()
{
    QTest::addColumn<bool>("modified");
    QTest::addColumn<bool>("byRename");
    QTest::newRow("no edits, replaced by rename: reloaded") << false << true;
    QTest::newRow("no edits, written in place: reloaded") << false << false;
    QTest::newRow("edits: kept, and said") << true << true;
}

void SkillDocumentTest::changedOnDisk()
{
    QFETCH(bool, modified);
    QFETCH(bool, byRename);
    Skill *skill = addSkill(u"a/SKILL.md"_s, "one\n");
    SkillDocument document;
    open(document, skill);
    document.setModified(modified);
    QSignalSpy loaded(&document, &SkillDocument::loaded);

    // Through the real folder events; a second change checks the watch
    // outlived the first replacement.
    for (const QByteArray &text : { QByteArray("two\n"), QByteArray("three\n") }) {
        if (byRename) {
            replaceByRename(skill->filePath(), text);
        } else {
            QFile out(skill->filePath());
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(text);
        }
        if (modified) {
            QTRY_VERIFY(document.notice().contains(u"changed on disk"_s));
        } else {
            QTRY_COMPARE(document.baseline(), QString::fromUtf8(text));
        }
    }
    if (modified) {
        QCOMPARE(loaded.count(), 0);
        QCOMPARE(document.baseline(), u"one\n"_s);
        QVERIFY(document.isModified());
    } else {
        QVERIFY(!document.isModified());
        // Its own save is no change from elsewhere.
        const qsizetype before = loaded.count();
        QVERIFY(document.save(u"four\n"_s).value());
        QTest::qWait(200);
        QCOMPARE(loaded.count(), before);
    }
}

void SkillDocumentTest::caretFollowsItsText_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("expected");
    QTest::newRow("line added above") << u"a\nbc\n"_s << u"new\na\nbc\n"_s << 3 << 7;
    QTest::newRow("change below") << u"a\nbc\n"_s << u"a\nbc\nmore\n"_s << 3 << 3;
    QTest::newRow("line removed above") << u"x\na\nbc"_s << u"a\nbc"_s << 5 << 3;
    QTest::newRow("inside the changed stretch") << u"abcdef"_s << u"abXf"_s << 4 << 3;
    QTest::newRow("other text, longer") << u"abc"_s << u"xyzxyz"_s << 2 << 2;
    QTest::newRow("other text, shorter") << u"abcdef"_s << u"xy"_s << 5 << 2;
    QTest::newRow("past the end") << u"abc"_s << u"abc"_s << 9 << 3;
}

void SkillDocumentTest::caretFollowsItsText()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(int, position);
    QFETCH(int, expected);
    QCOMPARE(SkillDocument::followEdit(before, after, position), expected);
}

void SkillDocumentTest::movedRecordKeepsText_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QByteArray>("oldFile");
    QTest::addColumn<QByteArray>("newFile");
    QTest::addColumn<QString>("recordName");
    QTest::newRow("to the new place") << Answer::Proceed << QByteArray("<missing>")
                                      << QByteArray("---\nname: mine\n---\n") << u"mine"_s;
    QTest::newRow("where it was") << Answer::Alternative << QByteArray("---\nname: mine\n---\n")
                                  << QByteArray("---\nname: b\n---\n") << u"skill"_s;
    QTest::newRow("cancel") << Answer::Cancel << QByteArray("<missing>")
                            << QByteArray("---\nname: b\n---\n") << u"skill"_s;
}

void SkillDocumentTest::movedRecordKeepsText()
{
    QFETCH(Answer, answer);
    QFETCH(QByteArray, oldFile);
    QFETCH(QByteArray, newFile);
    QFETCH(QString, recordName);
    Skill *skill = addSkill(u"a/SKILL.md"_s, "---\nname: b\n---\n");
    const QString oldPath = skill->filePath();
    const QString newPath = m_home->write(u"b/SKILL.md"_s, "---\nname: b\n---\n");
    SkillDocument document;
    open(document, skill);
    document.setModified(true);
    QSignalSpy loaded(&document, &SkillDocument::loaded);

    // A prune: the route the text came from is gone, the record moves on.
    QVERIFY(QDir(QFileInfo(oldPath).absolutePath()).removeRecursively());
    skill->setFilePath(newPath);
    QCOMPARE(loaded.count(), 0);
    QVERIFY(document.isModified());
    QVERIFY(document.notice().contains(QDir::toNativeSeparators(newPath)));

    m_answers << answer;
    const Result<bool> saved = document.save(u"---\nname: mine\n---\n"_s);
    QVERIFY(saved);
    QCOMPARE(saved.value(), answer != Answer::Cancel);
    QCOMPARE(m_asked, QList<Question> { Question::FileMoved }); // nothing else to confirm
    QCOMPARE(bytes(oldPath), oldFile);
    QCOMPARE(bytes(newPath), newFile);
    QCOMPARE(skill->name(), recordName);
    QCOMPARE(document.isModified(), answer == Answer::Cancel);
}

void SkillDocumentTest::removedRecordKeepsText()
{
    Skill *skill = addSkill(u"a/SKILL.md"_s, "---\nname: a\n---\n");
    const QString path = skill->filePath();
    SkillDocument document;
    open(document, skill);
    document.setModified(true);
    QSignalSpy target(&document, &SkillDocument::targetChanged);

    QVERIFY(QDir(QFileInfo(path).absolutePath()).removeRecursively());
    m_store->remove(skill);
    QVERIFY(m_store->save());
    QVERIFY(document.isOrphaned());
    QVERIFY(document.hasTarget());
    QCOMPARE(target.count(), 1);
    QVERIFY(!document.skill());
    QCOMPARE(document.name(), u"skill"_s);
    QVERIFY(document.notice().contains(QDir::toNativeSeparators(path)));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the record goes
    QVERIFY(document.hasTarget());

    // Saved where it was, its folder made again; nothing to ask.
    QVERIFY(document.save(u"kept text"_s).value());
    QVERIFY(m_asked.isEmpty());
    QCOMPARE(bytes(path), QByteArray("kept text"));
    QVERIFY(!document.isModified());
    QCOMPARE(m_store->skillCount(), 0);
}

void SkillDocumentTest::removedRecordWithoutEdits()
{
    Skill *skill = addSkill(u"a/SKILL.md"_s, "text");
    SkillDocument document;
    open(document, skill);
    QSignalSpy target(&document, &SkillDocument::targetChanged);
    m_store->remove(skill);
    QVERIFY(m_store->save());
    QCOMPARE(target.count(), 1);
    QVERIFY(!document.hasTarget());
    QVERIFY(document.baseline().isEmpty());
    QVERIFY(!document.save(u"x"_s).value());
}

QTEST_GUILESS_MAIN(SkillDocumentTest)
#include "tst_skilldocument.moc"
