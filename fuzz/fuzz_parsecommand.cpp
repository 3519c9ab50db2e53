#include "commandcontext.h"
#include "exitcode.h"
#include "frontmatterparser.h"
#include "fuzzinput.h"
#include "parsecommand.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <memory>

using namespace Qt::StringLiterals;

// `quire parse` on a file holding the input: valid UTF-8 prints one JSON
// document that reads back as the parser's result, anything else a clear error.

namespace {

std::unique_ptr<QTemporaryDir> folder;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Never destroyed: at exit it would outlive the Qt globals it tears down.
    new QCoreApplication(*argc, *argv);
    folder = std::make_unique<QTemporaryDir>();
    return folder->isValid() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzzinput::bytes(data, size);
    const QString path = folder->filePath(u"SKILL.md"_s);
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(bytes) == bytes.size());
    file.close();

    static const QStringList styles { u"frontmatter"_s, u"heading"_s,
        u"frontmatter-then-heading"_s };
    static const QList<ParseStyle> parseStyles { ParseStyle::Frontmatter, ParseStyle::Heading,
        ParseStyle::FrontmatterThenHeading };
    const auto which = qsizetype(qHash(bytes) % 3);

    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    CommandContext context(outStream, errStream);
    const int code = ParseCommand::run({ path, u"--style"_s, styles.at(which) }, context);
    outStream.flush();
    errStream.flush();

    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        FUZZ_CHECK(code == ExitUserError);
        FUZZ_CHECK(out.isEmpty() && err.contains(u"not valid UTF-8"_s));
        return 0;
    }
    FUZZ_CHECK(code == ExitOk);
    FUZZ_CHECK(err.isEmpty());
    // Qt's JSON reader drops a raw U+FEFF that starts a string, which the
    // output rightly keeps; read it as escaped.
    const QByteArray json = out.toUtf8().replace("\xEF\xBB\xBF", "\\ufeff");
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    FUZZ_CHECK(error.error == QJsonParseError::NoError && document.isObject());
    const QJsonObject object = document.object();
    const ParsedSkill parsed = FrontmatterParser::parse(text, parseStyles.at(which));
    FUZZ_CHECK(object.value(u"content"_s).toString() == parsed.content);
    FUZZ_CHECK(object.value(u"name"_s).toString() == parsed.name);
    FUZZ_CHECK(object.value(u"description"_s).toString() == parsed.description);
    const QJsonObject frontmatter = object.value(u"frontmatter"_s).toObject();
    FUZZ_CHECK(frontmatter.size() == parsed.frontmatter.size());
    for (auto it = parsed.frontmatter.cbegin(); it != parsed.frontmatter.cend(); ++it)
        FUZZ_CHECK(frontmatter.value(it.key()).toString() == it.value());
    return 0;
}
