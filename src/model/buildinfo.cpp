#include "buildinfo.h"

using namespace Qt::StringLiterals;

QString BuildInfo::shortVersion()
{
    return QStringLiteral(QUIRE_VERSION);
}

QString BuildInfo::buildNumber()
{
    return QStringLiteral(QUIRE_BUILD_NUMBER);
}

QString BuildInfo::websiteUrl()
{
    return QStringLiteral(QUIRE_WEBSITE_URL);
}

QString BuildInfo::maker()
{
    return u"the Quire developers"_s;
}

QString BuildInfo::versionText(const QString &shortVersion, const QString &buildNumber)
{
    const auto orUnknown
        = [](const QString &text) { return text.trimmed().isEmpty() ? u"?"_s : text; };
    return orUnknown(shortVersion) + u" ("_s + orUnknown(buildNumber) + u')';
}
