#include "corpusgenerator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString parentOf(const QString &relativePath)
{
    const qsizetype slash = relativePath.lastIndexOf(u'/');
    return slash < 0 ? QString() : relativePath.left(slash);
}

QString lastComponent(const QString &path)
{
    return path.section(u'/', -1);
}

} // namespace

CorpusGenerator::CorpusGenerator(int skills, std::uint64_t seed, QString outDir)
    : m_skills(skills),
      m_seed(seed),
      m_out(QDir::cleanPath(QDir(outDir).absolutePath())),
      m_random(seed),
      m_text(m_random)
{
}

QString CorpusGenerator::manifestName()
{
    return u"corpus.txt"_s;
}

QStringList CorpusGenerator::scanDirectoryNames()
{
    return { u"work1"_s, u"work2"_s };
}

bool CorpusGenerator::run(QString *error)
{
    makeGlobalSkills();
    makeProjects();
    makeLinks();
    makeNoise();
    if (m_error.isEmpty() && m_made != m_skills)
        m_error = u"made %1 skills instead of %2"_s.arg(m_made).arg(m_skills);
    if (!m_error.isEmpty()) {
        *error = m_error;
        return false;
    }
    // Each link adds a route to a skill that already has one.
    const QByteArray manifest = "skills=" + QByteArray::number(m_skills) + "\nroutes="
        + QByteArray::number(m_skills + m_links) + "\nlinks=" + QByteArray::number(m_links)
        + "\nseed=" + QByteArray::number(quint64(m_seed)) + "\nfiles=" + QByteArray::number(m_files)
        + "\nbytes=" + QByteArray::number(m_bytes) + '\n';
    write(manifestName(), manifest, false);
    *error = m_error;
    return m_error.isEmpty();
}

void CorpusGenerator::makeGlobalSkills()
{
    // Shares of the skill count, in thousandths; projects take the rest.
    const std::array<Placement, 9> globals = { {
        { u"home/.claude/skills"_s, Shape::FolderSkill, 200 },
        { u"home/.claude/skills"_s, Shape::LooseRule, 10 },
        { u"home/.agents/skills"_s, Shape::FolderSkill, 40 },
        { u"home/.cursor/skills"_s, Shape::FolderSkill, 50 },
        { u"home/.cursor/rules"_s, Shape::CursorRule, 80 },
        { u"home/.codeium/windsurf/memories"_s, Shape::LooseRule, 30 },
        { u"home/.windsurf/rules"_s, Shape::LooseRule, 30 },
        { u"home/.codex"_s, Shape::AgentsFolder, 30 },
        { u"home/.config/amp"_s, Shape::AgentsFolder, 20 },
    } };
    for (const Placement &placement : globals) {
        const int count = int(qint64(m_skills) * placement.weight / 1000);
        for (int i = 0; i < count; ++i)
            makeSkill(placement.folder, placement.shape, true);
    }
    if (m_skills >= 100) {
        makeSkill(u"home/.codex"_s, Shape::AgentsRoot, true);
        makeSkill(u"home/.config/amp"_s, Shape::AgentsRoot, true);
    }
}

void CorpusGenerator::makeProjects()
{
    const QStringList scanDirs = scanDirectoryNames();
    const int projectCount = std::max(2, m_skills / 25);
    for (int p = 0; p < projectCount; ++p) {
        const QString project = scanDirs.at(p % 2) + u'/'
            + QString::fromUtf8(m_text.slug(m_text.pickTopic())) + u"-p"_s + QString::number(p);
        m_projects.push_back(project);
        write(project + u"/README.md"_s, m_text.markdown(m_text.pickTopic(), false, 600, true));
        if (m_random.chance(0.3)) // read by other tools, never by the scanner
            write(project + u"/CLAUDE.md"_s, m_text.markdown(m_text.pickTopic(), false, 900, true));
        if (m_random.chance(0.2))
            write(project + u"/.github/workflows/ci.yml"_s, "on: push\njobs: {}\n");
    }

    // The files a project holds at most once.
    for (const QString &project : m_projects) {
        if (hasRoom() && m_random.chance(0.4))
            makeSkill(project, Shape::Copilot, false);
        if (hasRoom() && m_random.chance(0.25))
            makeSkill(project + u"/.codex"_s, Shape::AgentsRoot, false);
        if (hasRoom() && m_random.chance(0.1))
            makeSkill(project + u"/.config/amp"_s, Shape::AgentsRoot, false);
    }

    const std::array<Placement, 7> rows = { {
        { u".claude/skills"_s, Shape::FolderSkill, 30 },
        { u".claude/skills"_s, Shape::LooseRule, 3 },
        { u".cursor/skills"_s, Shape::FolderSkill, 10 },
        { u".cursor/rules"_s, Shape::CursorRule, 25 },
        { u".codex"_s, Shape::AgentsFolder, 8 },
        { u".windsurf/rules"_s, Shape::LooseRule, 15 },
        { u".config/amp"_s, Shape::AgentsFolder, 5 },
    } };
    int totalWeight = 0;
    for (const Placement &row : rows)
        totalWeight += row.weight;
    while (hasRoom() && m_error.isEmpty()) {
        const QString &project = m_projects[m_random.below(m_projects.size())];
        int pick = int(m_random.below(std::size_t(totalWeight)));
        for (const Placement &row : rows) {
            pick -= row.weight;
            if (pick < 0) {
                makeSkill(project + u'/' + row.folder, row.shape, false);
                break;
            }
        }
    }
}

void CorpusGenerator::makeLinks()
{
    m_random.shuffle(m_globalClaudeFolders);
    m_random.shuffle(m_globalFolderSkills);
    m_random.shuffle(m_globalRuleFiles);
    // A claude folder is in two lists; each target is linked once, so every
    // link is exactly one second route.
    QSet<QString> used;
    std::size_t nextClaude = 0, nextFolder = 0, nextRule = 0;
    const auto take = [&used](const std::vector<QString> &list, std::size_t &next) -> QString {
        while (next < list.size()) {
            const QString &candidate = list[next++];
            if (!used.contains(candidate)) {
                used.insert(candidate);
                return candidate;
            }
        }
        return {};
    };

    enum Kind { SecondGlobal, ProjectFolder, ProjectFile };
    const int wanted = m_skills / 20;
    for (int i = 0; i < wanted && m_error.isEmpty(); ++i) {
        const std::size_t roll = m_random.below(10);
        const std::array<Kind, 3> order = roll < 4
            ? std::array { SecondGlobal, ProjectFolder, ProjectFile }
            : roll < 8 ? std::array { ProjectFolder, SecondGlobal, ProjectFile }
                       : std::array { ProjectFile, ProjectFolder, SecondGlobal };
        bool made = false;
        for (Kind kind : order) {
            const QString target = kind == SecondGlobal ? take(m_globalClaudeFolders, nextClaude)
                : kind == ProjectFolder                 ? take(m_globalFolderSkills, nextFolder)
                                                        : take(m_globalRuleFiles, nextRule);
            if (target.isEmpty())
                continue;
            const QString name = lastComponent(target);
            const QString &project = m_projects[m_random.below(m_projects.size())];
            QString linkPath;
            if (kind == SecondGlobal) {
                linkPath = u"home/.agents/skills/"_s + name;
            } else if (kind == ProjectFolder) {
                linkPath = project
                    + (m_random.chance(0.7) ? u"/.claude/skills/"_s : u"/.cursor/skills/"_s) + name;
            } else {
                // A .md rule may also serve another tool; an .mdc is cursor's own.
                const bool windsurf = name.endsWith(u".md") && m_random.chance(0.5);
                linkPath
                    = project + (windsurf ? u"/.windsurf/rules/"_s : u"/.cursor/rules/"_s) + name;
            }
            link(target, linkPath);
            ++m_links;
            made = true;
            break;
        }
        if (!made)
            break;
    }
}

void CorpusGenerator::makeNoise()
{
    // Entries every scan meets and must pass over; none becomes a record.
    write(u"home/.claude/skills/readme.txt"_s, "Skills live in the folders next to this file.\n");
    write(u"home/.claude/skills/README.MD"_s, "# Upper-case extension: not a skill file\n");
    write(u"home/.claude/skills/.hidden-skill/SKILL.md"_s,
        "---\nname: hidden\ndescription: never visited\n---\n\n# Hidden\n");
    write(u"home/.claude/skills/notes-only/notes.txt"_s, "A folder without a skill file.\n");
    write(u"home/.codex/notes.md"_s, "# Notes\n\nThe agents layout reads AGENTS.md files only.\n");
    write(u"home/.config/amp/settings.json"_s, "{\n  \"amp.theme\": \"dark\"\n}\n");
    for (int i = 0; i < 3; ++i) {
        const int topic = m_text.pickTopic();
        write(u"home/.codex/skills/"_s + QString::fromUtf8(uniqueSlug(topic)) + u"/SKILL.md"_s,
            "---\nname: codex-skill\ndescription: below the agents layout's depth\n---\n\n"
                + m_text.markdown(topic, false, 2000, true));
        // Latin-1 bytes: not UTF-8, so the reader refuses the file.
        write(u"home/.cursor/rules/broken-"_s + QString::number(i) + u".mdc"_s,
            "---\ndescription: caf\xe9 cr\xe8me\n---\n\nNot UTF-8.\n");
    }
    link(u"home/nowhere/gone.md"_s, u"home/.claude/skills/gone.md"_s);
    write(scanDirectoryNames().first() + u"/notes.txt"_s, "Projects are the folders here.\n");
}

QByteArray CorpusGenerator::uniqueSlug(int topic)
{
    return m_text.slug(topic) + '-' + QByteArray::number(m_nextSlug++);
}

qsizetype CorpusGenerator::bodySize()
{
    if (m_random.chance(0.001))
        return 200 * 1024;
    // 1 to 20 KB, small ones more common.
    const double u = m_random.unit();
    return 1024 + qsizetype(19 * 1024 * u * u);
}

QByteArray CorpusGenerator::frontmatterText(
    const QByteArray &slug, int topic, bool international, bool isCursorRule)
{
    QByteArray out = "---\n";
    if (m_random.chance(isCursorRule ? 0.2 : 0.9))
        out += "name: " + (international && m_random.chance(0.5) ? m_text.title(topic, true) : slug)
            + '\n';
    switch (m_random.below(10)) {
    case 0:
        out += "description: |\n  " + m_text.sentence(topic, international, 8, 20) + "\n\n  "
            + m_text.sentence(topic, international, 8, 20) + '\n';
        break;
    case 1:
        out += "description: \"" + m_text.sentence(topic, international, 8, 24) + "\"\n";
        break;
    case 2:
        if (m_random.chance(0.5))
            break; // some files carry no description at all
        [[fallthrough]];
    default:
        out += "description: " + m_text.sentence(topic, international, 8, 30) + '\n';
        break;
    }
    if (isCursorRule) {
        out += m_random.chance(0.5) ? "globs: **/*.ts, **/*.tsx\n" : "globs: [\"**/*\"]\n";
        out += m_random.chance(0.3) ? "alwaysApply: true\n" : "alwaysApply: false\n";
    } else {
        if (m_random.chance(0.2))
            out += "license: Complete terms in LICENSE.txt\n";
        if (m_random.chance(0.1))
            out += "allowed-tools:\n  - Read\n  - Write\n  - Bash\n";
        if (m_random.chance(0.05))
            out += "metadata:\n  author: quire-bench\n  version: 1\n";
    }
    out += "---\n\n";
    return out;
}

void CorpusGenerator::makeSkill(const QString &folder, Shape shape, bool isGlobal)
{
    if (!hasRoom() || !m_error.isEmpty())
        return;
    const int topic = m_text.pickTopic();
    const QByteArray slug = uniqueSlug(topic);
    const QString name = QString::fromUtf8(slug);
    const bool international = m_random.chance(0.1);
    const bool crlf = m_random.chance(0.02);

    QString path;
    QByteArray text;
    switch (shape) {
    case Shape::FolderSkill: {
        const QString skillFolder = folder + u'/' + name;
        const bool agentsOnly = m_random.chance(0.05);
        path = skillFolder + (agentsOnly ? u"/AGENTS.md"_s : u"/SKILL.md"_s);
        text = frontmatterText(slug, topic, international, false)
            + m_text.markdown(topic, international, bodySize(), true);
        if (!agentsOnly && m_random.chance(0.03)) // a folder with both yields its SKILL.md only
            write(skillFolder + u"/AGENTS.md"_s, m_text.markdown(topic, false, 800, true));
        if (m_random.chance(1.0 / 3))
            makeArtifacts(skillFolder);
        if (isGlobal) {
            m_globalFolderSkills.push_back(skillFolder);
            if (folder == u"home/.claude/skills")
                m_globalClaudeFolders.push_back(skillFolder);
        }
        break;
    }
    case Shape::LooseRule:
    case Shape::CursorRule: {
        const bool isCursorRule = shape == Shape::CursorRule;
        path
            = folder + u'/' + name + (isCursorRule && m_random.chance(0.75) ? u".mdc"_s : u".md"_s);
        text = frontmatterText(slug, topic, international, isCursorRule)
            + m_text.markdown(topic, international, bodySize(), m_random.chance(0.7));
        if (isGlobal)
            m_globalRuleFiles.push_back(path);
        break;
    }
    case Shape::AgentsRoot:
    case Shape::AgentsFolder:
    case Shape::Copilot: {
        if (shape == Shape::AgentsFolder) {
            path = folder + u'/' + name + u"/AGENTS.md"_s;
            if (m_random.chance(1.0 / 3))
                makeArtifacts(parentOf(path));
        } else {
            path = folder
                + (shape == Shape::Copilot ? u"/.github/copilot-instructions.md"_s
                                           : u"/AGENTS.md"_s);
        }
        // A few have no "# " line and are named after their file.
        text = m_text.markdown(topic, international, bodySize(), !m_random.chance(0.05));
        break;
    }
    }
    if (crlf)
        text.replace("\n", "\r\n");
    write(path, text);
    ++m_made;
}

void CorpusGenerator::makeArtifacts(const QString &skillFolder)
{
    enum Kind { Script, Document, Json, Yaml, Binary };
    struct Artifact
    {
        const char16_t *path;
        Kind kind;
    };
    static constexpr std::array<Artifact, 13> kinds = { {
        { u"scripts/run.py", Script },
        { u"scripts/setup.sh", Script },
        { u"scripts/lib/util.js", Script },
        { u"references/api.md", Document },
        { u"references/guide.md", Document },
        { u"references/deep/notes.md", Document },
        { u"config.json", Json },
        { u"settings.yaml", Yaml },
        { u"LICENSE.txt", Document },
        { u"rules/style.md", Document },
        { u"templates/page.html", Document },
        { u"examples/sample.txt", Document },
        { u".DS_Store", Binary },
    } };
    std::vector<std::size_t> picks(kinds.size());
    for (std::size_t i = 0; i < picks.size(); ++i)
        picks[i] = i;
    m_random.shuffle(picks);
    const int count = m_random.between(1, 6);
    for (int i = 0; i < count; ++i) {
        const Artifact &artifact = kinds[picks[std::size_t(i)]];
        QByteArray bytes;
        switch (artifact.kind) {
        case Script:
            bytes = m_text.script(m_random.between(200, 3000));
            break;
        case Document:
            bytes = m_text.markdown(m_text.pickTopic(), false, m_random.between(300, 4000), true);
            break;
        case Json:
            bytes = "{\n  \"name\": \"example\",\n  \"enabled\": true,\n  \"retries\": 3\n}\n";
            break;
        case Yaml:
            bytes = "name: example\nenabled: true\nretries: 3\n";
            break;
        case Binary:
            bytes = QByteArray("\0\0\0\1Bud1\0\0", 10);
            break;
        }
        write(skillFolder + u'/' + QString::fromUtf16(artifact.path), bytes);
    }
}

void CorpusGenerator::link(const QString &target, const QString &linkPath)
{
    if (!m_error.isEmpty())
        return;
    const QString parent = parentOf(linkPath);
    makeFolder(parent);
    // Relative, so the tree can be moved and two trees compare equal.
    const QString relative = QDir(m_out + u'/' + parent).relativeFilePath(m_out + u'/' + target);
    const QString where = m_out + u'/' + linkPath;
    if (::symlink(QFile::encodeName(relative).constData(), QFile::encodeName(where).constData())
        != 0)
        m_error = u"cannot create the link %1: %2"_s.arg(where, qt_error_string(errno));
}

void CorpusGenerator::makeFolder(const QString &relativeFolder)
{
    if (m_madeFolders.contains(relativeFolder))
        return;
    const QString where = relativeFolder.isEmpty() ? m_out : m_out + u'/' + relativeFolder;
    if (!QDir().mkpath(where)) {
        m_error = u"cannot create the folder %1"_s.arg(where);
        return;
    }
    m_madeFolders.insert(relativeFolder);
}

void CorpusGenerator::write(const QString &relativePath, const QByteArray &bytes, bool counted)
{
    if (!m_error.isEmpty())
        return;
    makeFolder(parentOf(relativePath));
    QFile file(m_out + u'/' + relativePath);
    // NewOnly: two skills given one path would otherwise hide as one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)
        || file.write(bytes) != bytes.size()) {
        m_error = u"cannot write %1: %2"_s.arg(file.fileName(), file.errorString());
        return;
    }
    if (counted) {
        ++m_files;
        m_bytes += bytes.size();
    }
}
