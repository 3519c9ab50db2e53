#include "strictyamlcheck.h"

#include <QTest>

using namespace Qt::StringLiterals;

using Kind = StrictYamlCheck::Kind;

// Frontmatter a lenient reader takes and a strict YAML reader refuses (or
// takes too): each row is a block and the trouble expected, as "key: value"
// of the line at fault, or empty when a strict reader takes it.
class StrictYamlCheckTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstTrouble_data();
    void firstTrouble();
    void doubleQuoted();
};

void StrictYamlCheckTest::firstTrouble_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const auto block = [](const QString &lines) { return u"---\n"_s + lines + u"\n---\nbody\n"_s; };
    QTest::newRow("clean") << block(u"name: pdf\ndescription: Work with PDF files."_s) << QString();
    QTest::newRow("colon and space in a value")
        << block(u"name: pdf\ndescription: Use when: the user asks"_s)
        << u"colon description: Use when: the user asks"_s;
    QTest::newRow("colon at the end of a value")
        << block(u"description: Use when:"_s) << u"colon description: Use when:"_s;
    QTest::newRow("colon inside a word")
        << block(u"description: See https://x.org, 10:30"_s) << QString();
    QTest::newRow("double quotes")
        << block(u"description: \"Use when: the user asks \\\"why\\\"\""_s) << QString();
    QTest::newRow("single quotes") << block(u"description: 'It''s when: asked'"_s) << QString();
    QTest::newRow("quotes over two lines")
        << block(u"description: \"Use when\n  asked: twice\"\nname: pdf"_s) << QString();
    QTest::newRow("block scalar") << block(u"description: |\n  Use when: asked\nname: pdf"_s)
                                  << QString();
    QTest::newRow("a comment holds the colon")
        << block(u"description: Work with PDF # note: later"_s) << QString();
    QTest::newRow("plain value going on below")
        << block(u"description: Work with PDF files\n  when: asked\nname: pdf"_s)
        << u"colon description: when: asked"_s;
    QTest::newRow("nested map") << block(u"metadata:\n  author: me\n  version: \"1.0\""_s)
                                << QString();
    QTest::newRow("in a nested value")
        << block(u"metadata:\n  short-description: Use when: asked"_s)
        << u"colon short-description: Use when: asked"_s;
    QTest::newRow("flow map and list items")
        << block(u"metadata: {a: b}\ntags:\n  - a: b\n  - c"_s) << QString();
    QTest::newRow("reserved first character") << block(u"description: @mention the reviewer"_s)
                                              << u"reserved description: @mention the reviewer"_s;
    QTest::newRow("no closing line, no frontmatter")
        << u"---\ndescription: Use when: asked\n"_s << QString();
    QTest::newRow("the body is not frontmatter")
        << block(u"name: pdf"_s) + u"Note: this is body text\n"_s << QString();
}

void StrictYamlCheckTest::firstTrouble()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const auto trouble = StrictYamlCheck::firstTrouble(text);
    QString got;
    if (trouble)
        got = (trouble->kind == Kind::ColonInValue ? u"colon "_s : u"reserved "_s) + trouble->key
            + u": "_s + trouble->value;
    QCOMPARE(got, expected);
}

void StrictYamlCheckTest::doubleQuoted()
{
    QCOMPARE(StrictYamlCheck::doubleQuoted(u"a \"b\": c\\d"_s), u"\"a \\\"b\\\": c\\\\d\""_s);
}

QTEST_GUILESS_MAIN(StrictYamlCheckTest)
#include "tst_strictyamlcheck.moc"
