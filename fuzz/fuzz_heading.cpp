#include "frontmatterparser.h"
#include "fuzzinput.h"

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = fuzzinput::text(data, size);
    const ParsedSkill parsed = FrontmatterParser::parseHeadingSkill(text);

    FUZZ_CHECK(parsed.content == text);
    FUZZ_CHECK(parsed.frontmatter.isEmpty() && parsed.description.isEmpty());
    FUZZ_CHECK(!parsed.name.contains(u'\n'));
    // The name comes from the first "# " line, if any.
    QString heading;
    for (const QString &line : text.split(u'\n')) {
        if (line.startsWith(u"# "_s)) {
            heading = line.sliced(2);
            break;
        }
    }
    FUZZ_CHECK(heading.contains(parsed.name));
    if (!parsed.name.isEmpty()) {
        FUZZ_CHECK(parsed.name.front() != u' ' && parsed.name.front() != u'\t');
        FUZZ_CHECK(parsed.name.back() != u' ' && parsed.name.back() != u'\t');
    }
    const ParsedSkill viaStyle = FrontmatterParser::parse(text, ParseStyle::Heading);
    FUZZ_CHECK(viaStyle == parsed);
    return 0;
}
