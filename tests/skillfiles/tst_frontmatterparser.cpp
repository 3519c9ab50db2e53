#include "corpus.h"
#include "frontmatterparser.h"
#include "textfilereader.h"

#include <QDirIterator>
#include <QTest>

using namespace Qt::StringLiterals;

using Keys = QMap<QString, QString>;

Q_DECLARE_METATYPE(ParsedSkill)
Q_DECLARE_METATYPE(ParseStyle)

// Found by QCOMPARE through argument-dependent lookup, so a failure shows both results.
char *toString(const ParsedSkill &skill)
{
    QStringList keys;
    for (auto it = skill.frontmatter.cbegin(); it != skill.frontmatter.cend(); ++it)
        keys << it.key() + u"=["_s + it.value() + u']';
    const QString text = u"frontmatter {"_s + keys.join(u", "_s) + u"} content ["_s + skill.content
        + u"] name ["_s + skill.name + u"] description ["_s + skill.description + u']';
    return QTest::toString(text);
}

namespace {

QString lines(const QStringList &list)
{
    return list.join(u'\n');
}

ParsedSkill parsed(const Keys &frontmatter, const QString &content)
{
    return { frontmatter, content, frontmatter.value(u"name"_s),
        frontmatter.value(u"description"_s) };
}

ParsedSkill unparsed(const QString &text)
{
    return { {}, text, {}, {} };
}

// A block holding the given frontmatter lines and the body "body".
QString block(const QStringList &frontmatterLines)
{
    return lines(QStringList { u"---"_s } + frontmatterLines + QStringList { u"---"_s, u"body"_s });
}

} // namespace

class FrontmatterParserTest final : public QObject
{
    Q_OBJECT

private slots:
    void blockAndBody_data();
    void blockAndBody();
    void keyLines_data();
    void keyLines();
    void values_data();
    void values();
    void heading_data();
    void heading();
    void styles_data();
    void styles();
    void corpus();
    void largeTextInOnePass();
};

void FrontmatterParserTest::blockAndBody_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<ParsedSkill>("expected");

    QTest::newRow("empty text") << QString() << unparsed({});
    QTest::newRow("only an opening line") << u"---"_s << unparsed(u"---"_s);
    const QString unclosed = u"---\nname: x\n\n# Body\n"_s;
    QTest::newRow("no closing line keeps the whole text") << unclosed << unparsed(unclosed);
    const QString fourHyphens = u"----\nname: x\n---\nbody"_s;
    QTest::newRow("four hyphens do not open") << fourHyphens << unparsed(fourHyphens);
    const QString crlf = u"---\r\nname: x\r\n---\r\n# Body\r\n"_s;
    QTest::newRow("CR LF files have no block") << crlf << unparsed(crlf);
    const QString verticalTab = u"---\v\n---\nbody"_s;
    QTest::newRow("vertical tab is not blank") << verticalTab << unparsed(verticalTab);
    const QString lineSeparator = u"---\u2028name: x\n---\nbody"_s;
    QTest::newRow("only LF splits lines") << lineSeparator << unparsed(lineSeparator);
    const QString byteOrderMark = u"\uFEFF---\nname: x\n---\nbody"_s;
    QTest::newRow("U+FEFF is not blank") << byteOrderMark << unparsed(byteOrderMark);

    QTest::newRow("delimiters with blanks around them")
        << u" \t---\u00A0\nname: x\n \u3000---\t\nbody"_s
        << parsed({ { u"name"_s, u"x"_s } }, u"body"_s);
    QTest::newRow("empty block") << u"---\n---\n# Body"_s << parsed({}, u"# Body"_s);
    QTest::newRow("closing line ends the text")
        << u"---\nname: x\n---"_s << parsed({ { u"name"_s, u"x"_s } }, {});
    QTest::newRow("a hyphen line with more text does not close")
        << u"---\nname: x\n--- x\n---\nbody"_s << parsed({ { u"name"_s, u"x"_s } }, u"body"_s);
    QTest::newRow("the first delimiter closes, even inside a value")
        << u"---\ndescription: |\n  a\n  ---\n  b\n---\nmore"_s
        << parsed({ { u"description"_s, u"a"_s } }, u"b\n---\nmore"_s);
    QTest::newRow("body trimmed at both ends only")
        << u"---\nname: x\n---\n\n\n\n# Title\n\n  text  \n\n"_s
        << parsed({ { u"name"_s, u"x"_s } }, u"# Title\n\n  text"_s);
    QTest::newRow("body trimmed of every line break")
        << u"---\n---\n\r\u2028\u0085\v\f x \u2029\u3000"_s << parsed({}, u"x"_s);
}

void FrontmatterParserTest::blockAndBody()
{
    QFETCH(QString, text);
    QFETCH(ParsedSkill, expected);
    QCOMPARE(FrontmatterParser::parseFrontmatter(text), expected);
}

void FrontmatterParserTest::keyLines_data()
{
    QTest::addColumn<QStringList>("frontmatterLines");
    QTest::addColumn<Keys>("expected");

    QTest::newRow("quotes are kept") << QStringList { uR"(description: "Use it")"_s }
                                     << Keys { { u"description"_s, uR"("Use it")"_s } };
    QTest::newRow("split at the first colon")
        << QStringList { u"link: a:b"_s } << Keys { { u"link"_s, u"a:b"_s } };
    QTest::newRow("key and value trimmed of blanks")
        << QStringList { u"\u2003My Key :\t v \u00A0"_s } << Keys { { u"My Key"_s, u"v"_s } };
    QTest::newRow("keys keep their case") << QStringList { u"Name: x"_s,
        u"DESCRIPTION: y"_s } << Keys { { u"Name"_s, u"x"_s }, { u"DESCRIPTION"_s, u"y"_s } };
    QTest::newRow("a hash line is a key")
        << QStringList { u"# note: x"_s } << Keys { { u"# note"_s, u"x"_s } };
    QTest::newRow("a line without colon is ignored") << QStringList { u"stray"_s, u"name: x"_s,
        u"more stray"_s } << Keys { { u"name"_s, u"x"_s } };
    QTest::newRow("an empty key is ignored") << QStringList { u" : x"_s } << Keys {};
    QTest::newRow("a list item is never a key") << QStringList { u"- item: x"_s } << Keys {};
    QTest::newRow("a repeated key keeps the last value") << QStringList { u"name: a"_s,
        u"other: b"_s, u"name: c"_s } << Keys { { u"name"_s, u"c"_s }, { u"other"_s, u"b"_s } };
    QTest::newRow("an indented line before any key is a key") << QStringList { u"  name: x"_s,
        u"  description: y"_s } << Keys { { u"name"_s, u"x\ndescription: y"_s } };
    QTest::newRow("an ignored line does not make a current key")
        << QStringList { u": x"_s, u"  name: y"_s } << Keys { { u"name"_s, u"y"_s } };
    QTest::newRow("only space and tab indent") << QStringList { u"name: x"_s,
        u"\u00A0other: y"_s } << Keys { { u"name"_s, u"x"_s }, { u"other"_s, u"y"_s } };
    QTest::newRow("an inline list is text")
        << QStringList { u"tools: [a, b]"_s } << Keys { { u"tools"_s, u"[a, b]"_s } };
    QTest::newRow("a value beginning with a hyphen is kept")
        << QStringList { u"description: - a"_s } << Keys { { u"description"_s, u"- a"_s } };
    QTest::newRow("a carriage return is trimmed from the stored value")
        << QStringList { u"name: x\r"_s } << Keys { { u"name"_s, u"x"_s } };
}

void FrontmatterParserTest::keyLines()
{
    QFETCH(QStringList, frontmatterLines);
    QFETCH(Keys, expected);
    QCOMPARE(
        FrontmatterParser::parseFrontmatter(block(frontmatterLines)), parsed(expected, u"body"_s));
}

void FrontmatterParserTest::values_data()
{
    QTest::addColumn<QStringList>("frontmatterLines");
    QTest::addColumn<QString>("value");

    QTest::newRow("| joins trimmed lines, blank lines kept")
        << QStringList { u"v: |"_s, u"  Work with PDF files."_s, QString(), u"  Use when asked."_s }
        << u"Work with PDF files.\n\nUse when asked."_s;
    QTest::newRow("> does not fold")
        << QStringList { u"v: >"_s, u"  a"_s, QString(), u"    b"_s } << u"a\n\nb"_s;
    QTest::newRow("empty value takes the next line")
        << QStringList { u"v:"_s, u"  foo"_s } << u"foo"_s;
    QTest::newRow("list items lose their markers")
        << QStringList { u"v:"_s, u"  - Read"_s, u"\t- Write"_s } << u"Read\nWrite"_s;
    QTest::newRow("only the two marker characters go")
        << QStringList { u"v:"_s, u"  -Read"_s, u"  -  Write"_s } << u"-Read\n Write"_s;
    QTest::newRow("a nested map becomes text") << QStringList { u"v:"_s, u"  author: x"_s,
        u"  version: 1"_s } << u"author: x\nversion: 1"_s;
    QTest::newRow("plain multi-line value drops blank lines")
        << QStringList { u"v: a"_s, u"  b"_s, QString(), u"  c"_s } << u"a\nb\nc"_s;
    QTest::newRow("|- is text") << QStringList { u"v: |-"_s, u"  a"_s, u"  b"_s } << u"|-\na\nb"_s;
    QTest::newRow(">- is text") << QStringList { u"v: >-"_s, u"  a"_s } << u">-\na"_s;
    QTest::newRow("an unindented list item does not end the value") << QStringList { u"v:"_s,
        u"  - Read"_s, u"- item: x"_s, u"  - Write"_s } << u"Read\nWrite"_s;
    QTest::newRow("a stray line keeps block mode")
        << QStringList { u"v: |"_s, u"  a"_s, u"stray"_s, QString(), u"  b"_s } << u"a\n\nb"_s;
    QTest::newRow("leading and trailing blank lines trimmed") << QStringList { u"v: |"_s, QString(),
        u"  \t"_s, u"  a"_s, QString(), QString() } << u"a"_s;
}

void FrontmatterParserTest::values()
{
    QFETCH(QStringList, frontmatterLines);
    QFETCH(QString, value);
    const ParsedSkill result = FrontmatterParser::parseFrontmatter(block(frontmatterLines));
    QCOMPARE(result.frontmatter, (Keys { { u"v"_s, value } }));
}

void FrontmatterParserTest::heading_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");

    QTest::newRow("first qualifying line") << u"intro\n# Title\n# Second"_s << u"Title"_s;
    QTest::newRow("## does not qualify") << u"## Sub\n# Main"_s << u"Main"_s;
    QTest::newRow("indented # does not qualify") << u"  # A\n# B"_s << u"B"_s;
    QTest::newRow("#A does not qualify") << u"#A\n#\tB\n# C"_s << u"C"_s;
    QTest::newRow("blanks trimmed, CR kept") << u"# \u00A0Title \r\nx"_s << u"Title \r"_s;
    QTest::newRow("no heading") << u"text\n"_s << QString();
    QTest::newRow("empty heading") << u"# \n# Later"_s << QString();
    QTest::newRow("frontmatter is not read") << u"---\nname: x\n---\n# T"_s << u"T"_s;
}

void FrontmatterParserTest::heading()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    QCOMPARE(FrontmatterParser::parseHeadingSkill(text), (ParsedSkill { {}, text, name, {} }));
}

void FrontmatterParserTest::styles_data()
{
    QTest::addColumn<ParseStyle>("style");
    QTest::addColumn<QString>("text");
    QTest::addColumn<ParsedSkill>("expected");

    const QString named = u"---\nname: n\ndescription: d\n---\n# Heading"_s;
    const QString unnamed = u"---\ndescription: d\n---\n# Heading"_s;
    const ParsedSkill fromBlock
        = parsed({ { u"name"_s, u"n"_s }, { u"description"_s, u"d"_s } }, u"# Heading"_s);
    QTest::newRow("frontmatter") << ParseStyle::Frontmatter << named << fromBlock;
    QTest::newRow("heading") << ParseStyle::Heading << named
                             << ParsedSkill { {}, named, u"Heading"_s, {} };
    QTest::newRow("then heading, named")
        << ParseStyle::FrontmatterThenHeading << named << fromBlock;
    QTest::newRow("then heading, unnamed drops the block")
        << ParseStyle::FrontmatterThenHeading << unnamed
        << ParsedSkill { {}, unnamed, u"Heading"_s, {} };
    QTest::newRow("then heading, nothing found")
        << ParseStyle::FrontmatterThenHeading << u"text"_s << unparsed(u"text"_s);
}

void FrontmatterParserTest::styles()
{
    QFETCH(ParseStyle, style);
    QFETCH(QString, text);
    QFETCH(ParsedSkill, expected);
    QCOMPARE(FrontmatterParser::parse(text, style), expected);
}

void FrontmatterParserTest::corpus()
{
    const QString root = corpusPath();
    if (root.isEmpty())
        return;

    int markdownFiles = 0;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const Result<QString> text = TextFileReader::readUtf8(path);
        const bool markdown = path.endsWith(u".md"_s) || path.endsWith(u".mdc"_s);
        if (markdown) {
            QVERIFY2(text.has_value(), text ? "" : qPrintable(text.error().message));
            ++markdownFiles;
        }
        if (text) {
            for (const ParseStyle style : { ParseStyle::Frontmatter, ParseStyle::Heading,
                     ParseStyle::FrontmatterThenHeading })
                (void)FrontmatterParser::parse(text.value(), style);
        }
    }
    QVERIFY(markdownFiles > 100);

    const auto read = [&root](const QString &relative, ParseStyle style) {
        const Result<QString> text = TextFileReader::readUtf8(root + u'/' + relative);
        return text ? FrontmatterParser::parse(text.value(), style) : ParsedSkill {};
    };
    const ParsedSkill brainstorming
        = read(u"home/.claude/skills/brainstorming/SKILL.md"_s, ParseStyle::Frontmatter);
    QCOMPARE(brainstorming.name, u"brainstorming"_s);
    QVERIFY(brainstorming.description.startsWith(u"\"You MUST use this"_s));
    QVERIFY(brainstorming.content.startsWith(u"# Brainstorming Ideas Into Designs"_s));

    const ParsedSkill pytools = read(
        u"projects/dotfiles/.claude/skills/pytools-edit/SKILL.md"_s, ParseStyle::Frontmatter);
    QCOMPARE(pytools.description.count(u'\n'), 1);
    QVERIFY(pytools.description.endsWith(u"cmdエンコーディングを扱う。"_s));

    const ParsedSkill plan
        = read(u"home/.codex/skills/create-plan/SKILL.md"_s, ParseStyle::Frontmatter);
    QCOMPARE(plan.frontmatter.value(u"metadata"_s), u"short-description: Create a plan"_s);

    const ParsedSkill posthog
        = read(u"projects/posthog/.cursor/rules/react-typescript.mdc"_s, ParseStyle::Frontmatter);
    QVERIFY(posthog.frontmatter.contains(u"globs"_s));
    QVERIFY(posthog.name.isEmpty());

    QCOMPARE(
        read(u"projects/ollama/.cursor/rules/general.mdc"_s, ParseStyle::FrontmatterThenHeading)
            .name,
        u"AI Context for Ollama Reranking Implementation"_s);
    QCOMPARE(read(u"home/.codex/AGENTS.md"_s, ParseStyle::Heading).name, u"カスタム指示"_s);
}

// A stray unindented line after a long value must not copy that value again: a
// quadratic parser would not finish this in any reasonable time.
void FrontmatterParserTest::largeTextInOnePass()
{
    const QString pair = u"  continued line of the description\nstray\n"_s;
    const qsizetype repeats = qsizetype(50) * 1000 * 1000 / pair.size();
    QString text;
    text.reserve(repeats * pair.size() + 64);
    text += u"---\ndescription: start\n"_s;
    for (qsizetype i = 0; i < repeats; ++i)
        text += pair;
    text += u"---\n# Body\n"_s;

    const ParsedSkill result = FrontmatterParser::parseFrontmatter(text);
    QCOMPARE(result.description.count(u'\n'), repeats);
    QCOMPARE(result.content, u"# Body"_s);
}

QTEST_GUILESS_MAIN(FrontmatterParserTest)
#include "tst_frontmatterparser.moc"
