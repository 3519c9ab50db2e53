#include "skillfile.h"

#include "textfilereader.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// More hops than this is a link loop, as the kernel also decides.
constexpr int maxLinkHops = 40;

const QByteArray utf8ByteOrderMark("\xEF\xBB\xBF");

// How many names the file has; 1 when that cannot be told.
nlink_t hardLinkCount(const QString &path)
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return 1;
    return info.st_nlink;
}

Error writeFailure(const QString &path, const QString &why)
{
    return Error { Error::Io, u"Could not save %1: %2"_s.arg(QDir::toNativeSeparators(path), why) };
}

} // namespace

SkillFile::Snapshot SkillFile::snapshotOf(const QByteArray &bytes)
{
    return Snapshot { true, true, QCryptographicHash::hash(bytes, QCryptographicHash::Sha256) };
}

SkillFile::Loaded SkillFile::load(const QString &path)
{
    Result<QByteArray> bytes = TextFileReader::readBytes(path);
    if (!bytes) {
        const bool exists = bytes.error().code != Error::NotFound;
        return Loaded { bytes.error(), Snapshot { exists, false, {} } };
    }
    return Loaded { TextFileReader::decodeUtf8(bytes.value(), path), snapshotOf(bytes.value()),
        bytes.value().startsWith(utf8ByteOrderMark) };
}

SkillFile::Snapshot SkillFile::snapshot(const QString &path)
{
    return load(path).snapshot;
}

QString SkillFile::writeTarget(const QString &path)
{
    QString target = QFileInfo(path).absoluteFilePath();
    for (int hop = 0; hop < maxLinkHops; ++hop) {
        const QFileInfo info(target);
        if (!info.isSymLink())
            return target;
        // symLinkTarget() is absolute, also for a relative or dangling link.
        target = info.symLinkTarget();
    }
    return target;
}

Result<SkillFile::Snapshot> SkillFile::save(
    const QString &path, const QString &text, bool byteOrderMark)
{
    // Replacing the link itself would leave the linked file behind with the
    // old text and split the skill in two.
    const QString target = writeTarget(path);
    const QFileInfo before(target);
    if (before.isSymLink())
        return Error { Error::Io,
            u"Could not save %1: too many levels of symbolic links."_s.arg(
                QDir::toNativeSeparators(path)) };

    const QByteArray bytes = (byteOrderMark ? utf8ByteOrderMark : QByteArray()) + text.toUtf8();
    // Replacing a hard-linked file by rename would give this name a new file
    // and leave every other name with the old text.
    if (hardLinkCount(target) > 1)
        return writeInPlace(target, path, bytes);
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return writeFailure(path, why);
    }
    if (before.exists()) {
        const QFileDevice::Permissions kept = before.permissions();
        if (QFile::permissions(target) != kept)
            QFile::setPermissions(target, kept);
    }
    return snapshotOf(bytes);
}

Result<SkillFile::Snapshot> SkillFile::writeInPlace(
    const QString &target, const QString &path, const QByteArray &bytes)
{
    QFile file(target);
    if (!file.open(QIODevice::ReadWrite))
        return writeFailure(path, file.errorString());
    // Kept to put back if the write stops halfway, so the file is never left
    // half old, half new.
    const QByteArray old = file.readAll();
    const bool written = file.seek(0) && file.write(bytes) == bytes.size()
        && file.resize(bytes.size()) && file.flush() && ::fsync(file.handle()) == 0;
    if (written)
        return snapshotOf(bytes);
    const QString why = file.errorString();
    if (file.seek(0) && file.write(old) == old.size())
        (void)file.resize(old.size());
    (void)file.flush();
    return writeFailure(path, why);
}
