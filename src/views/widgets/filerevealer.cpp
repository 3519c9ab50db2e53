#include "filerevealer.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#if defined(Q_OS_MACOS) || defined(Q_OS_WIN)
#include <QDir>
#include <QProcess>
#else
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#endif

using namespace Qt::StringLiterals;

namespace {

// Without a file manager that can select a file, at least open its folder.
void openContainingFolder(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

} // namespace

QString FileRevealer::actionText()
{
#if defined(Q_OS_MACOS)
    return u"Show in Finder"_s;
#elif defined(Q_OS_WIN)
    return u"Show in Explorer"_s;
#else
    return u"Show in File Manager"_s;
#endif
}

void FileRevealer::reveal(const QString &path)
{
    if (path.isEmpty())
        return;
#if defined(Q_OS_MACOS)
    QProcess::startDetached(u"/usr/bin/open"_s, { u"-R"_s, path });
#elif defined(Q_OS_WIN)
    // Explorer wants "/select," and the path as one argument.
    QProcess::startDetached(
        u"explorer.exe"_s, { u"/select,%1"_s.arg(QDir::toNativeSeparators(path)) });
#else
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openContainingFolder(path);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(u"org.freedesktop.FileManager1"_s,
        u"/org/freedesktop/FileManager1"_s, u"org.freedesktop.FileManager1"_s, u"ShowItems"_s);
    const QString uri
        = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
    call << QStringList { uri } << QString(); // no startup id
    // Asynchronous: a file manager that is slow to start must not freeze the window.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
        [path](QDBusPendingCallWatcher *finished) {
            if (finished->isError())
                openContainingFolder(path);
            finished->deleteLater();
        });
#endif
}
