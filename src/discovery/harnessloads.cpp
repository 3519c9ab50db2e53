#include "harnessloads.h"

#include "modelcontext.h"
#include "skill.h"
#include "textfilereader.h"

#include <QLocale>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

// Kinds in the order a harness puts them in front of its model.
constexpr SkillKind loadOrder[] = { SkillKind::Instructions, SkillKind::Skill, SkillKind::Rule,
    SkillKind::Command, SkillKind::Agent, SkillKind::Workflow };

int kindOrder(SkillKind kind)
{
    return int(std::find(std::begin(loadOrder), std::end(loadOrder), kind) - std::begin(loadOrder));
}

bool startsWithFolder(QStringView path, QStringView folder)
{
    return path.size() > folder.size() && path.startsWith(folder) && path[folder.size()] == u'/';
}

// The part of rel a row's location holds, with the name the harness gives it;
// nothing when the row does not hold rel.
std::optional<QString> matchRow(const HarnessLocation &row, QStringView rel, const Skill &skill)
{
    if (row.shape == LocationShape::File)
        return rel == row.path ? std::optional(row.path) : std::nullopt;
    if (!startsWithFolder(rel, row.path))
        return std::nullopt;
    const QStringView tail = rel.sliced(row.path.size() + 1);
    const qsizetype folders = tail.count(u'/');
    if (row.shape == LocationShape::SkillFolders) {
        const QStringView file = tail.sliced(tail.lastIndexOf(u'/') + 1);
        if (folders < 1 || folders > row.depth || !row.names.contains(file.toString()))
            return std::nullopt;
        return skill.name();
    }
    if (folders + 1 > row.depth)
        return std::nullopt;
    for (const QString &ending : row.names) {
        if (tail.size() > ending.size() && tail.endsWith(ending)
            && tail[tail.size() - ending.size() - 1] != u'/') {
            if (row.kind == SkillKind::Agent)
                return skill.name();
            // Commands in a sub-folder are "/folder:name".
            return tail.chopped(ending.size()).toString().replace(u'/', u':');
        }
    }
    return std::nullopt;
}

QString unquoted(QString value)
{
    value = value.trimmed();
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'')
        && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value;
}

// A list of globs as the plain reader keeps it ("[a, b]" or one per line) on one line.
QString globList(const QString &value)
{
    QString text = unquoted(value);
    if (text.startsWith(u'[') && text.endsWith(u']'))
        text = text.mid(1, text.size() - 2);
    QStringList globs;
    for (const QString &part : text.split(QRegularExpression(u"[,\n]"_s), Qt::SkipEmptyParts)) {
        const QString glob = unquoted(part);
        if (!glob.isEmpty())
            globs.append(glob);
    }
    return globs.join(u", "_s);
}

bool isTrue(const QString &value)
{
    static const QStringList yes = { u"true"_s, u"yes"_s, u"on"_s, u"1"_s };
    return yes.contains(unquoted(value).toLower());
}

// How a file loads once its own frontmatter has had its say.
LoadMode howOf(
    const HarnessLocation &row, const QMap<QString, QString> &frontmatter, QString &globs)
{
    const auto value
        = [&frontmatter](const QString &key) { return unquoted(frontmatter.value(key)); };
    if (row.kind == SkillKind::Skill)
        return isTrue(value(u"disable-model-invocation"_s)) ? LoadMode::Manual : row.how;
    const QString &key = row.howKey;
    if (key == u"paths" || key == u"applyTo") {
        globs = globList(frontmatter.value(key));
        if (!globs.isEmpty())
            return LoadMode::Glob;
        // An instructions file without applyTo is attached by hand only.
        return key == u"applyTo" ? LoadMode::Manual : row.how;
    }
    if (key.startsWith(u"alwaysApply")) {
        if (isTrue(value(u"alwaysApply"_s)))
            return LoadMode::Always;
        globs = globList(frontmatter.value(u"globs"_s));
        if (!globs.isEmpty())
            return LoadMode::Glob;
        if (key.contains(u"description"))
            return value(u"description"_s).isEmpty() ? LoadMode::Manual : LoadMode::Description;
        return frontmatter.contains(u"alwaysApply"_s) ? LoadMode::Manual : LoadMode::Always;
    }
    if (key == u"trigger" || key == u"inclusion") {
        const QString mode = value(key);
        if (mode == u"always_on" || mode == u"always")
            return LoadMode::Always;
        if (mode == u"glob" || mode == u"fileMatch") {
            globs = globList(
                frontmatter.value(key == u"trigger" ? u"globs"_s : u"fileMatchPattern"_s));
            return LoadMode::Glob;
        }
        if (mode == u"model_decision" || mode == u"auto")
            return LoadMode::Description;
        if (mode == u"manual")
            return LoadMode::Manual;
    }
    return row.how;
}

QString grouped(qint64 n)
{
    return QLocale(QLocale::English).toString(n);
}

} // namespace

QString HarnessLoads::amountText(qint64 amount, LimitUnit unit)
{
    switch (unit) {
    case LimitUnit::Bytes:
        if (amount >= 1024 * 1024 && amount % (1024 * 1024) == 0)
            return u"%1 MiB"_s.arg(amount / (1024 * 1024));
        if (amount >= 1024)
            return u"%1 KiB"_s.arg(grouped((amount + 1023) / 1024));
        return amount == 1 ? u"1 byte"_s : u"%1 bytes"_s.arg(amount);
    case LimitUnit::Characters:
        return amount == 1 ? u"1 character"_s : u"%1 characters"_s.arg(grouped(amount));
    case LimitUnit::Lines:
        return amount == 1 ? u"1 line"_s : u"%1 lines"_s.arg(grouped(amount));
    }
    return {};
}

namespace {

bool scopeFits(const HarnessLimit &limit, HarnessScope scope)
{
    return !limit.scope || *limit.scope == scope;
}

bool reads(LoadStatus status)
{
    return status == LoadStatus::Loaded || status == LoadStatus::Truncated;
}

QString fileName(const QString &path)
{
    return path.section(u'/', -1);
}

} // namespace

HarnessLoads HarnessLoads::ofStore(const ModelContext &store, const QString &homePath)
{
    HarnessLoads loads(homePath);
    const QList<Skill *> all = store.skills();
    loads.compute({ all.cbegin(), all.cend() });
    return loads;
}

HarnessLoads::HarnessLoads(QString homePath) : m_home(std::move(homePath))
{
}

QString HarnessLoads::tilde(const QString &path) const
{
    return startsWithFolder(path, m_home) ? u"~"_s + path.mid(m_home.size()) : path;
}

QList<HarnessLoads::Entry> HarnessLoads::entriesOf(const Skill &skill) const
{
    const QList<HarnessLocation> &rows = HarnessTable::locations();
    // What a path holds when a project row's location is in it.
    static const QStringList markers = [&rows] {
        QStringList list;
        for (const HarnessLocation &row : rows)
            list.append(u'/' + row.path + (row.shape == LocationShape::File ? QString() : u"/"_s));
        return list;
    }();
    struct Candidate
    {
        int row;
        QString path;
        QString root;
        QString clashName;
    };
    QList<Candidate> candidates;
    for (const QString &path : skill.installedPaths()) {
        QList<Candidate> found;
        // Global places first: below the home folder, a project row would
        // take ~/.claude/skills for a project's.
        if (startsWithFolder(path, m_home)) {
            const QStringView rel = QStringView(path).sliced(m_home.size() + 1);
            for (int i = 0; i < rows.size(); ++i) {
                if (rows.at(i).scope != HarnessScope::Global)
                    continue;
                if (const auto name = matchRow(rows.at(i), rel, skill))
                    found.append({ i, path, QString(), *name });
            }
        }
        if (found.isEmpty()) {
            // The project's root is the one that leaves the longest path inside
            // it: app/.codex/AGENTS.md is .codex/AGENTS.md in app, not AGENTS.md in app/.codex.
            for (int i = 0; i < rows.size(); ++i) {
                const HarnessLocation &row = rows.at(i);
                if (row.scope != HarnessScope::Project)
                    continue;
                const QString &marker = markers.at(i);
                for (qsizetype at = path.indexOf(marker); at > 0;
                     at = path.indexOf(marker, at + 1)) {
                    const QString root = path.first(at);
                    if (const auto name = matchRow(row, QStringView(path).sliced(at + 1), skill))
                        found.append({ i, path, root, *name });
                }
            }
            qsizetype shortest = path.size();
            for (const Candidate &c : std::as_const(found))
                shortest = std::min(shortest, c.root.size());
            found.removeIf([shortest](const Candidate &c) { return c.root.size() != shortest; });
        }
        candidates += found;
    }

    // One per harness and scope: a place it reads beats one it ignores, then its preferred place.
    const QMap<QString, QString> frontmatter
        = candidates.isEmpty() ? QMap<QString, QString>() : skill.frontmatter();
    QList<Entry> entries;
    for (const Candidate &c : std::as_const(candidates)) {
        const HarnessLocation &row = rows.at(c.row);
        const auto better = [&](const Entry &e) {
            const HarnessLocation &other = rows.at(e.row);
            if (other.tool != row.tool || other.scope != row.scope)
                return false;
            return true;
        };
        const auto same = std::find_if(entries.begin(), entries.end(), better);
        if (same != entries.end()) {
            const HarnessLocation &other = rows.at(same->row);
            const auto key = [](const HarnessLocation &r) {
                return std::pair(!r.ignoredBecause.isEmpty(), r.rank);
            };
            if (key(other) <= key(row))
                continue;
            entries.erase(same);
        }
        Entry entry;
        entry.skill = &skill;
        entry.row = c.row;
        entry.root = c.root;
        entry.clashName = c.clashName;
        entry.load.tool = row.tool;
        entry.load.scope = row.scope;
        entry.load.kind = row.kind;
        entry.load.path = c.path;
        entry.load.how = howOf(row, frontmatter, entry.globs);
        if (row.clash == NameClash::Shadow)
            entry.shadowKey = ToolSources::rawValue(row.tool) + u'|'
                + SkillKinds::rawValue(row.kind) + u'|' + c.clashName;
        entry.listing
            = (skill.skillDescription() + frontmatter.value(u"when_to_use"_s)).toUcs4().size();
        if (entry.load.how == LoadMode::Glob)
            entry.load.note
                = u"when files match "_s + (entry.globs.isEmpty() ? u"its globs"_s : entry.globs);
        if (!row.ignoredBecause.isEmpty()) {
            entry.load.status = LoadStatus::Ignored;
            entry.load.note = row.ignoredBecause;
        } else if (row.tool == ToolSource::Claude && row.kind == SkillKind::Rule
            && row.scope == HarnessScope::Global && entry.load.how == LoadMode::Glob) {
            // A known fault of Claude Code, reported and still open (claude-code#21858).
            entry.load.status = LoadStatus::Ignored;
            entry.load.note = u"Claude Code does not load personal rules that have paths"_s;
        }
        entries.append(entry);
    }
    std::sort(entries.begin(), entries.end(),
        [](const Entry &a, const Entry &b) { return a.row < b.row; });
    return entries;
}

void HarnessLoads::compute(const QList<const Skill *> &skills)
{
    m_entries.clear();
    m_loads.clear();
    for (const Skill *skill : skills) {
        if (skill)
            m_entries += entriesOf(*skill);
    }
    // The global files as a session outside any project sees them; each
    // project's files as a session in that project, with the global ones.
    QList<Entry> global;
    QHash<QString, QList<Entry>> projects;
    for (const Entry &entry : std::as_const(m_entries)) {
        if (entry.root.isEmpty())
            global.append(entry);
        else
            projects[entry.root].append(entry);
    }
    // A project's files meet global ones only over a name both use; the
    // rest of the global files would only slow each project's session down.
    const QList<Entry> unresolved = global;
    QHash<QString, QList<qsizetype>> globalByName;
    for (qsizetype i = 0; i < global.size(); ++i) {
        if (!global.at(i).shadowKey.isEmpty())
            globalByName[global.at(i).shadowKey].append(i);
    }
    resolve(global);
    // By record, in table order: each record has a few entries to sort.
    QHash<const Skill *, QList<std::pair<int, HarnessLoad>>> byRecord;
    for (const Entry &entry : std::as_const(global))
        byRecord[entry.skill].append({ entry.row, entry.load });
    for (auto it = projects.begin(); it != projects.end(); ++it) {
        QList<Entry> session = it.value();
        QSet<qsizetype> met;
        for (const Entry &entry : it.value()) {
            for (qsizetype i : globalByName.value(entry.shadowKey)) {
                if (!met.contains(i)) {
                    met.insert(i);
                    session.append(unresolved.at(i));
                }
            }
        }
        resolve(session);
        for (const Entry &entry : std::as_const(session)) {
            if (!entry.root.isEmpty())
                byRecord[entry.skill].append({ entry.row, entry.load });
        }
    }
    for (auto it = byRecord.begin(); it != byRecord.end(); ++it) {
        std::sort(
            it->begin(), it->end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        QList<HarnessLoad> &loads = m_loads[it.key()];
        for (auto &[row, load] : *it)
            loads.append(std::move(load));
    }
}

QList<HarnessLoad> HarnessLoads::of(const Skill *skill) const
{
    return m_loads.value(skill);
}

QStringList HarnessLoads::projectRoots() const
{
    QSet<QString> roots;
    for (const Entry &entry : m_entries) {
        if (!entry.root.isEmpty())
            roots.insert(entry.root);
    }
    QStringList sorted(roots.cbegin(), roots.cend());
    sorted.sort();
    return sorted;
}

void HarnessLoads::resolve(QList<Entry> &session) const
{
    const QList<HarnessLocation> &rows = HarnessTable::locations();
    const auto rowOf
        = [&rows](const Entry &e) -> const HarnessLocation & { return rows.at(e.row); };
    const auto active = [](const Entry &e) { return e.load.status == LoadStatus::Loaded; };
    const auto preferred = [&rowOf](const Entry *a, const Entry *b) {
        return std::pair(rowOf(*a).rank, a->load.path) < std::pair(rowOf(*b).rank, b->load.path);
    };

    // A fallback is read only when none of the harness's own files of its kind is there.
    for (Entry &entry : session) {
        if (!active(entry) || rowOf(entry).how != LoadMode::Fallback)
            continue;
        for (const Entry &other : std::as_const(session)) {
            if (active(other) && other.load.tool == entry.load.tool
                && other.load.kind == entry.load.kind && other.root == entry.root
                && rowOf(other).how != LoadMode::Fallback) {
                entry.load.status = LoadStatus::Ignored;
                entry.load.note = u"%1 reads %2 only when there is no %3"_s.arg(
                    ToolSources::displayName(entry.load.tool), fileName(entry.load.path),
                    fileName(other.load.path));
                break;
            }
        }
    }

    // Files that compete: the first existing file of a list, or one name in several places.
    QHash<QString, QList<Entry *>> groups;
    for (Entry &entry : session) {
        if (!active(entry))
            continue;
        const HarnessLocation &row = rowOf(entry);
        const QString base
            = ToolSources::rawValue(row.tool) + u'|' + SkillKinds::rawValue(row.kind);
        if (row.clash == NameClash::FirstFile)
            groups[base + u"|first|"_s + entry.root].append(&entry);
        else if (row.clash == NameClash::Shadow)
            groups[entry.shadowKey].append(&entry);
    }
    for (QList<Entry *> &group : groups) {
        if (group.size() < 2)
            continue;
        const Entry *winner = *std::min_element(group.cbegin(), group.cend(), preferred);
        QString shown = winner->load.path;
        if (rowOf(*winner).shape == LocationShape::SkillFolders)
            shown = shown.section(u'/', 0, -2);
        for (Entry *entry : group) {
            if (entry == winner)
                continue;
            entry->load.status = LoadStatus::Shadowed;
            entry->load.otherPath = winner->load.path;
            entry->load.note = u"by "_s + tilde(shown);
        }
    }
    applyLimits(session);
}

void HarnessLoads::applyLimits(QList<Entry> &session) const
{
    for (Entry &entry : session) {
        if (entry.load.status != LoadStatus::Loaded)
            continue;
        for (const HarnessLimit &limit : HarnessTable::limitsOf(entry.load.tool, entry.load.kind)) {
            if (!scopeFits(limit, entry.load.scope) || limit.effect == LimitEffect::Advice)
                continue;
            if (limit.span == LimitSpan::EachListingEntry) {
                const qint64 length = entry.listing;
                if (length > limit.amount) {
                    entry.load.status = LoadStatus::Truncated;
                    entry.load.note
                        = u"description cut at %1 in the skill listing: the last %2 are never shown"_s
                              .arg(amountText(limit.amount, limit.unit),
                                  grouped(length - limit.amount));
                }
                continue;
            }
            if (limit.span != LimitSpan::EachFile)
                continue;
            const qint64 measured = measure(entry, limit.unit);
            if (measured <= limit.amount)
                continue;
            if (limit.effect == LimitEffect::Skipped) {
                entry.load.status = LoadStatus::Ignored;
                entry.load.note
                    = u"%1 skips files over %2"_s.arg(ToolSources::displayName(entry.load.tool),
                        amountText(limit.amount, limit.unit));
                break;
            }
            entry.load.status = LoadStatus::Truncated;
            entry.load.note
                = u"cut at %1: the last %2 never read"_s.arg(amountText(limit.amount, limit.unit),
                    amountText(measured - limit.amount, limit.unit)
                        + (measured - limit.amount == 1 ? u" is"_s : u" are"_s));
        }
    }

    // One budget for all files of a kind: the file that crosses it is cut, later ones dropped.
    const QList<HarnessLocation> &rows = HarnessTable::locations();
    for (const HarnessLimit &limit : HarnessTable::limits()) {
        if (limit.span != LimitSpan::AllFiles || limit.effect != LimitEffect::Cut)
            continue;
        QHash<QString, QList<Entry *>> budgets;
        for (Entry &entry : session) {
            if (reads(entry.load.status) && (!limit.tool || *limit.tool == entry.load.tool)
                && entry.load.kind == limit.kind && scopeFits(limit, entry.load.scope))
                budgets[ToolSources::rawValue(entry.load.tool) + u'|' + entry.root].append(&entry);
        }
        for (QList<Entry *> &files : budgets) {
            std::sort(files.begin(), files.end(), [&rows](const Entry *a, const Entry *b) {
                return std::pair(rows.at(a->row).rank, a->load.path)
                    < std::pair(rows.at(b->row).rank, b->load.path);
            });
            qint64 used = 0;
            for (Entry *entry : files) {
                const qint64 size = measure(*entry, limit.unit);
                if (used + size > limit.amount) {
                    entry->load.status = LoadStatus::Truncated;
                    const QString rest = amountText(used + size - limit.amount, limit.unit);
                    if (used >= limit.amount)
                        entry->load.note
                            = u"not read: earlier files use up the %1 these files share"_s.arg(
                                amountText(limit.amount, limit.unit));
                    else if (used == 0)
                        entry->load.note = u"cut at %1: the last %2 are never read"_s.arg(
                            amountText(limit.amount, limit.unit), rest);
                    else
                        entry->load.note
                            = u"cut after %1, where the %2 these files share ends: the last %3 are never read"_s
                                  .arg(amountText(limit.amount - used, limit.unit),
                                      amountText(limit.amount, limit.unit), rest);
                }
                used += size;
            }
        }
    }
}

qint64 HarnessLoads::measure(const Entry &entry, LimitUnit unit) const
{
    const Skill &skill = *entry.skill;
    const qint64 size = skill.fileSize();
    // A file holds at least as many bytes as characters or lines: only a
    // big one is worth reading again.
    if (unit == LimitUnit::Bytes)
        return size;
    const auto it = m_measured.constFind(entry.load.path);
    if (it != m_measured.cend() && it->size == size)
        return unit == LimitUnit::Characters ? it->characters : it->lines;
    Measured measured { size, size, size };
    if (const auto read = TextFileReader::readUtf8(skill.resolvedPath())) {
        const QString &text = read.value();
        measured.characters = text.toUcs4().size();
        measured.lines = text.count(u'\n') + (text.endsWith(u'\n') || text.isEmpty() ? 0 : 1);
    }
    m_measured.insert(entry.load.path, measured);
    return unit == LimitUnit::Characters ? measured.characters : measured.lines;
}

HarnessLoads::Session HarnessLoads::session(ToolSource tool, const QString &projectRoot) const
{
    Session result;
    result.tool = tool;
    result.project = projectRoot;
    QList<Entry> entries;
    for (const Entry &entry : m_entries) {
        if (entry.load.tool == tool && (entry.root.isEmpty() || entry.root == projectRoot))
            entries.append(entry);
    }
    resolve(entries);
    std::stable_sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        const auto key = [](const Entry &e) {
            return std::tuple(!reads(e.load.status), kindOrder(e.load.kind), e.row, e.load.path);
        };
        return key(a) < key(b);
    });
    for (const Entry &entry : std::as_const(entries))
        result.items.append({ entry.skill, entry.load, entry.clashName });

    for (const HarnessLimit &limit : HarnessTable::limits()) {
        if (limit.tool && *limit.tool != tool)
            continue;
        Budget budget { limit, 0, {} };
        bool any = false;
        qint64 entryCap = std::numeric_limits<qint64>::max();
        for (const HarnessLimit &other : HarnessTable::limitsOf(tool, limit.kind)) {
            if (other.span == LimitSpan::EachListingEntry)
                entryCap = other.amount;
        }
        for (const Entry &entry : std::as_const(entries)) {
            if (!reads(entry.load.status))
                continue;
            if (entry.load.kind != limit.kind || !scopeFits(limit, entry.load.scope))
                continue;
            any = true;
            const Skill &skill = *entry.skill;
            qint64 figure = 0;
            switch (limit.span) {
            case LimitSpan::EachFile:
                figure = measure(entry, limit.unit);
                break;
            case LimitSpan::AllFiles:
                budget.used += measure(entry, limit.unit);
                continue;
            case LimitSpan::EachListingEntry:
                figure = entry.listing;
                break;
            case LimitSpan::Listing:
                // An entry is its name and its description, each cut as the harness cuts it.
                budget.used += skill.name().size() + 2 + std::min<qint64>(entry.listing, entryCap);
                continue;
            }
            if (figure > budget.used) {
                budget.used = figure;
                budget.file = entry.load.path;
            }
        }
        if (any || limit.tool)
            result.budgets.append(budget);
    }
    return result;
}
