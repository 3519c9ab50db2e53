#include "parsecommand.h"

#include "commandcontext.h"
#include "exitcode.h"
#include "frontmatterparser.h"
#include "terminaltext.h"
#include "textfilereader.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

std::optional<ParseStyle> styleFromName(const QString &name)
{
    if (name == u"frontmatter")
        return ParseStyle::Frontmatter;
    if (name == u"heading")
        return ParseStyle::Heading;
    if (name == u"frontmatter-then-heading")
        return ParseStyle::FrontmatterThenHeading;
    if (name == u"toml")
        return ParseStyle::TomlCommand;
    return std::nullopt;
}

QByteArray toJson(const ParsedSkill &parsed)
{
    QJsonObject frontmatter;
    for (auto it = parsed.frontmatter.cbegin(); it != parsed.frontmatter.cend(); ++it)
        frontmatter.insert(it.key(), it.value());
    const QJsonObject object {
        { u"frontmatter"_s, frontmatter },
        { u"content"_s, parsed.content },
        { u"name"_s, parsed.name },
        { u"description"_s, parsed.description },
    };
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

int usageError(CommandContext &context, const QString &why)
{
    context.err() << "quire parse: " << why << "\n\n" << ParseCommand::usage();
    return ExitUsage;
}

} // namespace

QString ParseCommand::usage()
{
    return uR"(Usage: quire parse FILE [--style frontmatter|heading|frontmatter-then-heading|toml]

Reads FILE as UTF-8 and prints how Quire reads it, as one JSON document with
the keys frontmatter, content, name and description. The default style is
frontmatter. The store is not opened.
)"_s;
}

int ParseCommand::run(const QStringList &arguments, CommandContext &context)
{
    std::optional<QString> file;
    ParseStyle style = ParseStyle::Frontmatter;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!optionsEnded && argument.startsWith(u'-') && argument.size() > 1) {
            if (argument == u"--") {
                optionsEnded = true;
                continue;
            }
            if (argument == u"--help" || argument == u"-h") {
                context.out() << usage();
                return ExitOk;
            }
            const QString inlineStyle = u"--style="_s;
            QString styleName;
            if (argument == u"--style") {
                if (i + 1 == arguments.size())
                    return usageError(context, u"--style needs a value."_s);
                styleName = arguments.at(++i);
            } else if (argument.startsWith(inlineStyle)) {
                styleName = argument.sliced(inlineStyle.size());
            } else {
                return usageError(context, u"unknown option '"_s + argument + u"'."_s);
            }
            const std::optional<ParseStyle> named = styleFromName(styleName);
            if (!named)
                return usageError(context, u"unknown style '"_s + styleName + u"'."_s);
            style = *named;
            continue;
        }
        if (file)
            return usageError(context, u"unexpected argument '"_s + argument + u"'."_s);
        file = argument;
    }
    if (!file)
        return usageError(context, u"no file given."_s);

    const Result<QString> text = TextFileReader::readUtf8(*file);
    if (!text) {
        context.err() << "quire parse: " << TerminalText::line(text.error().message) << '\n';
        return ExitUserError;
    }
    // The reader only hands over valid UTF-8, so the text holds no lone surrogate
    // and the JSON writer escapes every control character.
    context.out() << QString::fromUtf8(toJson(FrontmatterParser::parse(text.value(), style)));
    return ExitOk;
}
