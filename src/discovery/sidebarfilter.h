#pragma once

#include "skillkind.h"
#include "toolsource.h"

#include <QHashFunctions>
#include <QString>

// Which sidebar row filters the skill list. A collection is named, not held,
// so a filter outlives the record it names. Below app/ so that the command
// line filters exactly as the window does.
class SidebarFilter final
{
public:
    enum class Kind { All, Favorites, Tool, Collection, NeedsAttention, FileKind };

    SidebarFilter() = default;
    static SidebarFilter all() { return {}; }
    static SidebarFilter favorites()
    {
        return SidebarFilter(Kind::Favorites, ToolSource::Claude, {});
    }
    // Skills with an error or a warning about their files.
    static SidebarFilter needsAttention()
    {
        return SidebarFilter(Kind::NeedsAttention, ToolSource::Claude, {});
    }
    static SidebarFilter tool(ToolSource tool) { return SidebarFilter(Kind::Tool, tool, {}); }
    static SidebarFilter collection(const QString &name)
    {
        return SidebarFilter(Kind::Collection, ToolSource::Claude, name);
    }
    // Files of one kind: skills, rules, instructions, ...
    static SidebarFilter fileKind(SkillKind kind)
    {
        SidebarFilter filter(Kind::FileKind, ToolSource::Claude, {});
        filter.m_fileKind = kind;
        return filter;
    }

    Kind kind() const { return m_kind; }
    // Meaningful only for Kind::Tool.
    ToolSource toolSource() const { return m_tool; }
    // Meaningful only for Kind::Collection.
    QString collectionName() const { return m_collection; }
    // Meaningful only for Kind::FileKind.
    SkillKind fileKindValue() const { return m_fileKind; }

    friend bool operator==(const SidebarFilter &a, const SidebarFilter &b)
    {
        if (a.m_kind != b.m_kind)
            return false;
        if (a.m_kind == Kind::Tool)
            return a.m_tool == b.m_tool;
        if (a.m_kind == Kind::Collection)
            return a.m_collection == b.m_collection;
        if (a.m_kind == Kind::FileKind)
            return a.m_fileKind == b.m_fileKind;
        return true;
    }

    friend size_t qHash(const SidebarFilter &filter, size_t seed = 0)
    {
        seed = qHashMulti(seed, int(filter.m_kind));
        if (filter.m_kind == Kind::Tool)
            return qHash(ToolSources::rawValue(filter.m_tool), seed);
        if (filter.m_kind == Kind::Collection)
            return qHash(filter.m_collection, seed);
        if (filter.m_kind == Kind::FileKind)
            return qHash(SkillKinds::rawValue(filter.m_fileKind), seed);
        return seed;
    }

private:
    SidebarFilter(Kind kind, ToolSource tool, QString collection)
        : m_kind(kind), m_tool(tool), m_collection(std::move(collection))
    {
    }

    Kind m_kind = Kind::All;
    ToolSource m_tool = ToolSource::Claude;
    QString m_collection;
    SkillKind m_fileKind = SkillKind::Skill;
};
