#include "skillartifact.h"

using namespace Qt::StringLiterals;

QString SkillArtifact::categoryRawValue(Category category)
{
    switch (category) {
    case Category::Script:
        return u"Scripts"_s;
    case Category::Reference:
        return u"References"_s;
    case Category::Rule:
        return u"Rules"_s;
    case Category::Config:
        return u"Config"_s;
    case Category::Other:
        return u"Files"_s;
    }
    return {};
}

std::optional<SkillArtifact::Category> SkillArtifact::categoryFromRaw(const QString &raw)
{
    for (Category category : allCategories) {
        if (categoryRawValue(category) == raw)
            return category;
    }
    return std::nullopt;
}

const QSet<QString> &SkillArtifact::scriptExtensions()
{
    static const QSet<QString> extensions = {
        u"py"_s,
        u"sh"_s,
        u"js"_s,
        u"cjs"_s,
        u"mjs"_s,
        u"ts"_s,
        u"rb"_s,
        u"bash"_s,
        u"zsh"_s,
        u"swift"_s,
        u"go"_s,
        u"rs"_s,
    };
    return extensions;
}

const QSet<QString> &SkillArtifact::configExtensions()
{
    static const QSet<QString> extensions = {
        u"json"_s,
        u"yaml"_s,
        u"yml"_s,
        u"toml"_s,
        u"ini"_s,
        u"cfg"_s,
        u"plist"_s,
        u"xml"_s,
    };
    return extensions;
}
