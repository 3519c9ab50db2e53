#include "listcommand.h"

#include "commandcontext.h"
#include "exitcode.h"
#include "harnessloads.h"
#include "modelcontext.h"
#include "skillcursor.h"
#include "skillhealth.h"
#include "skilljson.h"
#include "skillquery.h"
#include "terminaltext.h"

#include <QDir>
#include <QFileDevice>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

int usageError(CommandContext &context, const QString &why)
{
    context.err() << "quire list: " << why << "\n\n" << ListCommand::usage();
    return ExitUsage;
}

// The text QJsonDocument gives for the whole array, written one element at a
// time: each element is written as the only one of an array and cut out of it,
// so the bytes are the same and only one record is ever held.
class JsonArrayOutput final
{
public:
    explicit JsonArrayOutput(QTextStream &out) : m_out(out) { write("[\n"); }

    void append(const QJsonObject &element)
    {
        const QByteArray alone
            = QJsonDocument(QJsonArray { element }).toJson(QJsonDocument::Indented);
        constexpr qsizetype open = 2; // "[\n"
        constexpr qsizetype close = 3; // "\n]\n"
        if (!m_empty)
            write(",\n");
        write(QByteArrayView(alone).sliced(open, alone.size() - open - close));
        m_empty = false;
    }

    void finish() { write(m_empty ? "]\n" : "\n]\n"); }

private:
    // Straight to the device when there is one: the text is UTF-8 already,
    // and a body's trip through UTF-16 and back costs more than the reading.
    void write(QByteArrayView bytes)
    {
        QIODevice *device = m_out.device();
        if (!device) {
            m_out << QString::fromUtf8(bytes);
            return;
        }
        m_out.flush();
        if (m_out.status() != QTextStream::Ok)
            return;
        // A file buffers on its own; flushed here, so a full disk is heard now.
        auto *file = qobject_cast<QFileDevice *>(device);
        if (device->write(bytes.data(), bytes.size()) != bytes.size() || (file && !file->flush()))
            m_out.setStatus(QTextStream::WriteFailed);
    }

    QTextStream &m_out;
    bool m_empty = true;
};

// Straight from the store file, a record and its body at a time, so memory
// stays the same however many skills the store holds.
int streamJson(const SkillQuery &query, CommandContext &context)
{
    // What each harness loads depends on every record; the records come
    // without their bodies.
    ModelContext *store = context.store();
    if (!store)
        return ExitUserError;
    const HarnessLoads loads = HarnessLoads::ofStore(*store, QDir::homePath());

    auto opened = SkillCursor::open(ModelContext::defaultPath());
    if (!opened) {
        context.err() << "quire: " << TerminalText::line(opened.error().message) << '\n';
        return ExitUserError;
    }
    SkillCursor &cursor = *opened.value();
    JsonArrayOutput output(context.out());
    while (true) {
        const auto skill = cursor.next();
        if (!skill) {
            context.err() << "quire list: " << TerminalText::line(skill.error().message) << '\n';
            return ExitUserError;
        }
        // Output that cannot be written ends the run; the caller reports it.
        if (!skill.value() || context.out().status() != QTextStream::Ok)
            break;
        if (query.matches(*skill.value())) {
            const Skill *known = store->skillByResolvedPath(skill.value()->resolvedPath());
            output.append(
                SkillJson::toJson(*skill.value(), known ? loads.of(known) : QList<HarnessLoad>()));
        }
    }
    output.finish();
    return ExitOk;
}

} // namespace

QString ListCommand::usage()
{
    return uR"(Usage: quire list [--json] [--filter all|favorites|needs-attention|tool:RAW|kind:KIND|collection:NAME]
                  [--search TEXT]

Lists the skills exactly as the window's list shows them: the same filter, the
same search and the same order. RAW is a tool's raw value (claude, cursor,
windsurf, codex, copilot, aider, amp, custom).
)"_s;
}

int ListCommand::run(const QStringList &arguments, CommandContext &context)
{
    bool json = false;
    QString filterText = u"all"_s;
    QString search;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        auto valueOf = [&](const QString &option, QString &target) -> bool {
            if (argument == option) {
                if (i + 1 == arguments.size())
                    return false;
                target = arguments.at(++i);
                return true;
            }
            target = argument.mid(option.size() + 1);
            return true;
        };
        if (argument == u"--json") {
            json = true;
        } else if (argument == u"--help" || argument == u"-h") {
            context.out() << usage();
            return ExitOk;
        } else if (argument == u"--filter" || argument.startsWith(u"--filter=")) {
            if (!valueOf(u"--filter"_s, filterText))
                return usageError(context, u"--filter needs a value."_s);
        } else if (argument == u"--search" || argument.startsWith(u"--search=")) {
            if (!valueOf(u"--search"_s, search))
                return usageError(context, u"--search needs a value."_s);
        } else {
            return usageError(context, u"unexpected argument '%1'."_s.arg(argument));
        }
    }
    const std::optional<SidebarFilter> filter = SkillQuery::parseFilter(filterText);
    if (!filter) {
        QStringList tools;
        for (ToolSource tool : ToolSources::all)
            tools.append(ToolSources::rawValue(tool));
        QStringList kinds;
        for (SkillKind kind : SkillKinds::all)
            kinds.append(SkillKinds::rawValue(kind));
        context.err() << "quire list: unknown filter '" << filterText
                      << "'; use all, favorites, needs-attention, tool:RAW (" << tools.join(u", "_s)
                      << "), kind:KIND (" << kinds.join(u", "_s) << ") or collection:NAME\n";
        return ExitUserError;
    }

    if (json && filter->kind() != SidebarFilter::Kind::NeedsAttention)
        return streamJson(SkillQuery(*filter, search), context);

    ModelContext *store = context.store();
    if (!store)
        return ExitUserError;
    // Only the one filter that needs it pays for checking every skill.
    std::unique_ptr<SkillHealth> health;
    if (filter->kind() == SidebarFilter::Kind::NeedsAttention)
        health = std::make_unique<SkillHealth>(store);
    const QList<Skill *> skills
        = SkillQuery(*filter, search, health.get()).apply(store->skillsByName());

    if (json) {
        const HarnessLoads loads = HarnessLoads::ofStore(*store, QDir::homePath());
        JsonArrayOutput output(context.out());
        for (const Skill *skill : skills)
            output.append(SkillJson::toJson(*skill, loads.of(skill)));
        output.finish();
        return ExitOk;
    }
    // Aligned columns: name, tools, project, path. Long names are cut so the
    // paths still line up.
    constexpr qsizetype maxName = 40;
    QList<QStringList> rows;
    qsizetype widths[3] = { 4, 5, 7 };
    for (const Skill *skill : skills) {
        QStringList tools;
        for (ToolSource tool : skill->toolSources())
            tools.append(ToolSources::rawValue(tool));
        QString name = TerminalText::line(skill->name());
        if (name.size() > maxName) {
            qsizetype kept = maxName - 1;
            if (name.at(kept - 1).isHighSurrogate())
                --kept; // never half a character
            name = name.left(kept) + u'…';
        }
        const QStringList row { name, tools.join(u','),
            TerminalText::line(skill->projectName().value_or(u"-"_s)),
            TerminalText::line(skill->filePath()) };
        for (int i = 0; i < 3; ++i)
            widths[i] = std::max(widths[i], row.at(i).size());
        rows.append(row);
    }
    if (rows.isEmpty())
        return ExitOk;
    context.out() << u"Name"_s.leftJustified(widths[0]) << "  "
                  << u"Tools"_s.leftJustified(widths[1]) << "  "
                  << u"Project"_s.leftJustified(widths[2]) << "  Path\n";
    for (const QStringList &row : std::as_const(rows)) {
        context.out() << row.at(0).leftJustified(widths[0]) << "  "
                      << row.at(1).leftJustified(widths[1]) << "  "
                      << row.at(2).leftJustified(widths[2]) << "  " << row.at(3) << '\n';
    }
    return ExitOk;
}
