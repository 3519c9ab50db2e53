#pragma once

#include <QString>

// What the build says about itself: the version and build number CMake was
// given, and the product's web address. One place, so the window, the About
// tab and `quire --version` never disagree.
class BuildInfo final
{
public:
    static QString shortVersion();
    static QString buildNumber();
    static QString websiteUrl();
    static QString maker();

    // "1.4 (27)"; a part that is missing or empty shows as "?", so a build
    // made without the values still says which part it lacks.
    static QString versionText(const QString &shortVersion, const QString &buildNumber);
};
