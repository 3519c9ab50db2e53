#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QUuid>

#include <array>
#include <optional>

// A supporting file of a folder skill: a script, a reference, a rule, a config
// file or anything else found beside the skill file. Identified by id alone; the
// id is made afresh on every scan, so it only tells apart rows of one list.
struct SkillArtifact
{
    // Declaration order is the order in which the card lists its groups.
    enum class Category { Script, Reference, Rule, Config, Other };

    QUuid id;
    QString name;
    QString path;
    QString relativePath; // "/"-separated, relative to the skill folder
    Category category = Category::Other;
    QString fileExtension; // lower-cased, without the dot; empty when none

    static constexpr std::array<Category, 5> allCategories = {
        Category::Script,
        Category::Reference,
        Category::Rule,
        Category::Config,
        Category::Other,
    };

    // The raw value is also the group's label.
    static QString categoryRawValue(Category category);
    static std::optional<Category> categoryFromRaw(const QString &raw);

    // Lower-case, without dots.
    static const QSet<QString> &scriptExtensions();
    static const QSet<QString> &configExtensions();
};
