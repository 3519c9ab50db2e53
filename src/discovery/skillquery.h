#pragma once

#include "sidebarfilter.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QSet>
#include <QString>

#include <optional>

class ModelContext;
class Skill;
class SkillHealth;

// Which skills the list shows for a sidebar filter and a search text. The
// window's list and `quire list` both ask this class, so they cannot disagree.
class SkillQuery final
{
public:
    SkillQuery() = default;
    // health answers the "needs attention" filter, which keeps nothing without it.
    SkillQuery(SidebarFilter filter, QString searchText, const SkillHealth *health = nullptr);

    SidebarFilter filter() const { return m_filter; }
    QString searchText() const { return m_searchText; }
    const SkillHealth *health() const { return m_health; }
    // The search text as fold() gives it; empty when there is no search.
    QByteArray foldedSearchText() const { return m_foldedSearch; }

    bool matchesFilter(const Skill &skill) const;
    // Empty text matches everything; otherwise the folded text must occur in
    // the folded name, description or content (cheapest field first). The
    // plain pass over one record's texts; the lists below ask the store's
    // index instead.
    bool matchesSearch(const Skill &skill) const;
    bool matches(const Skill &skill) const { return matchesFilter(skill) && matchesSearch(skill); }
    // Keeps the order it is given: the list never re-sorts what the store sorted.
    QList<Skill *> apply(const QList<Skill *> &skillsInNameOrder) const;
    // The skills that matchesSearch keeps, in the order given, answered by
    // the store's search index for saved records.
    QList<Skill *> searchHits(const QList<Skill *> &skills) const;

    static QString title(const SidebarFilter &filter);

    // "all", "favorites", "needs-attention", "tool:RAW" or "collection:NAME"
    // (NAME taken whole, colons and spaces included, and never empty, as no
    // collection can be).
    static std::optional<SidebarFilter> parseFilter(const QString &text);

    // The one case-insensitive form every search compares (see FoldedText).
    static QByteArray fold(const QString &text);
    // Plain substring search on folded text; an empty needle is found anywhere.
    static bool containsFolded(QByteArrayView foldedText, QByteArrayView foldedNeedle)
    {
        return indexOfFolded(foldedText, foldedNeedle) >= 0;
    }
    static qsizetype indexOfFolded(
        QByteArrayView foldedText, QByteArrayView foldedNeedle, qsizetype from = 0);

    friend bool operator==(const SkillQuery &a, const SkillQuery &b)
    {
        return a.m_filter == b.m_filter && a.m_searchText == b.m_searchText
            && a.m_health == b.m_health;
    }

private:
    std::optional<QSet<qint64>> indexHits(const QList<Skill *> &skills, ModelContext **asked) const;
    bool keepsForSearch(const Skill &skill, const std::optional<QSet<qint64>> &hits,
        const ModelContext *asked) const;

    SidebarFilter m_filter;
    QString m_searchText;
    QByteArray m_foldedSearch;
    const SkillHealth *m_health = nullptr;
};
