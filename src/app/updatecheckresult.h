#pragma once

#include <QMetaType>
#include <QString>
#include <QUrl>

// What one update check found, ready for a view to show: the message is the
// sentence to display, the URL the page to offer when an update is available.
struct UpdateCheckResult
{
    enum class Kind { UpToDate, UpdateAvailable, NoFeedConfigured, Failed };

    Kind kind = Kind::Failed;
    QString latestVersion; // the feed's highest version; empty when none was read
    QUrl downloadUrl; // http or https only, so a view may open it as it stands
    QString message;
};

Q_DECLARE_METATYPE(UpdateCheckResult)
