#include "appcastupdater.h"

#include "result.h"
#include "settingsstore.h"

#include <QDir>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSettings>
#include <QTimer>
#include <QXmlStreamReader>

#include <algorithm>

using namespace Qt::StringLiterals;

// The packager's default feed, e.g. -DQUIRE_UPDATE_FEED_URL="https://…/appcast.xml".
#ifndef QUIRE_UPDATE_FEED_URL
#define QUIRE_UPDATE_FEED_URL ""
#endif

namespace {

constexpr int MaxRedirects = 5;

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isSeparator(QChar c)
{
    return c == u'.' || c == u'-' || c == u'_';
}

QStringView withoutPrefixV(QStringView text)
{
    text = text.trimmed();
    if (text.startsWith(u'v') || text.startsWith(u'V'))
        text = text.sliced(1);
    return text;
}

// Compared as text after dropping leading zeros, so no length of digits overflows.
int compareNumbers(QStringView a, QStringView b)
{
    while (a.size() > 1 && a.front() == u'0')
        a = a.sliced(1);
    while (b.size() > 1 && b.front() == u'0')
        b = b.sliced(1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

struct VersionParts
{
    QList<QStringView> numbers;
    QStringView suffix; // empty for a release
};

VersionParts splitVersion(QStringView text)
{
    text = withoutPrefixV(text);
    // Build metadata ("+build5") names the same release.
    if (const qsizetype plus = text.indexOf(u'+'); plus >= 0)
        text = text.first(plus);
    VersionParts parts;
    qsizetype i = 0;
    while (i < text.size() && isAsciiDigit(text[i])) {
        const qsizetype start = i;
        while (i < text.size() && isAsciiDigit(text[i]))
            ++i;
        parts.numbers.append(text.sliced(start, i - start));
        if (i + 1 < text.size() && text[i] == u'.' && isAsciiDigit(text[i + 1]))
            ++i;
        else
            break;
    }
    parts.suffix = text.sliced(i);
    while (!parts.suffix.isEmpty() && isSeparator(parts.suffix.front()))
        parts.suffix = parts.suffix.sliced(1);
    return parts;
}

// Runs of digits and of other characters, separators dropped: "beta.10" is
// {"beta", "10"}, "rc1" is {"rc", "1"}.
QList<QStringView> suffixTokens(QStringView suffix)
{
    QList<QStringView> tokens;
    qsizetype i = 0;
    while (i < suffix.size()) {
        if (isSeparator(suffix[i])) {
            ++i;
            continue;
        }
        const bool digits = isAsciiDigit(suffix[i]);
        const qsizetype start = i;
        while (i < suffix.size() && !isSeparator(suffix[i]) && isAsciiDigit(suffix[i]) == digits)
            ++i;
        tokens.append(suffix.sliced(start, i - start));
    }
    return tokens;
}

int compareSuffixes(QStringView a, QStringView b)
{
    if (a.isEmpty() || b.isEmpty())
        return int(a.isEmpty()) - int(b.isEmpty()); // the release beats its pre-releases
    const QList<QStringView> left = suffixTokens(a);
    const QList<QStringView> right = suffixTokens(b);
    for (qsizetype i = 0; i < qMin(left.size(), right.size()); ++i) {
        const bool leftNumber = isAsciiDigit(left[i].front());
        const bool rightNumber = isAsciiDigit(right[i].front());
        int order = 0;
        if (leftNumber && rightNumber)
            order = compareNumbers(left[i], right[i]);
        else if (leftNumber != rightNumber)
            order = leftNumber ? -1 : 1; // "beta.1" before "beta.x", as semantic versioning orders
        else
            order = left[i].compare(right[i], Qt::CaseInsensitive);
        if (order != 0)
            return order < 0 ? -1 : 1;
    }
    return left.size() == right.size() ? 0 : (left.size() < right.size() ? -1 : 1);
}

bool isVersion(QStringView text)
{
    const QStringView bare = withoutPrefixV(text);
    return !bare.isEmpty() && isAsciiDigit(bare.front());
}

QString withoutFinalStop(QString text)
{
    text = text.trimmed();
    while (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

struct FeedItem
{
    QString shortVersion;
    QString version;
    QString link;
    QString enclosureUrl;

    QString bestVersion() const { return isVersion(shortVersion) ? shortVersion : version; }
};

struct Feed
{
    QList<FeedItem> items;
    QString channelLink;
};

FeedItem readItem(QXmlStreamReader &xml)
{
    FeedItem item;
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (name == u"enclosure") {
            for (const QXmlStreamAttribute &attribute : xml.attributes()) {
                if (attribute.name() == u"shortVersionString")
                    item.shortVersion = attribute.value().trimmed().toString();
                else if (attribute.name() == u"version")
                    item.version = attribute.value().trimmed().toString();
                else if (attribute.name() == u"url")
                    item.enclosureUrl = attribute.value().trimmed().toString();
            }
            xml.skipCurrentElement();
        } else if (name == u"shortVersionString" && item.shortVersion.isEmpty()) {
            item.shortVersion = xml.readElementText().trimmed();
        } else if (name == u"version" && item.version.isEmpty()) {
            item.version = xml.readElementText().trimmed();
        } else if (name == u"link" && xml.namespaceUri().isEmpty()) {
            item.link = xml.readElementText().trimmed();
        } else {
            xml.skipCurrentElement();
        }
    }
    return item;
}

Result<Feed> readFeed(const QByteArray &bytes)
{
    QXmlStreamReader xml(bytes);
    Feed feed;
    bool isRss = false;
    if (xml.readNextStartElement() && xml.name() == u"rss") {
        isRss = true;
        while (xml.readNextStartElement()) {
            if (xml.name() != u"channel") {
                xml.skipCurrentElement();
                continue;
            }
            while (xml.readNextStartElement()) {
                if (xml.name() == u"item")
                    feed.items.append(readItem(xml));
                else if (xml.name() == u"link" && xml.namespaceUri().isEmpty())
                    feed.channelLink = xml.readElementText().trimmed();
                else
                    xml.skipCurrentElement();
            }
        }
    }
    // Read to the end: a feed cut short after its items is still a broken feed.
    while (!xml.atEnd() && !xml.hasError())
        xml.readNext();
    if (xml.hasError()) {
        return Error { Error::BadInput,
            u"the feed is not valid XML (line %1: %2)"_s.arg(xml.lineNumber())
                .arg(withoutFinalStop(xml.errorString())) };
    }
    if (!isRss)
        return Error { Error::BadInput, u"the feed is not an RSS feed"_s };
    for (const FeedItem &item : std::as_const(feed.items)) {
        for (const QString &version : { item.shortVersion, item.version }) {
            if (!version.isEmpty() && !AppcastUpdater::isPlainVersion(version)) {
                return Error { Error::BadInput,
                    u"the feed is invalid: it gives a version that is not a plain version "
                    "number (at most %1 letters, digits, \u201c.\u201d, \u201c+\u201d and "
                    "\u201c-\u201d)"_s.arg(AppcastUpdater::MaxVersionLength) };
            }
        }
    }
    return feed;
}

UpdateCheckResult failed(const QString &reason)
{
    return { UpdateCheckResult::Kind::Failed, {}, {},
        u"Could not check for updates: %1."_s.arg(withoutFinalStop(reason)) };
}

} // namespace

QUrl AppcastUpdater::configuredFeed(const SettingsStore &settings)
{
    const QSettings file(settings.path(), QSettings::IniFormat);
    const QVariant value = file.value(u"updateFeedUrl"_s);
    QString text;
    if (!value.isValid())
        text = QStringLiteral(QUIRE_UPDATE_FEED_URL);
    else if (value.metaType().id() == QMetaType::QStringList)
        text = value.toStringList().join(u','); // INI splits an unquoted value at its commas
    else
        text = value.toString();
    text = text.trimmed();
    if (text.isEmpty())
        return {};
    if (QDir::isAbsolutePath(text))
        return QUrl::fromLocalFile(text);
    return QUrl(text);
}

bool AppcastUpdater::isPlainVersion(QStringView text)
{
    if (text.isEmpty() || text.size() > MaxVersionLength)
        return false;
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')
            || c == u'.' || c == u'+' || c == u'-';
    });
}

int AppcastUpdater::compareVersions(const QString &a, const QString &b)
{
    const VersionParts left = splitVersion(a);
    const VersionParts right = splitVersion(b);
    const qsizetype count = qMax(left.numbers.size(), right.numbers.size());
    for (qsizetype i = 0; i < count; ++i) {
        const QStringView l = i < left.numbers.size() ? left.numbers[i] : u"0";
        const QStringView r = i < right.numbers.size() ? right.numbers[i] : u"0";
        if (const int order = compareNumbers(l, r); order != 0)
            return order < 0 ? -1 : 1;
    }
    return compareSuffixes(left.suffix, right.suffix);
}

AppcastUpdater::AppcastUpdater(const QString &currentVersion, const QUrl &feed, QObject *parent)
    : Updater(parent),
      m_currentVersion(currentVersion),
      m_feed(feed),
      m_network(new QNetworkAccessManager(this)),
      m_deadlineTimer(new QTimer(this))
{
    m_deadlineTimer->setSingleShot(true);
    connect(m_deadlineTimer, &QTimer::timeout, this, [this] {
        if (!m_reply)
            return;
        m_pastDeadline = true;
        m_reply->abort(); // emits finished, which takes the reply
    });
    setCanCheckForUpdates(true);
}

AppcastUpdater::~AppcastUpdater()
{
    // Aborting emits finished at once; nobody may hear it from a half-destroyed updater.
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

void AppcastUpdater::checkForUpdates()
{
    if (!canCheckForUpdates())
        return;
    setCanCheckForUpdates(false);

    if (m_feed.isEmpty()) {
        // A build without a feed comes from a distribution, which updates it.
        finishLater({ UpdateCheckResult::Kind::NoFeedConfigured, {}, {},
            u"Updates are checked by your package manager."_s });
        return;
    }
    const QString scheme = m_feed.scheme();
    if (!m_feed.isValid() || (scheme != u"https" && scheme != u"http" && scheme != u"file")) {
        finishLater(
            failed(u"the feed address \u201c%1\u201d is not an http, https or file URL"_s.arg(
                m_feed.toDisplayString())));
        return;
    }

    QNetworkRequest request(m_feed);
    request.setTransferTimeout(int(m_timeout.count()));
    request.setAttribute(
        QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(MaxRedirects);
    request.setHeader(QNetworkRequest::UserAgentHeader, u"Quire/%1"_s.arg(m_currentVersion));

    m_received.clear();
    m_tooLarge = false;
    m_pastDeadline = false;
    m_reply = m_network->get(request);
    m_deadlineTimer->start(m_deadline);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] {
        // Refuse a declared oversize body before any of it arrives.
        const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > MaxFeedBytes) {
            m_tooLarge = true;
            m_reply->abort();
        }
    });
    connect(m_reply, &QNetworkReply::readyRead, this, &AppcastUpdater::readAvailable);
    connect(m_reply, &QNetworkReply::finished, this, &AppcastUpdater::replyFinished);
}

void AppcastUpdater::readAvailable()
{
    if (m_tooLarge)
        return;
    // One byte past the cap is enough to know; a server without a length (or a
    // compressed body) cannot make us hold more.
    m_received += m_reply->read(MaxFeedBytes + 1 - m_received.size());
    if (m_received.size() > MaxFeedBytes) {
        m_tooLarge = true;
        m_reply->abort(); // emits finished, which takes the reply
    }
}

void AppcastUpdater::replyFinished()
{
    QNetworkReply *reply = m_reply;
    if (reply->error() == QNetworkReply::NoError)
        readAvailable();
    m_reply = nullptr;
    reply->deleteLater();

    if (m_pastDeadline) {
        finish(failed(u"no complete answer from %1 in time"_s.arg(
            m_feed.toDisplayString(QUrl::RemoveUserInfo))));
        return;
    }
    if (m_tooLarge) {
        finish(failed(
            u"the feed is larger than %1"_s.arg(QLocale::c().formattedDataSize(MaxFeedBytes, 0))));
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status >= 400)
            finish(failed(u"the server answered HTTP %1"_s.arg(status)));
        else if (reply->error() == QNetworkReply::OperationCanceledError
            || reply->error() == QNetworkReply::TimeoutError)
            finish(failed(
                u"no answer from %1 in time"_s.arg(m_feed.toDisplayString(QUrl::RemoveUserInfo))));
        else
            finish(failed(reply->errorString()));
        return;
    }
    finish(evaluateFeed(m_received, m_currentVersion, m_feed));
}

void AppcastUpdater::finishLater(UpdateCheckResult result)
{
    // A check always reports after returning, whatever it found, so a caller
    // never hears the result from inside its own call.
    QMetaObject::invokeMethod(
        this, [this, result = std::move(result)] { finish(result); }, Qt::QueuedConnection);
}

void AppcastUpdater::finish(const UpdateCheckResult &result)
{
    m_deadlineTimer->stop();
    m_received.clear();
    setCanCheckForUpdates(true); // before the result, so a listener may check again at once
    Q_EMIT checkFinished(result);
}

UpdateCheckResult AppcastUpdater::evaluateFeed(
    const QByteArray &bytes, const QString &currentVersion, const QUrl &feedUrl)
{
    const Result<Feed> feed = readFeed(bytes);
    if (!feed)
        return failed(feed.error().message);

    const FeedItem *newest = nullptr;
    for (const FeedItem &item : feed.value().items) {
        if (!isVersion(item.bestVersion()))
            continue;
        if (!newest || compareVersions(item.bestVersion(), newest->bestVersion()) > 0)
            newest = &item;
    }
    if (!newest)
        return failed(u"the feed lists no versions"_s);

    const QString latest = newest->bestVersion();
    if (compareVersions(latest, currentVersion) <= 0) {
        return { UpdateCheckResult::Kind::UpToDate, latest, {},
            u"Quire %1 is up to date."_s.arg(currentVersion) };
    }

    // The address ends up in a browser: only web pages, never a local file or a script.
    QUrl page;
    for (const QString &candidate :
        { newest->link, newest->enclosureUrl, feed.value().channelLink }) {
        const QUrl url = feedUrl.resolved(QUrl(candidate, QUrl::StrictMode));
        if (!candidate.isEmpty() && url.isValid() && !url.host().isEmpty()
            && (url.scheme() == u"https" || url.scheme() == u"http")) {
            page = url;
            break;
        }
    }
    return { UpdateCheckResult::Kind::UpdateAvailable, latest, page,
        u"Quire %1 is available."_s.arg(latest) };
}
