#pragma once

#include "updater.h"

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <chrono>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;
class SettingsStore;

// Checks an appcast: an RSS 2.0 feed whose <item>s each name a version and a
// download address. Accepted per item, in any XML namespace or none:
//   - the version: a shortVersionString (attribute of <enclosure> or child
//     element), else a version (attribute of <enclosure> or child element);
//     items without one that starts with a digit are skipped; a version
//     that is not a short string of [0-9A-Za-z.+-] makes the feed invalid;
//   - the address offered: the item's <link> (the download page), else the
//     enclosure's url, else the channel's <link>; only http and https count.
// The highest version wins and is compared with the running one.
class AppcastUpdater final : public Updater
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AppcastUpdater)

public:
    // A feed is read whole into memory, so it must stay small.
    static constexpr qint64 MaxFeedBytes = qint64(1) << 20; // 1 MiB
    static constexpr qsizetype MaxVersionLength = 64;

    // Whether a feed's version text is a plain version string: 1 to
    // MaxVersionLength characters of ASCII letters, digits, '.', '+' and '-'.
    // Anything else (markup, spaces, control characters) is refused, since the
    // text ends up in a dialog and in comparisons.
    static bool isPlainVersion(QStringView text);

    // The "updateFeedUrl" key of the settings file when present (an empty value
    // turns checks off), else the address built in; empty when neither is set.
    static QUrl configuredFeed(const SettingsStore &settings);

    // Negative, zero or positive as a is older than, equal to or newer than b.
    // Dot-separated numbers compare numerically, missing ones count as 0; a
    // suffix ("-beta.2", "rc1") makes a pre-release, older than the plain number.
    static int compareVersions(const QString &a, const QString &b);

    // An empty feed means none is configured: a check then says so.
    AppcastUpdater(const QString &currentVersion, const QUrl &feed, QObject *parent = nullptr);
    ~AppcastUpdater() override;

    void checkForUpdates() override;

    // How long the transfer may stall before the check gives up.
    void setTransferTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    // How long a whole check may take, however steadily the bytes arrive: a
    // server that drips one byte at a time never stalls, and would otherwise
    // keep "Check for Updates…" disabled for good.
    void setDeadline(std::chrono::milliseconds deadline) { m_deadline = deadline; }

    // What a downloaded feed means for currentVersion; relative addresses in
    // it resolve against feedUrl. Pure, so it can be checked without a network.
    static UpdateCheckResult evaluateFeed(
        const QByteArray &feed, const QString &currentVersion, const QUrl &feedUrl);

private:
    void readAvailable();
    void replyFinished();
    void finishLater(UpdateCheckResult result);
    void finish(const UpdateCheckResult &result);

    QString m_currentVersion;
    QUrl m_feed;
    std::chrono::milliseconds m_timeout { 30'000 };
    std::chrono::milliseconds m_deadline { 60'000 };
    QNetworkAccessManager *m_network;
    QTimer *m_deadlineTimer;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_received;
    bool m_tooLarge = false;
    bool m_pastDeadline = false;
};
