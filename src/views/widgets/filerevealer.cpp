#include "filerevealer.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QUrl>
#include <QWidget>
#if defined(Q_OS_MACOS) || defined(Q_OS_WIN)
#include <QProcess>
#else
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#endif

using namespace Qt::StringLiterals;

namespace {

// Without a file manager that can select a file, at least open its folder;
// without anything to open a folder, say where the file is.
void openContainingFolder(const QString &path, QWidget *parent)
{
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath())))
        FileRevealer::showPath(path, parent);
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

void FileRevealer::showPath(const QString &path, QWidget *parent)
{
    auto *box = new QMessageBox(parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName(u"revealFallback"_s);
    box->setWindowTitle(actionText());
    box->setIcon(QMessageBox::Information);
    box->setTextFormat(Qt::PlainText);
    box->setText(u"No file manager could show the file. It is at:\n\n%1"_s.arg(
        QDir::toNativeSeparators(path)));
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QPushButton *copy = box->addButton(u"Copy Path"_s, QMessageBox::ActionRole);
    box->addButton(QMessageBox::Close);
    // The box closes on any button; Copy Path copies first.
    QObject::connect(copy, &QPushButton::clicked, box,
        [path] { QGuiApplication::clipboard()->setText(QDir::toNativeSeparators(path)); });
    box->open();
}

void FileRevealer::reveal(const QString &path, QWidget *parent)
{
    if (path.isEmpty())
        return;
#if defined(Q_OS_MACOS)
    if (!QProcess::startDetached(u"/usr/bin/open"_s, { u"-R"_s, path }))
        showPath(path, parent);
#elif defined(Q_OS_WIN)
    // Explorer wants "/select," and the path as one argument.
    if (!QProcess::startDetached(
            u"explorer.exe"_s, { u"/select,%1"_s.arg(QDir::toNativeSeparators(path)) }))
        showPath(path, parent);
#else
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openContainingFolder(path, parent);
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
        [path, owner = QPointer<QWidget>(parent)](QDBusPendingCallWatcher *finished) {
            if (finished->isError())
                openContainingFolder(path, owner);
            finished->deleteLater();
        });
#endif
}
