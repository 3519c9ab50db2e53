#include "fakehome.h"
#include "quirerun.h"
#include "terminaltext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// What a terminal acts on rather than shows: C0 (but the line feed that ends
// each printed line), DEL, C1, and the bidirectional embeddings, overrides
// and isolates.
bool actsOnTerminal(char32_t c)
{
    return (c < 0x20 && c != u'\n') || (c >= 0x7f && c <= 0x9f) || (c >= 0x202a && c <= 0x202e)
        || (c >= 0x2066 && c <= 0x2069);
}

QString firstRawControl(const QByteArray &output)
{
    const QString text = QString::fromUtf8(output);
    for (const QChar c : text) {
        if (actsOnTerminal(c.unicode()))
            return u"U+%1"_s.arg(uint(c.unicode()), 4, 16, QChar(u'0'));
    }
    return {};
}

} // namespace

// Skill files come from cloned repositories: what they name must reach the
// terminal as text, never as commands to it.
class TerminalTextTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layout_data();
    void layout();
    void hostileSkill_data();
    void hostileSkill();
    void errorMessage();
};

void TerminalTextTest::layout_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("block");
    const QString r = QString(TerminalText::Replacement);
    QTest::newRow("plain text and non-ASCII untouched")
        << u"Café — ünïcödé 😀"_s << u"Café — ünïcödé 😀"_s << u"Café — ünïcödé 😀"_s;
    QTest::newRow("line breaks and tabs") << u"a\nb\r\nc\td"_s << u"a b c d"_s << u"a\nb\r\nc\td"_s;
    // A lone CR returns to the start of the line and lets later text cover it.
    QTest::newRow("lone carriage return")
        << u"safe\rEVIL"_s << u"safe EVIL"_s << u"safe"_s + r + u"EVIL"_s;
    QTest::newRow("escape, bell, DEL")
        << u"\x1b]0;t\x07x\x7f"_s << r + u"]0;t"_s + r + u'x' + r << r + u"]0;t"_s + r + u'x' + r;
    QTest::newRow("C1 and bidi controls")
        << u"\u0085\u009b\u202a\u202e\u2066\u2069"_s << r.repeated(6) << r.repeated(6);
    QTest::newRow("neighbours of the bidi ranges kept")
        << u"\u2029\u202f\u2065\u206a"_s << u"\u2029\u202f\u2065\u206a"_s
        << u"\u2029\u202f\u2065\u206a"_s;
}

void TerminalTextTest::layout()
{
    QFETCH(QString, text);
    QFETCH(QString, line);
    QFETCH(QString, block);
    QCOMPARE(TerminalText::line(text), line);
    QCOMPARE(TerminalText::block(text), block);
}

// One text with every kind the layout rows cover: every command prints
// through the same helper, so what each place needs is proof that it is
// routed through it, and a miss of any one kind leaves a raw control.
void TerminalTextTest::hostileSkill_data()
{
    QTest::addColumn<QString>("where");
    for (const char *place : { "name", "description", "folder" })
        QTest::newRow(place) << QString::fromLatin1(place);
}

void TerminalTextTest::hostileSkill()
{
    QFETCH(QString, where);
    // Screen clear, clipboard write (OSC 52), title with ST, C1 CSI, RLO.
    const QString hostile
        = u"\x1b[2J\x1b]52;c;cm0gLXJmIH4K\x07\x1b]0;owned\x1b\\\u009b2J\u202egpj.exe"_s;
    const FakeHome home;
    QVERIFY(home.isValid());
    const QString name = where == u"name" ? u"a"_s + hostile + u"b"_s : u"Not Tidy"_s;
    const QString description
        = where == u"description" ? u"Does "_s + hostile + u" things."_s : u"Fine."_s;
    const QString folder = where == u"folder" ? u"x"_s + hostile + u"y"_s : u"tidy"_s;
    // The body always carries it too: show prints the body.
    const QString file = home.write(u".claude/skills/"_s + folder + u"/SKILL.md"_s,
        (u"---\nname: "_s + name + u"\ndescription: "_s + description + u"\n---\nBody "_s + hostile
            + u" end.\n"_s)
            .toUtf8());
    QVERIFY(!file.isEmpty());
    const QProcessEnvironment env = home.environment();

    // check scans first; a name unlike its folder is an error, so the path
    // and the quoted name are printed in every row.
    const QuireRun check = runQuire({ u"check"_s }, env);
    QCOMPARE(check.code, 1);
    const QuireRun list = runQuire({ u"list"_s }, env);
    QCOMPARE(list.code, 0);
    const QuireRun show = runQuire({ u"show"_s, file }, env);
    QCOMPARE(show.code, 0);
    for (const QuireRun *run : { &check, &list, &show }) {
        const QString raw = firstRawControl(run->out);
        QVERIFY2(raw.isEmpty(), qPrintable(raw + u" in: "_s + QString::fromUtf8(run->out)));
        // Replaced where it was, visibly (list and check print no description).
        if (run == &show || where != u"description")
            QVERIFY2(run->out.contains("\xef\xbf\xbd"), run->out.constData()); // U+FFFD
    }
    QVERIFY(show.out.contains("Body "));

    const QuireRun listJson = runQuire({ u"list"_s, u"--json"_s }, env);
    const QuireRun showJson = runQuire({ u"show"_s, file, u"--json"_s }, env);
    const QuireRun checkJson = runQuire({ u"check"_s, u"--json"_s }, env);
    const QJsonArray skills = QJsonDocument::fromJson(listJson.out).array();
    QCOMPARE(skills.size(), 1);
    for (const QJsonObject &skill :
        { skills.first().toObject(), QJsonDocument::fromJson(showJson.out).object() }) {
        QCOMPARE(skill[u"name"_s].toString(), name);
        QCOMPARE(skill[u"skillDescription"_s].toString(), description);
        QCOMPARE(skill[u"filePath"_s].toString(), file);
        QCOMPARE(skill[u"content"_s].toString(), u"Body "_s + hostile + u" end."_s);
    }
    const QJsonArray findings
        = QJsonDocument::fromJson(checkJson.out).object()[u"findings"_s].toArray();
    QVERIFY(!findings.isEmpty());
    QCOMPARE(findings.first()[u"path"_s].toString(), file);
    QCOMPARE(findings.first()[u"name"_s].toString(), name);
}

// A script may hand a cloned repository's file names to quire; the reasons it
// prints on stderr quote them.
void TerminalTextTest::errorMessage()
{
    const FakeHome home;
    QVERIFY(home.isValid());
    const QString file = home.write(u"repo/\x1b]52;c;cm0K\x07.md"_s, "\xff not UTF-8");
    QVERIFY(!file.isEmpty());
    const QuireRun run = home.quire({ u"parse"_s, file });
    QCOMPARE(run.code, 1);
    QVERIFY(run.err.startsWith("quire parse: Cannot read "));
    const QString raw = firstRawControl(run.err);
    QVERIFY2(raw.isEmpty(), qPrintable(raw + u" in: "_s + QString::fromUtf8(run.err)));
}

QTEST_GUILESS_MAIN(TerminalTextTest)
#include "tst_terminaltext.moc"
