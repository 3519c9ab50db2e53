#include "appcastupdater.h"
#include "settingsstore.h"

#include <QFile>
#include <QHash>
#include <QNetworkProxy>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using Kind = UpdateCheckResult::Kind;

namespace {

// Answers each path with a canned HTTP response on the loopback interface;
// a path it does not know is never answered. With `drip` the connection stays
// open after the response and one more byte follows every 200 ms, so the
// transfer never stalls and only a deadline for the whole check ends it.
class FeedServer final : public QTcpServer
{
public:
    FeedServer()
    {
        connect(this, &QTcpServer::newConnection, this, &FeedServer::acceptAll);
        listen(QHostAddress::LocalHost);
    }

    QUrl url(const QString &path) const
    {
        return QUrl(u"http://127.0.0.1:%1%2"_s.arg(serverPort()).arg(path));
    }

    static QByteArray response(const QByteArray &status, const QByteArray &body,
        const QByteArray &headers = {}, bool withLength = true)
    {
        QByteArray raw = "HTTP/1.1 " + status + "\r\nConnection: close\r\n" + headers;
        if (withLength)
            raw += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        return raw + "\r\n" + body;
    }

    QHash<QByteArray, QByteArray> responses;
    int requests = 0;
    bool drip = false;

private:
    void acceptAll()
    {
        while (QTcpSocket *socket = nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                const QByteArray request = socket->peek(socket->bytesAvailable());
                if (!request.contains("\r\n\r\n"))
                    return;
                socket->readAll();
                ++requests;
                const QByteArray path = request.split(' ').value(1);
                if (!responses.contains(path))
                    return;
                socket->write(responses.value(path));
                if (!drip) {
                    socket->disconnectFromHost();
                    return;
                }
                auto *timer = new QTimer(socket);
                connect(timer, &QTimer::timeout, socket, [socket] { socket->write("<"); });
                timer->start(200);
            });
        }
    }
};

QByteArray appcast(const QByteArray &items, const QByteArray &channelExtra = {})
{
    return R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:app="urn:example:appcast">
<channel><title>Quire</title>)"
        + channelExtra + items + "</channel></rss>\n";
}

// A harmless item first: one bad version spoils the whole feed.
QByteArray withVersion(const QByteArray &version)
{
    return appcast("<item><version>1.0</version><link>https://quire.example/1.0</link></item>"
                   "<item><shortVersionString>"
        + version + "</shortVersionString><link>https://quire.example/new</link></item>");
}

QByteArray enclosureItem(const QByteArray &version)
{
    return "<item><title>Quire " + version + "</title><link>https://quire.example/" + version
        + "</link><enclosure url=\"https://quire.example/" + version
        + ".tar.gz\" app:shortVersionString=\"" + version + "\" length=\"1\"/></item>";
}

UpdateCheckResult check(AppcastUpdater &updater)
{
    QSignalSpy finished(&updater, &Updater::checkFinished);
    updater.checkForUpdates();
    // wait() sees only later emissions: a result reported from inside the call fails here.
    if (!finished.wait(10'000) || finished.count() != 1)
        return { Kind::Failed, {}, {}, u"<no single result>"_s };
    return finished.at(0).at(0).value<UpdateCheckResult>();
}

} // namespace

class AppcastUpdaterTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void compareVersions_data();
    void compareVersions();
    void feeds_data();
    void feeds();
    void unusableFeedAddress();
    void flagIsFalseWhileChecking();
    void destroyedDuringCheck();
    void configuredFeed_data();
    void configuredFeed();
};

void AppcastUpdaterTest::initTestCase()
{
    // Loopback only, even where the environment names a proxy.
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
}

void AppcastUpdaterTest::compareVersions_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("order");
    QTest::newRow("numeric, not text") << u"0.10.0"_s << u"0.9.9"_s << 1;
    QTest::newRow("missing parts are zero") << u"1.0"_s << u"1.0.0"_s << 0;
    QTest::newRow("no overflow") << u"1.99999999999999999999999"_s << u"1.2"_s << 1;
    QTest::newRow("v prefix") << u"v0.2.0"_s << u"0.2"_s << 0;
    QTest::newRow("release after pre-release") << u"1.0.0"_s << u"1.0.0-beta"_s << 1;
    QTest::newRow("pre-release after older release") << u"1.0.0-beta"_s << u"0.9"_s << 1;
    QTest::newRow("pre-release numbers") << u"1.0.0-beta.10"_s << u"1.0.0-beta.2"_s << 1;
    QTest::newRow("pre-release names") << u"1.0.0-rc1"_s << u"1.0.0-beta3"_s << 1;
    QTest::newRow("build metadata ignored") << u"1.0.0+build7"_s << u"1.0.0"_s << 0;
}

void AppcastUpdaterTest::compareVersions()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, order);
    QCOMPARE(AppcastUpdater::compareVersions(a, b), order);
    QCOMPARE(AppcastUpdater::compareVersions(b, a), -order);
}

// The feed is read from a file, or, for rows whose name starts with "http", the raw
// response of a loopback server ("/feed.xml" holds a plain feed to redirect to).
void AppcastUpdaterTest::feeds_data()
{
    QTest::addColumn<QByteArray>("feed");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("latest");
    QTest::addColumn<QUrl>("page");
    QTest::addColumn<QString>("message"); // the end of it

    const QUrl none;
    const QByteArray huge
        = appcast(enclosureItem("0.2.0")).append(AppcastUpdater::MaxFeedBytes, ' ');
    const QString tooLarge = u"Could not check for updates: the feed is larger than 1 MiB."_s;
    QTest::newRow("newer: highest of several, in any order")
        << appcast(enclosureItem("0.9.0") + enclosureItem("0.10.0") + enclosureItem("0.2.0"))
        << int(Kind::UpdateAvailable) << u"0.10.0"_s << QUrl(u"https://quire.example/0.10.0"_s)
        << u"Quire 0.10.0 is available."_s;
    QTest::newRow("same") << appcast(enclosureItem("0.1.0")) << int(Kind::UpToDate) << u"0.1.0"_s
                          << none << u"Quire 0.1.0 is up to date."_s;
    // The build number would look newer; the short version is what users compare.
    QTest::newRow("short version beats build number")
        << appcast("<item><enclosure app:version=\"27\" app:shortVersionString=\"0.0.5\""
                   " url=\"https://quire.example/a\"/></item>")
        << int(Kind::UpToDate) << u"0.0.5"_s << none << u"Quire 0.1.0 is up to date."_s;
    QTest::newRow("unsafe addresses skipped")
        << appcast("<item><link>file:///etc/passwd</link><app:version>2.0</app:version>"
                   "<enclosure url=\"javascript:alert(1)\"/></item>",
               "<link>https://quire.example/</link>")
        << int(Kind::UpdateAvailable) << u"2.0"_s << QUrl(u"https://quire.example/"_s)
        << u"Quire 2.0 is available."_s;
    QTest::newRow("no versions") << appcast("<item><title>x</title></item>") << int(Kind::Failed)
                                 << QString() << none
                                 << u"Could not check for updates: the feed lists no versions."_s;
    QTest::newRow("malformed XML")
        << appcast(enclosureItem("0.2.0")).replace("</channel>", "</chanel>") << int(Kind::Failed)
        << QString() << none
        << u"Could not check for updates: the feed is not valid XML (line 3: Opening and ending tag mismatch)."_s;
    QTest::newRow("oversize") << huge << int(Kind::Failed) << QString() << none << tooLarge;
    QTest::newRow("http redirect followed")
        << FeedServer::response("302 Found", {}, "Location: /feed.xml\r\n")
        << int(Kind::UpdateAvailable) << u"0.2.0"_s << QUrl(u"https://quire.example/0.2.0"_s)
        << u"Quire 0.2.0 is available."_s;
    QTest::newRow("http 404") << FeedServer::response("404 Not Found", "gone") << int(Kind::Failed)
                              << QString() << none
                              << u"Could not check for updates: the server answered HTTP 404."_s;
    QTest::newRow("http oversize without a length")
        << FeedServer::response("200 OK", huge, {}, false) << int(Kind::Failed) << QString() << none
        << tooLarge;
    // Accepted and never answered.
    QTest::newRow("http silent server")
        << QByteArray() << int(Kind::Failed) << QString() << none << u" in time."_s;
    QTest::newRow("http drip feed hits the deadline")
        << FeedServer::response("200 OK", {}, "Content-Length: 100000\r\n", false)
        << int(Kind::Failed) << QString() << none << u" in time."_s;

    // The version is shown in the window: anything but a plain version number is refused.
    const QUrl newPage(u"https://quire.example/new"_s);
    const QString badVersion
        = u"the feed is invalid: it gives a version that is not a plain version number (at "
          "most 64 letters, digits, \u201c.\u201d, \u201c+\u201d and \u201c-\u201d)."_s;
    QTest::newRow("version with prefix, pre-release and build")
        << withVersion("v2.0.0-beta.1+build.5") << int(Kind::UpdateAvailable)
        << u"v2.0.0-beta.1+build.5"_s << newPage << u"is available."_s;
    QTest::newRow("version of 64 characters")
        << withVersion(QByteArray("2.").append(62, '0')) << int(Kind::UpdateAvailable)
        << QString::fromLatin1(QByteArray("2.").append(62, '0')) << newPage << u"is available."_s;
    QTest::newRow("version of 65 characters")
        << withVersion(QByteArray("2.").append(63, '0')) << int(Kind::Failed) << QString() << none
        << badVersion;
    QTest::newRow("version with a link to a local file")
        << withVersion("2.0 &lt;a href=\"file:///etc/passwd\"&gt;download&lt;/a&gt;")
        << int(Kind::Failed) << QString() << none << badVersion;
    QTest::newRow("version with a C1 control sequence")
        << withVersion("2.0&#x9b;2J") << int(Kind::Failed) << QString() << none << badVersion;
    QTest::newRow("version with a line break")
        << withVersion("2.0&#10;Install now") << int(Kind::Failed) << QString() << none
        << badVersion;
    QTest::newRow("version in fullwidth digits")
        << withVersion("\xef\xbc\x92.0") << int(Kind::Failed) << QString() << none << badVersion;
}

void AppcastUpdaterTest::feeds()
{
    QFETCH(QByteArray, feed);
    QFETCH(int, kind);
    QFETCH(QString, latest);
    QFETCH(QUrl, page);
    QFETCH(QString, message);
    const QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QUrl address = QUrl::fromLocalFile(dir.filePath(u"appcast.xml"_s));
    FeedServer server;
    if (QByteArray(QTest::currentDataTag()).startsWith("http")) {
        QVERIFY(server.isListening());
        if (!feed.isEmpty())
            server.responses.insert("/appcast.xml", feed);
        server.drip = QByteArray(QTest::currentDataTag()).contains("drip");
        server.responses.insert(
            "/feed.xml", FeedServer::response("200 OK", appcast(enclosureItem("0.2.0"))));
        address = server.url(u"/appcast.xml"_s);
    } else {
        QFile file(address.toLocalFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(feed);
    }

    AppcastUpdater updater(u"0.1.0"_s, address);
    updater.setTransferTimeout(std::chrono::milliseconds(1000));
    updater.setDeadline(std::chrono::milliseconds(3000));
    const UpdateCheckResult result = check(updater);
    QVERIFY2(result.message.endsWith(message), qPrintable(result.message));
    QCOMPARE(int(result.kind), kind);
    QCOMPARE(result.latestVersion, latest);
    QCOMPARE(result.downloadUrl, page);
    QVERIFY(updater.canCheckForUpdates()); // a failed check never leaves the item disabled
}

void AppcastUpdaterTest::unusableFeedAddress()
{
    // A build without a feed is updated by whoever packaged it.
    AppcastUpdater unset(u"0.1.0"_s, QUrl());
    const UpdateCheckResult none = check(unset);
    QCOMPARE(int(none.kind), int(Kind::NoFeedConfigured));
    QCOMPARE(none.message, u"Updates are checked by your package manager."_s);

    AppcastUpdater ftp(u"0.1.0"_s, QUrl(u"ftp://quire.example/appcast.xml"_s));
    const UpdateCheckResult refused = check(ftp);
    QCOMPARE(int(refused.kind), int(Kind::Failed));
    QCOMPARE(refused.message,
        u"Could not check for updates: the feed address \u201cftp://quire.example/appcast.xml\u201d is not an http, https or file URL."_s);

    AppcastUpdater missing(u"0.1.0"_s, QUrl::fromLocalFile(u"/nonexistent/quire/appcast.xml"_s));
    const UpdateCheckResult unread = check(missing);
    QCOMPARE(int(unread.kind), int(Kind::Failed));
    QVERIFY2(
        unread.message.startsWith(u"Could not check for updates: "_s), qPrintable(unread.message));
    QVERIFY(ftp.canCheckForUpdates() && missing.canCheckForUpdates());
}

// While a check runs the menu item is disabled and a second request is
// ignored; the flag is back before the result, so a listener may check again.
void AppcastUpdaterTest::flagIsFalseWhileChecking()
{
    FeedServer server;
    server.responses.insert(
        "/appcast.xml", FeedServer::response("200 OK", appcast(enclosureItem("0.2.0"))));
    AppcastUpdater updater(u"0.1.0"_s, server.url(u"/appcast.xml"_s));
    QSignalSpy flag(&updater, &Updater::canCheckForUpdatesChanged);
    QSignalSpy finished(&updater, &Updater::checkFinished);
    bool flagAtResult = false;
    connect(&updater, &Updater::checkFinished, this,
        [&] { flagAtResult = updater.canCheckForUpdates(); });

    QVERIFY(updater.canCheckForUpdates());
    updater.checkForUpdates();
    QVERIFY(!updater.canCheckForUpdates());
    updater.checkForUpdates();
    QVERIFY(finished.wait(10'000));
    QTest::qWait(50);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(server.requests, 1);
    QVERIFY(flagAtResult);
    QCOMPARE(flag.count(), 2);
    QCOMPARE(flag.at(0).at(0).toBool(), false);
    QCOMPARE(flag.at(1).at(0).toBool(), true);
}

// Quitting while a check runs: the updater goes first, the reply must not
// call back into it.
void AppcastUpdaterTest::destroyedDuringCheck()
{
    FeedServer server;
    auto *updater = new AppcastUpdater(u"0.1.0"_s, server.url(u"/appcast.xml"_s));
    QSignalSpy finished(updater, &Updater::checkFinished);
    updater->checkForUpdates();
    QTRY_COMPARE(server.requests, 1);
    delete updater;
    QTest::qWait(50);
    QCOMPARE(finished.count(), 0);
}

void AppcastUpdaterTest::configuredFeed_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QUrl>("feed");
    QTest::newRow("empty value turns checks off") << QByteArray("updateFeedUrl=\n") << QUrl();
    QTest::newRow("local path") << QByteArray("updateFeedUrl=/srv/quire/appcast.xml\n")
                                << QUrl(u"file:///srv/quire/appcast.xml"_s);
    // An unquoted comma makes the INI value a list; the address must survive it.
    QTest::newRow("comma in query")
        << QByteArray("updateFeedUrl=https://quire.example/a?os=linux,deb\n")
        << QUrl(u"https://quire.example/a?os=linux,deb"_s);
}

void AppcastUpdaterTest::configuredFeed()
{
    QFETCH(QByteArray, ini);
    QFETCH(QUrl, feed);
    const QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"Quire.conf"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[General]\n" + ini);
    file.close();
    const SettingsStore settings(path);
    QCOMPARE(AppcastUpdater::configuredFeed(settings), feed);
}

QTEST_GUILESS_MAIN(AppcastUpdaterTest)
#include "tst_appcastupdater.moc"
