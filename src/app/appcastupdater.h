#pragma once

#include "updater.h"

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <chrono>

class QNetworkAccessManager;
class QNetworkReply;
class SettingsStore;

// Checks an appcast: an RSS 2.0 feed whose <item>s each name a version and a
// download address. Accepted per item, in any XML namespace or none:
//   - the version: a shortVersionString (attribute of <enclosure> or child
//     element), else a version (attribute of <enclosure> or child element);
//     items without one that starts with a digit are skipped;
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
    QNetworkAccessManager *m_network;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_received;
    bool m_tooLarge = false;
};
