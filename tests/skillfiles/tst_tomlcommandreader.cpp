#include "tomlcommandreader.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TomlCommandReaderTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void description_data();
    void description();
};

void TomlCommandReaderTest::description_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("description");
    QTest::newRow("basic string with escapes")
        << u"description = \"Say \\\"hi\\\"\\tnow \\u00e9\"\nprompt = \"x\"\n"_s
        << u"Say \"hi\"\tnow \u00e9"_s;
    QTest::newRow("literal string keeps backslashes")
        << u"description = 'C:\\path'\n"_s << u"C:\\path"_s;
    QTest::newRow("multi-line basic, first break dropped")
        << u"description = \"\"\"\nOne\nTwo\"\"\"\n"_s << u"One\nTwo"_s;
    QTest::newRow("quotes just before the closing triple")
        << u"description = '''it's ''quoted'''''\n"_s << u"it's ''quoted''"_s;
    QTest::newRow("line-ending backslash joins lines")
        << u"description = \"\"\"a \\\n    b\"\"\"\n"_s << u"a b"_s;
    QTest::newRow("after the prompt, with a comment")
        << u"# a command\nprompt = \"\"\"\ndescription = \"not this\"\n\"\"\"\ndescription = \"this\" # why\n"_s
        << u"this"_s;
    QTest::newRow("key inside a table is not the command's")
        << u"prompt = \"p\"\n[extra]\ndescription = \"no\"\n"_s << QString();
    QTest::newRow("array before it, across lines")
        << u"tags = [\n  \"a]\",\n  'b',\n]\ndescription = \"d\"\n"_s << u"d"_s;
    QTest::newRow("quoted key") << u"\"description\" = \"q\"\n"_s << u"q"_s;
    QTest::newRow("dotted key is skipped")
        << u"description.x = \"no\"\ndescription = \"y\""_s << u"y"_s;
    QTest::newRow("unterminated string gives nothing") << u"description = \"open\n"_s << QString();
    QTest::newRow("bad escape gives nothing") << u"description = \"a\\qb\"\n"_s << QString();
    QTest::newRow("lone surrogate escape gives nothing")
        << u"description = \"\\uD800\"\n"_s << QString();
    QTest::newRow("not a string") << u"description = 42\n"_s << QString();
    QTest::newRow("CR LF lines") << u"prompt = \"p\"\r\ndescription = \"crlf\"\r\n"_s << u"crlf"_s;
}

void TomlCommandReaderTest::description()
{
    QFETCH(QString, text);
    QFETCH(QString, description);
    const ParsedSkill parsed = TomlCommandReader::parse(text);
    QCOMPARE(parsed.description, description);
    QCOMPARE(parsed.content, text);
    QVERIFY(parsed.name.isEmpty());
    QCOMPARE(parsed.frontmatter.value(u"description"_s), description);
}

QTEST_GUILESS_MAIN(TomlCommandReaderTest)
#include "tst_tomlcommandreader.moc"
