#include "frontmatterparser.h"
#include "fuzzinput.h"

using namespace Qt::StringLiterals;

namespace {

bool isTrimmedOf(const QString &value, QStringView chars)
{
    return value.isEmpty() || (!chars.contains(value.front()) && !chars.contains(value.back()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = fuzzinput::text(data, size);
    const ParsedSkill parsed = FrontmatterParser::parseFrontmatter(text);

    FUZZ_CHECK(parsed.name == parsed.frontmatter.value(u"name"_s));
    FUZZ_CHECK(parsed.description == parsed.frontmatter.value(u"description"_s));
    // The body is the text itself or a tail of it, never made up.
    FUZZ_CHECK(text.endsWith(parsed.content) || text.contains(parsed.content));
    if (parsed.frontmatter.isEmpty() && parsed.content.size() == text.size())
        FUZZ_CHECK(parsed.content == text);
    for (auto it = parsed.frontmatter.cbegin(); it != parsed.frontmatter.cend(); ++it) {
        const QString &key = it.key();
        FUZZ_CHECK(!key.isEmpty());
        FUZZ_CHECK(!key.startsWith(u'-'));
        FUZZ_CHECK(!key.contains(u':') && !key.contains(u'\n'));
        FUZZ_CHECK(isTrimmedOf(key, u" \t"));
        FUZZ_CHECK(isTrimmedOf(it.value(), u" \t\n\r\v\f\u0085\u2028\u2029"));
    }
    // Every style reads the same text without trouble, and the combined one
    // falls back to the heading only when the frontmatter names nothing.
    const ParsedSkill combined = FrontmatterParser::parse(text, ParseStyle::FrontmatterThenHeading);
    if (!parsed.name.isEmpty())
        FUZZ_CHECK(combined == parsed);
    FUZZ_CHECK(FrontmatterParser::parse(text, ParseStyle::Frontmatter) == parsed);
    return 0;
}
