#include "skilltextmaker.h"

#include "seededrandom.h"

#include <array>
#include <iterator>

namespace {

// The words of every body. None of them holds a topic word or the missing word.
constexpr std::array generalWords = {
    "the",
    "a",
    "use",
    "when",
    "this",
    "skill",
    "file",
    "files",
    "with",
    "and",
    "for",
    "to",
    "of",
    "in",
    "on",
    "is",
    "are",
    "be",
    "it",
    "that",
    "before",
    "after",
    "always",
    "never",
    "check",
    "run",
    "read",
    "write",
    "user",
    "asks",
    "code",
    "project",
    "folder",
    "command",
    "output",
    "input",
    "value",
    "values",
    "list",
    "step",
    "steps",
    "first",
    "then",
    "next",
    "each",
    "every",
    "make",
    "sure",
    "keep",
    "short",
    "clear",
    "small",
    "change",
    "changes",
    "review",
    "test",
    "tests",
    "build",
    "error",
    "errors",
    "message",
    "return",
    "function",
    "module",
    "type",
    "types",
    "name",
    "names",
    "path",
    "paths",
    "line",
    "lines",
    "text",
    "format",
    "example",
    "examples",
    "prefer",
    "avoid",
    "instead",
    "only",
    "also",
    "should",
    "must",
    "may",
    "can",
    "not",
    "no",
    "new",
    "old",
    "same",
    "other",
    "all",
    "some",
    "most",
    "few",
    "one",
    "two",
    "three",
    "open",
    "close",
    "save",
    "load",
    "start",
    "stop",
    "wait",
    "ask",
    "answer",
    "explain",
    "describe",
    "summary",
    "section",
    "heading",
    "table",
    "field",
    "fields",
    "option",
    "options",
    "default",
    "setting",
    "settings",
    "context",
    "task",
    "tasks",
    "tool",
    "tools",
    "work",
    "working",
    "query",
    "quickly",
    "carefully",
    "simple",
    "plain",
    "markdown",
    "comment",
};

// A topic's words appear only in its skills' texts.
constexpr std::array<std::array<const char *, 6>, 40> topics = { {
    { "pdf", "document", "pages", "extract", "forms", "ocr" },
    { "deploy", "release", "rollout", "canary", "staging", "pipeline" },
    { "react", "component", "hooks", "props", "jsx", "render" },
    { "python", "pytest", "virtualenv", "typing", "pip", "asyncio" },
    { "rust", "cargo", "borrow", "lifetime", "trait", "clippy" },
    { "docker", "container", "image", "compose", "volume", "registry" },
    { "kubernetes", "pod", "helm", "cluster", "ingress", "namespace" },
    { "sql", "postgres", "migration", "index", "schema", "transaction" },
    { "git", "commit", "branch", "rebase", "merge", "bisect" },
    { "security", "secret", "token", "audit", "sanitize", "cve" },
    { "excel", "spreadsheet", "sheet", "formula", "pivot", "cell" },
    { "design", "canvas", "palette", "typography", "layout", "poster" },
    { "api", "endpoint", "request", "response", "status", "pagination" },
    { "graphql", "resolver", "mutation", "subscription", "fragment", "federation" },
    { "swift", "xcode", "swiftui", "combine", "actor", "playground" },
    { "kotlin", "gradle", "coroutine", "ktor", "android", "compose" },
    { "go", "goroutine", "channel", "gofmt", "module", "vet" },
    { "typescript", "tsconfig", "generic", "union", "narrowing", "eslint" },
    { "vue", "pinia", "template", "directive", "reactive", "nuxt" },
    { "terraform", "provider", "state", "plan", "apply", "workspace" },
    { "aws", "lambda", "bucket", "iam", "cloudwatch", "dynamodb" },
    { "slack", "channel", "thread", "emoji", "webhook", "mention" },
    { "notion", "database", "capture", "knowledge", "wiki", "backlink" },
    { "mcp", "server", "transport", "manifest", "capability", "handshake" },
    { "latex", "bibtex", "equation", "figure", "preamble", "citation" },
    { "csv", "delimiter", "header", "quote", "column", "row" },
    { "logging", "logger", "level", "trace", "span", "metrics" },
    { "cache", "eviction", "ttl", "redis", "memcached", "warmup" },
    { "auth", "oauth", "session", "cookie", "jwt", "login" },
    { "i18n", "locale", "translation", "plural", "rtl", "gettext" },
    { "benchmark", "profile", "flamegraph", "latency", "throughput", "allocation" },
    { "refactor", "extract", "rename", "inline", "smell", "duplication" },
    { "accessibility", "aria", "contrast", "screenreader", "focus", "keyboard" },
    { "email", "smtp", "inbox", "attachment", "draft", "signature" },
    { "calendar", "meeting", "invite", "timezone", "agenda", "reminder" },
    { "shell", "bash", "zsh", "pipefail", "quoting", "heredoc" },
    { "cpp", "cmake", "template", "constexpr", "raii", "sanitizer" },
    { "qt", "widget", "signal", "slot", "qml", "moc" },
    { "testing", "fixture", "mock", "coverage", "snapshot", "flaky" },
    { "video", "ffmpeg", "codec", "frame", "subtitle", "encode" },
} };

// Accents, CJK, Greek, Cyrillic and emoji: four byte sequences as well as two and three.
constexpr std::array internationalWords = {
    "café",
    "naïve",
    "über",
    "façade",
    "résumé",
    "données",
    "Größe",
    "déploiement",
    "señal",
    "日本語",
    "検索",
    "文書",
    "設定",
    "コード",
    "한국어",
    "中文",
    "Ελληνικά",
    "Привет",
    "🚀",
    "✅",
    "📄",
    "🔒",
};

constexpr std::array codeLines = {
    "set -euo pipefail",
    "npm run build",
    "cargo test --workspace",
    "python -m pytest -q",
    "git status --short",
    "docker compose up -d",
    "make -j2",
    "ls -la \"$dir\"",
    "grep -rn TODO src/",
    "echo \"done\"",
};

constexpr std::array scriptLines = {
    "import sys",
    "def main(argv):",
    "    for arg in argv[1:]:",
    "        print(arg)",
    "    return 0",
    "if __name__ == \"__main__\":",
    "    sys.exit(main(sys.argv))",
    "# keep this script idempotent",
    "value = compute(input)",
    "const result = await run(options);",
};

} // namespace

SkillTextMaker::SkillTextMaker(SeededRandom &random) : m_random(random)
{
}

QByteArray SkillTextMaker::missingWord()
{
    return QByteArrayLiteral("zebrafish");
}

int SkillTextMaker::pickTopic()
{
    return int(m_random.below(topics.size()));
}

QByteArray SkillTextMaker::word(int topic, bool international)
{
    if (international && m_random.chance(0.06))
        return internationalWords[m_random.below(internationalWords.size())];
    if (m_random.chance(0.12))
        return topics[std::size_t(topic)][m_random.below(6)];
    return generalWords[m_random.below(generalWords.size())];
}

QByteArray SkillTextMaker::slug(int topic)
{
    QByteArray out = topics[std::size_t(topic)][m_random.below(6)];
    out += '-';
    out += generalWords[m_random.below(generalWords.size())];
    return out;
}

QByteArray SkillTextMaker::title(int topic, bool international)
{
    QByteArray out;
    const int count = m_random.between(2, 4);
    for (int i = 0; i < count; ++i) {
        QByteArray w = i == 0 ? QByteArray(topics[std::size_t(topic)][m_random.below(6)])
                              : word(topic, international);
        if (!w.isEmpty() && w.at(0) >= 'a' && w.at(0) <= 'z')
            w[0] = char(w.at(0) - 'a' + 'A');
        if (i > 0)
            out += ' ';
        out += w;
    }
    return out;
}

QByteArray SkillTextMaker::sentence(int topic, bool international, int minWords, int maxWords)
{
    QByteArray out;
    const int count = m_random.between(minWords, maxWords);
    for (int i = 0; i < count; ++i) {
        QByteArray w = word(topic, international);
        if (i == 0 && w.at(0) >= 'a' && w.at(0) <= 'z')
            w[0] = char(w.at(0) - 'a' + 'A');
        if (i > 0)
            out += ' ';
        switch (m_random.below(40)) {
        case 0:
            out += '`' + w + '`';
            break;
        case 1:
            out += "**" + w + "**";
            break;
        default:
            out += w;
            break;
        }
    }
    out += '.';
    return out;
}

void SkillTextMaker::appendParagraph(QByteArray &out, int topic, bool international)
{
    const int count = m_random.between(2, 6);
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            out += ' ';
        out += sentence(topic, international, 6, 20);
    }
    out += "\n\n";
}

void SkillTextMaker::appendList(QByteArray &out, int topic, bool international, bool numbered)
{
    const int count = m_random.between(3, 7);
    for (int i = 0; i < count; ++i) {
        out += numbered ? QByteArray::number(i + 1) + ". " : QByteArray("- ");
        out += sentence(topic, international, 4, 12);
        out += '\n';
    }
    out += '\n';
}

void SkillTextMaker::appendCode(QByteArray &out)
{
    out += "```bash\n";
    const int count = m_random.between(2, 8);
    for (int i = 0; i < count; ++i) {
        out += codeLines[m_random.below(codeLines.size())];
        out += '\n';
    }
    out += "```\n\n";
}

void SkillTextMaker::appendTable(QByteArray &out, int topic)
{
    out += "| Option | Meaning |\n|---|---|\n";
    const int count = m_random.between(2, 5);
    for (int i = 0; i < count; ++i)
        out += "| `" + word(topic, false) + "` | " + sentence(topic, false, 3, 8) + " |\n";
    out += '\n';
}

QByteArray SkillTextMaker::markdown(int topic, bool international, qsizetype bytes, bool withTitle)
{
    QByteArray out;
    out.reserve(bytes + 1024);
    if (withTitle)
        out += "# " + title(topic, international) + "\n\n";
    while (out.size() < bytes) {
        switch (m_random.below(12)) {
        case 0:
        case 1:
        case 2:
        case 3:
            appendParagraph(out, topic, international);
            break;
        case 4:
        case 5:
            appendList(out, topic, international, false);
            break;
        case 6:
            appendList(out, topic, international, true);
            break;
        case 7:
            appendCode(out);
            break;
        case 8:
        case 9:
            out += "## " + title(topic, international) + "\n\n";
            appendParagraph(out, topic, international);
            break;
        case 10:
            appendTable(out, topic);
            break;
        default:
            out += "> " + sentence(topic, international, 6, 16) + "\n\n";
            break;
        }
    }
    // One line feed at the end, as editors leave it.
    while (out.endsWith("\n\n"))
        out.chop(1);
    return out;
}

QByteArray SkillTextMaker::script(qsizetype bytes)
{
    QByteArray out;
    while (out.size() < bytes) {
        out += scriptLines[m_random.below(scriptLines.size())];
        out += '\n';
    }
    return out;
}
