#include "fakehome.h"
#include "lineendings.h"
#include "skillfile.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

class SkillFileTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void roundTrip_data();
    void roundTrip();
    void writesThroughLinks_data();
    void writesThroughLinks();
    void keepsPermissions_data();
    void keepsPermissions();
    void failedWriteLeavesFile();
    void snapshotSeesOtherWriters();
    void lineEndings_data();
    void lineEndings();

private:
    QString path(const QString &name) const { return m_home->path(name); }
    static QByteArray bytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }
    std::unique_ptr<FakeHome> m_home;
};

void SkillFileTest::init()
{
    m_home = std::make_unique<FakeHome>(FakeHome::Store::Memory);
}

void SkillFileTest::roundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("frontmatter") << u"---\nname: x\n---\n\n# X\n"_s;
    QTest::newRow("crlf") << u"---\r\nname: x\r\n---\r\nbody\r\n"_s;
    QTest::newRow("unicode") << u"Café 😀 ß 中文\nno final newline"_s;
    QTest::newRow("nbsp and separators") << u"a\u00a0b\u2028c"_s;
}

void SkillFileTest::roundTrip()
{
    QFETCH(QString, text);
    const QString file = path(u"SKILL.md"_s);
    QVERIFY(SkillFile::save(file, u"old"_s));
    const Result<SkillFile::Snapshot> saved = SkillFile::save(file, text);
    QVERIFY(saved);
    QCOMPARE(bytes(file), text.toUtf8()); // no byte-order mark, endings as given
    const SkillFile::Loaded loaded = SkillFile::load(file);
    QVERIFY(loaded.text);
    QCOMPARE(loaded.text.value(), text);
    QCOMPARE(loaded.snapshot, saved.value());
}

void SkillFileTest::writesThroughLinks_data()
{
    QTest::addColumn<QString>("link"); // relative to the temporary folder
    QTest::addColumn<QString>("linkTo"); // what the link names
    QTest::addColumn<QString>("real"); // the file that must receive the text
    QTest::addColumn<bool>("realExists");
    QTest::newRow("linked file") << u"SKILL.md"_s << u"real/SKILL.md"_s << u"real/SKILL.md"_s
                                 << true;
    QTest::newRow("relative link")
        << u"SKILL.md"_s << u"./real/SKILL.md"_s << u"real/SKILL.md"_s << true;
    QTest::newRow("link to link") << u"SKILL.md"_s << u"hop.md"_s << u"real/SKILL.md"_s << true;
    QTest::newRow("dangling link")
        << u"SKILL.md"_s << u"real/new.md"_s << u"real/new.md"_s << false;
    QTest::newRow("linked folder") << u"skills"_s << u"real"_s << u"real/SKILL.md"_s << true;
}

void SkillFileTest::writesThroughLinks()
{
    QFETCH(QString, link);
    QFETCH(QString, linkTo);
    QFETCH(QString, real);
    QFETCH(bool, realExists);
    QVERIFY(QDir(m_home->path()).mkpath(u"real"_s));
    if (realExists)
        QVERIFY(SkillFile::save(path(u"real/SKILL.md"_s), u"old"_s));
    QVERIFY(QFile::link(path(u"real/SKILL.md"_s), path(u"hop.md"_s)));
    QVERIFY(QFile::link(linkTo.startsWith(u'.') ? linkTo : path(linkTo), path(link)));

    const QString edited = link == u"skills"_s ? path(u"skills/SKILL.md"_s) : path(link);
    QVERIFY(SkillFile::save(edited, u"new text"_s));
    QCOMPARE(bytes(path(real)), QByteArray("new text"));
    QVERIFY(QFileInfo(path(link)).isSymLink());
    QCOMPARE(bytes(edited), QByteArray("new text"));
}

void SkillFileTest::keepsPermissions_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("private") << int(QFile::ReadOwner | QFile::WriteOwner);
    QTest::newRow("executable") << int(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
        | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
}

void SkillFileTest::keepsPermissions()
{
    QFETCH(int, mode);
    const QString file = path(u"run.md"_s);
    QVERIFY(SkillFile::save(file, u"old"_s));
    const auto permissions = QFile::Permissions(mode);
    QVERIFY(QFile::setPermissions(file, permissions));
    QVERIFY(SkillFile::save(file, u"new"_s));
    // Owner bits are what the test set; Qt mirrors them as the user bits.
    QCOMPARE(QFile::permissions(file) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
        permissions);
}

void SkillFileTest::failedWriteLeavesFile()
{
    // A folder that is really a file cannot hold the temporary file.
    QVERIFY(SkillFile::save(path(u"plain"_s), u"x"_s));
    const Result<SkillFile::Snapshot> saved = SkillFile::save(path(u"plain/SKILL.md"_s), u"text"_s);
    QVERIFY(!saved);
    QVERIFY(saved.error().message.startsWith(u"Could not save "_s));
    QCOMPARE(bytes(path(u"plain"_s)), QByteArray("x"));
    QCOMPARE(
        QDir(m_home->path()).entryList(QDir::Files | QDir::Hidden), QStringList { u"plain"_s });
}

void SkillFileTest::snapshotSeesOtherWriters()
{
    const QString file = path(u"a.md"_s);
    const SkillFile::Snapshot missing = SkillFile::snapshot(file);
    QVERIFY(!missing.exists);
    const Result<SkillFile::Snapshot> saved = SkillFile::save(file, u"one"_s);
    QVERIFY(saved);
    QCOMPARE(SkillFile::snapshot(file), saved.value());
    m_home->write(u"a.md"_s, "two");
    QVERIFY(SkillFile::snapshot(file) != saved.value());
    m_home->write(u"a.md"_s, "\xff\xfe");
    const SkillFile::Loaded unreadable = SkillFile::load(file);
    QVERIFY(!unreadable.text);
    QVERIFY(unreadable.snapshot.exists);
}

void SkillFileTest::lineEndings_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("editor");
    QTest::addColumn<bool>("crlf");
    QTest::addColumn<bool>("exact");
    QTest::newRow("lf") << u"a\nb\n"_s << u"a\nb\n"_s << false << true;
    QTest::newRow("crlf") << u"a\r\nb\r\n"_s << u"a\nb\n"_s << true << true;
    QTest::newRow("crlf without final") << u"---\r\nx"_s << u"---\nx"_s << true << true;
    QTest::newRow("no line break") << u"abc"_s << u"abc"_s << false << true;
    QTest::newRow("mixed") << u"a\r\nb\nc"_s << u"a\u240d\nb\nc"_s << false << true;
    QTest::newRow("lone cr") << u"a\rb"_s << u"a\u240db"_s << false << true;
    QTest::newRow("crlf with lone cr") << u"a\r\nb\rc\r\n"_s << u"a\nb\u240dc\n"_s << true << true;
    QTest::newRow("stand-in already in file") << u"\u240d\rx"_s << u"\u240d\rx"_s << false << false;
    QTest::newRow("paragraph separator") << u"a\u2029b"_s << u"a\u2029b"_s << false << false;
    QTest::newRow("line separator kept") << u"a\u2028b"_s << u"a\u2028b"_s << false << true;
}

void SkillFileTest::lineEndings()
{
    QFETCH(QString, file);
    QFETCH(QString, editor);
    QFETCH(bool, crlf);
    QFETCH(bool, exact);
    const LineEndings::ForEditor form = LineEndings::forEditor(file);
    QCOMPARE(form.text, editor);
    QCOMPARE(form.style == LineEndings::Style::CrLf, crlf);
    QCOMPARE(form.exact, exact);
    if (exact)
        QCOMPARE(LineEndings::forFile(form.text, form.style, form.crStandIn), file);
}

QTEST_GUILESS_MAIN(SkillFileTest)
#include "tst_skillfile.moc"
