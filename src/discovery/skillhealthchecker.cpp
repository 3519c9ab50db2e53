#include "skillhealthchecker.h"

#include "frontmatterparser.h"
#include "skill.h"
#include "textfilereader.h"
#include "toolsource.h"

#include <QLocale>
#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

using Severity = HealthFinding::Severity;

// The Agent Skills keys; harnesses add their own, which are worth a note only.
const QSet<QString> agentSkillKeys = { u"name"_s, u"description"_s, u"license"_s,
    u"compatibility"_s, u"metadata"_s, u"allowed-tools"_s };
const QSet<QString> cursorRuleKeys = { u"description"_s, u"globs"_s, u"alwaysApply"_s };

constexpr int maxNameLength = 64;
constexpr int maxDescriptionLength = 1024;
constexpr int maxCompatibilityLength = 500;
constexpr int maxBodyLines = 500;
constexpr qint64 maxAgentsBytes = qint64(32) * 1024;
constexpr qint64 maxWindsurfCharacters = 12000;

// In the units the card and the metadata bar show sizes in (1 kB = 1,000
// bytes), so a finding and the size beside it read alike.
QString decimalSize(qint64 bytes)
{
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

HealthFinding finding(const char16_t *id, Severity severity, QString sentence, const QString &fix)
{
    // One line, whatever a name or value held: the command line prints one per finding.
    sentence.replace(u'\n', u' ').replace(u'\r', u' ');
    return { QString::fromUtf16(id), severity, sentence, fix, {} };
}

QStringView trimBlank(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && (text[begin] == u' ' || text[begin] == u'\t'))
        ++begin;
    while (end > begin && (text[end - 1] == u' ' || text[end - 1] == u'\t'))
        --end;
    return text.sliced(begin, end - begin);
}

qsizetype indentOf(QStringView line)
{
    qsizetype n = 0;
    while (n < line.size() && (line[n] == u' ' || line[n] == u'\t'))
        ++n;
    return n;
}

// A value as YAML would give it: the quotes the plain reader keeps are not
// part of it, nor is the header line of a block scalar with a chomping sign.
QString scalar(const QString &raw)
{
    QString value = raw.trimmed();
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'')
        && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    static const QStringList blockHeaders = { u"|-"_s, u">-"_s, u"|+"_s, u">+"_s };
    for (const QString &header : blockHeaders) {
        if (value == header)
            return {};
        if (value.startsWith(header + u'\n'))
            return value.mid(header.size() + 1).trimmed();
    }
    return value;
}

qint64 codePoints(QStringView text)
{
    qint64 n = 0;
    for (QChar c : text)
        n += c.isLowSurrogate() ? 0 : 1;
    return n;
}

// A lower-case letter of any script, a digit or a hyphen. A character that
// has no case ("技") passes; one that has an upper-case form only if it is
// already the lower one.
bool isNameCharacter(char32_t c)
{
    return c == U'-' || (QChar::isLetterOrNumber(c) && QChar::toLower(c) == c);
}

// A frontmatter value that a strict YAML reader may refuse, judged on what
// the lenient parser kept, so that only these files are read again.
bool mayTroubleStrictYaml(const QMap<QString, QString> &frontmatter)
{
    for (const QString &value : frontmatter) {
        if (value.contains(u": "_s) || value.contains(u":\t"_s) || value.contains(u":\n"_s)
            || value.endsWith(u':') || value.startsWith(u'@') || value.startsWith(u'`')
            || value.startsWith(u'%'))
            return true;
    }
    return false;
}

QString shortened(const QString &text, qsizetype most)
{
    return text.size() <= most ? text : text.first(most - 1) + u'…';
}

QString quoted(const QString &text)
{
    return u"“"_s + text + u"”"_s;
}

enum class Reading { Read, Absent, CrLf, Unclosed };

struct Block
{
    QMap<QString, QString> frontmatter;
    Reading reading = Reading::Read;
};

// The frontmatter as a harness reads it. A file whose block Quire could not
// read was stored whole as its body, so the block is still there to read.
Block readBlock(const Skill &skill)
{
    Block block { skill.frontmatter(), Reading::Read };
    if (!block.frontmatter.isEmpty())
        return block;
    const QString content = skill.content();
    const qsizetype end = content.indexOf(u'\n');
    const QStringView first = QStringView(content).first(end < 0 ? content.size() : end);
    if (trimBlank(first) == u"---") {
        // A block that was read leaves only the body; an opening line still
        // here had no closing one, unless the file is one its harnesses read
        // as plain text, which keeps a whole block in its body.
        bool closed = false;
        for (qsizetype from = end + 1; end >= 0 && from < content.size() && !closed;) {
            const qsizetype next = content.indexOf(u'\n', from);
            const qsizetype stop = next < 0 ? content.size() : next;
            closed = trimBlank(QStringView(content).sliced(from, stop - from)) == u"---";
            from = stop + 1;
        }
        block.reading = closed ? Reading::Absent : Reading::Unclosed;
    } else if (first.endsWith(u'\r') && trimBlank(first.chopped(1)) == u"---") {
        block.reading = Reading::CrLf;
        block.frontmatter
            = FrontmatterParser::parseFrontmatter(QString(content).replace(u"\r\n"_s, u"\n"_s))
                  .frontmatter;
    } else {
        block.reading = Reading::Absent;
    }
    return block;
}

// A file directly inside a folder whose path ends with folderSuffix.
bool directlyIn(const QStringList &routes, QStringView folderSuffix)
{
    return std::any_of(routes.cbegin(), routes.cend(), [folderSuffix](const QString &route) {
        const qsizetype slash = route.lastIndexOf(u'/');
        return slash > 0 && QStringView(route).first(slash).endsWith(folderSuffix);
    });
}

} // namespace

SkillHealthChecker::SkillHealthChecker(QString homePath) : m_home(std::move(homePath))
{
}

QList<HealthFinding> SkillHealthChecker::check(const Skill &skill)
{
    QList<HealthFinding> out;
    const QString path = skill.filePath();
    const QString fileName = path.section(u'/', -1);
    const QStringList routes = skill.installedPaths();
    const QList<ToolSource> tools = skill.toolSources();
    const bool readsFrontmatter = std::any_of(tools.cbegin(), tools.cend(),
        [](ToolSource tool) { return ToolSources::parseStyle(tool) != ParseStyle::Heading; });

    Block block;
    if (readsFrontmatter)
        block = readBlock(skill);
    const QString nameSource = skill.isDirectory() ? u"folder"_s : u"file name"_s;
    if (block.reading == Reading::CrLf) {
        out.append(finding(u"frontmatter.unreadable", Severity::Warning,
            u"The file has Windows (CR LF) line ends, so Quire could not read its frontmatter: the name %1 came from the %2 and the description is empty."_s
                .arg(quoted(skill.name()), nameSource),
            u"Save it with LF line ends."_s));
    } else if (block.reading == Reading::Unclosed) {
        out.append(finding(u"frontmatter.unreadable", Severity::Warning,
            u"The frontmatter opens with “---” but never closes, so the whole file is its body: the name %1 came from the %2."_s
                .arg(quoted(skill.name()), nameSource),
            u"Add the closing “---” line."_s));
    }

    if (skill.isDirectory() && fileName == u"SKILL.md" && readsFrontmatter)
        checkAgentSkill(skill, block.frontmatter, out);

    if (!skill.isDirectory() && tools.contains(ToolSource::Cursor)
        && directlyIn(routes, u"/.cursor/rules")) {
        // A plain .md there is not read at all, which the harness map reports.
        if (fileName.endsWith(u".mdc"))
            checkCursorRule(block.frontmatter, out);
    }

    if (fileName == u"AGENTS.md") {
        if (skill.fileSize() > maxAgentsBytes)
            out.append(finding(u"size.agents", Severity::Warning,
                u"This AGENTS.md is %1; harnesses stop reading after %2."_s.arg(
                    decimalSize(skill.fileSize()), decimalSize(maxAgentsBytes)),
                u"Split it or trim it below %1."_s.arg(decimalSize(maxAgentsBytes))));
    } else {
        // Cheap before costly: a body of more lines needs at least as many bytes.
        const QString content = skill.fileSize() > maxBodyLines ? skill.content() : QString();
        const qsizetype lines = content.isEmpty() ? 0 : content.count(u'\n') + 1;
        if (lines > maxBodyLines)
            out.append(finding(u"size.body", Severity::Warning,
                u"The body is %1 lines long; harnesses may cut files over 500 lines."_s.arg(lines),
                u"Move detail into supporting files."_s));
    }

    const bool windsurfRule = !skill.isDirectory() && tools.contains(ToolSource::Windsurf)
        && (directlyIn(routes, u"/.windsurf/rules")
            || directlyIn(routes, u"/.codeium/windsurf/memories"));
    if (windsurfRule && skill.fileSize() > maxWindsurfCharacters) {
        FileFacts &facts = factsOf(skill);
        if (!facts.characters) {
            const auto text = TextFileReader::readUtf8(path);
            facts.characters = text ? codePoints(text.value()) : -1;
        }
        if (*facts.characters > maxWindsurfCharacters)
            out.append(finding(u"size.windsurf", Severity::Warning,
                u"This Windsurf rule is %1 characters long; Windsurf reads at most 12,000."_s.arg(
                    *facts.characters),
                u"Split it into smaller rules."_s));
    }
    HealthFinding::sort(out);
    return out;
}

void SkillHealthChecker::checkAgentSkill(
    const Skill &skill, const QMap<QString, QString> &frontmatter, QList<HealthFinding> &out)
{
    const QString folder = skill.filePath().section(u'/', -2, -2);
    const QString written = scalar(frontmatter.value(u"name"_s));
    // Compatibility forms ("ﬁ", full-width letters) and composed or decomposed
    // accents are one name to the harnesses, as to a reader.
    const QString name = written.normalized(QString::NormalizationForm_KC);
    const QList<uint> characters = name.toUcs4();
    if (name.isEmpty()) {
        out.append(finding(u"skill.name.missing", Severity::Error,
            u"The frontmatter has no name."_s, u"Add “name: %1”."_s.arg(folder)));
    } else {
        if (characters.size() > maxNameLength)
            out.append(finding(u"skill.name.format", Severity::Error,
                u"The name is %1 characters long; at most 64 are allowed."_s.arg(characters.size()),
                u"Shorten the name."_s));
        else if (!std::all_of(characters.cbegin(), characters.cend(),
                     [](uint c) { return isNameCharacter(char32_t(c)); }))
            out.append(finding(u"skill.name.format", Severity::Error,
                u"The name %1 may hold only lower-case letters, digits and hyphens."_s.arg(
                    quoted(written)),
                u"Write it in lower case with hyphens."_s));
        else if (name.startsWith(u'-') || name.endsWith(u'-') || name.contains(u"--"))
            out.append(finding(u"skill.name.format", Severity::Error,
                u"The name %1 starts or ends with a hyphen, or has two in a row."_s.arg(
                    quoted(written)),
                u"Use single hyphens between words."_s));
        if (name != folder.normalized(QString::NormalizationForm_KC))
            out.append(finding(u"skill.name.folder", Severity::Error,
                u"The name %1 is not its folder's name %2."_s.arg(quoted(written), quoted(folder)),
                u"Rename the folder or the name to match."_s));
    }

    const QString description = scalar(frontmatter.value(u"description"_s));
    if (description.isEmpty())
        out.append(finding(u"skill.description.missing", Severity::Error,
            u"The frontmatter has no description, so a harness cannot tell when to use the skill."_s,
            u"Add a description: what it does and when."_s));
    else if (const qint64 length = codePoints(description); length > maxDescriptionLength)
        out.append(finding(u"skill.description.length", Severity::Error,
            u"The description is %1 characters long; at most 1,024 are allowed."_s.arg(length),
            u"Shorten the description."_s));

    if (const qint64 length = codePoints(scalar(frontmatter.value(u"compatibility"_s)));
        length > maxCompatibilityLength)
        out.append(finding(u"skill.compatibility.length", Severity::Error,
            u"The compatibility text is %1 characters long; at most 500 are allowed."_s.arg(length),
            u"Shorten it."_s));

    const bool hasMetadata = frontmatter.contains(u"metadata"_s);
    if (hasMetadata || mayTroubleStrictYaml(frontmatter)) {
        const BlockFacts &facts = blockFactsOf(skill);
        // The reference validator takes a nested map; only the standard's
        // wording asks for strings, so this is worth a warning, not more.
        if (hasMetadata && facts.metadata == MetadataShape::Nested)
            out.append(finding(u"skill.metadata.nested", Severity::Warning,
                u"The metadata holds a nested map or list; the standard maps keys to plain values, so some harnesses may drop it."_s,
                u"Flatten it to “key: value” lines."_s));
        else if (hasMetadata && facts.metadata == MetadataShape::NotMap)
            out.append(finding(u"skill.metadata.nested", Severity::Error,
                u"The metadata is not a map; it must map keys to plain values."_s,
                u"Write it as indented “key: value” lines."_s));
        if (const auto &trouble = facts.strictYaml) {
            const QString reason = trouble->kind == StrictYamlCheck::Kind::ColonInValue
                ? u"holds an unquoted “: ”, which YAML reads as the start of another key"_s
                : u"starts with “%1”, which YAML keeps for itself"_s.arg(trouble->character);
            out.append(finding(u"frontmatter.strict-yaml", Severity::Warning,
                u"The value of %1 %2, so harnesses that read YAML strictly skip this skill."_s.arg(
                    quoted(trouble->key), reason),
                u"Put the value in double quotes: %1: %2"_s.arg(
                    trouble->key, StrictYamlCheck::doubleQuoted(shortened(trouble->value, 60)))));
        }
    }

    QStringList unknown;
    for (auto it = frontmatter.cbegin(); it != frontmatter.cend(); ++it) {
        // The plain reader takes a "# text: x" comment for a key; YAML does not.
        if (!agentSkillKeys.contains(it.key()) && !it.key().startsWith(u'#'))
            unknown.append(it.key());
    }
    if (!unknown.isEmpty())
        out.append(finding(u"skill.key.unknown", Severity::Note,
            u"Keys outside the Agent Skills set: %1; harnesses that do not know them ignore them."_s
                .arg(unknown.join(u", "_s)),
            u"Keep them if your harness uses them."_s));
}

void SkillHealthChecker::checkCursorRule(
    const QMap<QString, QString> &frontmatter, QList<HealthFinding> &out)
{
    const bool hasAlways = frontmatter.contains(u"alwaysApply"_s);
    const QString always = scalar(frontmatter.value(u"alwaysApply"_s));
    if (hasAlways && always != u"true" && always != u"false")
        out.append(finding(u"rule.alwaysApply.value", Severity::Error,
            u"alwaysApply is %1; Cursor reads only true or false."_s.arg(quoted(always)),
            u"Write true or false."_s));
    if (always != u"true" && scalar(frontmatter.value(u"globs"_s)).isEmpty()
        && scalar(frontmatter.value(u"description"_s)).isEmpty())
        out.append(finding(u"rule.unapplied", Severity::Warning,
            u"Cursor never applies this rule by itself: it has neither “alwaysApply: true”, globs nor a description."_s,
            u"Add a description or globs."_s));
    QStringList unknown;
    for (auto it = frontmatter.cbegin(); it != frontmatter.cend(); ++it) {
        if (!cursorRuleKeys.contains(it.key()) && !it.key().startsWith(u'#'))
            unknown.append(it.key());
    }
    if (!unknown.isEmpty())
        out.append(finding(u"rule.key.unknown", Severity::Note,
            u"Cursor does not read these keys: %1."_s.arg(unknown.join(u", "_s)),
            u"Use description, globs or alwaysApply."_s));
}

SkillHealthChecker::FileFacts &SkillHealthChecker::factsOf(const Skill &skill)
{
    FileFacts &facts = m_files[skill.filePath()];
    if (facts.size != skill.fileSize() || facts.modified != skill.fileModifiedDate())
        facts
            = FileFacts { skill.fileSize(), skill.fileModifiedDate(), std::nullopt, std::nullopt };
    return facts;
}

const SkillHealthChecker::BlockFacts &SkillHealthChecker::blockFactsOf(const Skill &skill)
{
    FileFacts &facts = factsOf(skill);
    if (!facts.block) {
        facts.block = BlockFacts {};
        // Unreadable now: nothing to say until the next version is scanned.
        if (const auto text = TextFileReader::readUtf8(skill.filePath())) {
            const QString lf = QString(text.value()).replace(u"\r\n"_s, u"\n"_s);
            facts.block = BlockFacts { metadataShape(lf), StrictYamlCheck::firstTrouble(lf) };
        }
    }
    return *facts.block;
}

SkillHealthChecker::MetadataShape SkillHealthChecker::metadataShape(const QString &text)
{
    const QList<QStringView> lines = QStringView(text).split(u'\n');
    if (lines.isEmpty() || trimBlank(lines.first()) != u"---")
        return MetadataShape::Absent;
    qsizetype i = 1;
    for (; i < lines.size(); ++i) {
        const QStringView line = lines.at(i);
        if (trimBlank(line) == u"---")
            return MetadataShape::Absent;
        if (indentOf(line) == 0 && line.startsWith(u"metadata")
            && trimBlank(line.sliced(8)).startsWith(u':'))
            break;
    }
    if (i >= lines.size())
        return MetadataShape::Absent;
    const QStringView inlineValue = trimBlank(trimBlank(lines.at(i).sliced(8)).sliced(1));
    if (!inlineValue.isEmpty()) {
        // A flow map is a map when nothing inside it opens another collection.
        if (!inlineValue.startsWith(u'{') || !inlineValue.endsWith(u'}'))
            return MetadataShape::NotMap;
        const QStringView inside = inlineValue.sliced(1, inlineValue.size() - 2);
        return inside.contains(u'{') || inside.contains(u'[') ? MetadataShape::Nested
                                                              : MetadataShape::Flat;
    }
    qsizetype childIndent = -1;
    qsizetype textIndent = -1; // inside a block scalar: deeper lines are its text
    for (++i; i < lines.size(); ++i) {
        const QStringView line = lines.at(i);
        const QStringView trimmed = trimBlank(line);
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;
        const qsizetype indent = indentOf(line);
        if (indent == 0)
            break; // the next key, or the closing delimiter
        if (childIndent < 0)
            childIndent = indent;
        if (textIndent >= 0 && indent > textIndent)
            continue;
        textIndent = -1;
        if (indent > childIndent)
            return MetadataShape::Nested;
        if (indent < childIndent || trimmed.startsWith(u'-'))
            return MetadataShape::NotMap;
        const qsizetype colon = trimmed.indexOf(u':');
        if (colon <= 0)
            return MetadataShape::NotMap;
        const QStringView value = trimBlank(trimmed.sliced(colon + 1));
        if (value.startsWith(u'{') || value.startsWith(u'['))
            return MetadataShape::Nested;
        if (value.startsWith(u'|') || value.startsWith(u'>'))
            textIndent = indent;
    }
    return MetadataShape::Flat;
}
