#include "appcastupdater.h"

#include <QFile>
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

// Answers every request with a feed that never ends: the headers promise a
// long body, then one byte follows every 200 ms, so the transfer never stalls.
class DripServer final : public QTcpServer
{
public:
    DripServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection())
                serve(socket);
        });
        listen(QHostAddress::LocalHost);
    }

    QUrl url() const { return QUrl(u"http://127.0.0.1:%1/appcast.xml"_s.arg(serverPort())); }

private:
    void serve(QTcpSocket *socket)
    {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, socket, [socket] {
            if (!socket->peek(socket->bytesAvailable()).contains("\r\n\r\n"))
                return;
            socket->readAll();
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\n"
                          "Content-Length: 100000\r\n\r\n");
            auto *drip = new QTimer(socket);
            connect(drip, &QTimer::timeout, socket, [socket] { socket->write("<"); });
            drip->start(200);
        });
    }
};

UpdateCheckResult check(AppcastUpdater &updater)
{
    QSignalSpy finished(&updater, &Updater::checkFinished);
    updater.checkForUpdates();
    if (!finished.wait(10'000) || finished.count() != 1)
        return { Kind::Failed, {}, {}, u"<no single result>"_s };
    return finished.at(0).at(0).value<UpdateCheckResult>();
}

} // namespace

// The feed comes over the network, possibly plain http: what it says is
// checked before it is shown, and how long it takes is bounded.
class AppcastUntrustedTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void versions_data();
    void versions();
    void dripFeedHitsDeadline();
};

void AppcastUntrustedTest::initTestCase()
{
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
}

void AppcastUntrustedTest::versions_data()
{
    QTest::addColumn<QByteArray>("version"); // as it stands in the XML element
    QTest::addColumn<bool>("accepted");
    QTest::newRow("plain") << QByteArray("2.0.1") << true;
    QTest::newRow("prefix, pre-release and build") << QByteArray("v2.0.0-beta.1+build.5") << true;
    QTest::newRow("64 characters") << QByteArray("2.").append(62, '0') << true;
    QTest::newRow("65 characters") << QByteArray("2.").append(63, '0') << false;
    QTest::newRow("link to a local file")
        << QByteArray("2.0 &lt;a href=\"file:///etc/passwd\"&gt;download&lt;/a&gt;") << false;
    QTest::newRow("link alone") << QByteArray("&lt;a href=\"file:///bin/sh\"&gt;2.0&lt;/a&gt;")
                                << false;
    QTest::newRow("rich text tags") << QByteArray("2.0<![CDATA[<b>!</b>]]>") << false;
    QTest::newRow("space") << QByteArray("2.0 final") << false;
    QTest::newRow("C1 control sequence") << QByteArray("2.0&#x9b;2J") << false;
    QTest::newRow("line break") << QByteArray("2.0&#10;Install now") << false;
    QTest::newRow("fullwidth digits") << QByteArray("\xef\xbc\x92.0") << false;
}

void AppcastUntrustedTest::versions()
{
    QFETCH(QByteArray, version);
    QFETCH(bool, accepted);
    const QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"appcast.xml"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    // A harmless item first: one bad version spoils the whole feed.
    file.write("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\"><channel>"
               "<item><version>1.0</version><link>https://quire.example/1.0</link></item>"
               "<item><shortVersionString>"
        + version
        + "</shortVersionString><link>https://quire.example/new</link></item>"
          "</channel></rss>\n");
    file.close();

    AppcastUpdater updater(u"0.1.0"_s, QUrl::fromLocalFile(path));
    const UpdateCheckResult result = check(updater);
    if (accepted) {
        QCOMPARE(int(result.kind), int(Kind::UpdateAvailable));
        QCOMPARE(result.latestVersion.toUtf8(), version);
        return;
    }
    QCOMPARE(int(result.kind), int(Kind::Failed));
    QVERIFY(result.latestVersion.isEmpty());
    QVERIFY(!result.downloadUrl.isValid());
    QCOMPARE(result.message,
        u"Could not check for updates: the feed is invalid: it gives a version that is not a "
        "plain version number (at most 64 letters, digits, \u201c.\u201d, \u201c+\u201d and "
        "\u201c-\u201d)."_s);
}

// Each byte arrives well within the stall timeout; only a deadline for the
// whole check ends it, and the menu item comes back.
void AppcastUntrustedTest::dripFeedHitsDeadline()
{
    DripServer server;
    QVERIFY(server.isListening());
    AppcastUpdater updater(u"0.1.0"_s, server.url());
    updater.setTransferTimeout(std::chrono::milliseconds(2000));
    updater.setDeadline(std::chrono::milliseconds(1000));
    const UpdateCheckResult result = check(updater);
    QCOMPARE(int(result.kind), int(Kind::Failed));
    QCOMPARE(result.message,
        u"Could not check for updates: no complete answer from %1 in time."_s.arg(
            server.url().toDisplayString()));
    QVERIFY(updater.canCheckForUpdates());
}

QTEST_GUILESS_MAIN(AppcastUntrustedTest)
#include "tst_appcastuntrusted.moc"
