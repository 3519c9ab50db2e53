#include "skillfile.h"

#include "textfilereader.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace {

// More hops than this is a link loop, as the kernel also decides.
constexpr int maxLinkHops = 40;

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
    return Loaded { TextFileReader::decodeUtf8(bytes.value(), path), snapshotOf(bytes.value()) };
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

Result<SkillFile::Snapshot> SkillFile::save(const QString &path, const QString &text)
{
    // Replacing the link itself would leave the linked file behind with the
    // old text and split the skill in two.
    const QString target = writeTarget(path);
    const QFileInfo before(target);
    if (before.isSymLink())
        return Error { Error::Io,
            u"Could not save %1: too many levels of symbolic links."_s.arg(
                QDir::toNativeSeparators(path)) };

    const QByteArray bytes = text.toUtf8();
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return Error { Error::Io,
            u"Could not save %1: %2"_s.arg(QDir::toNativeSeparators(path), why) };
    }
    if (before.exists()) {
        const QFileDevice::Permissions kept = before.permissions();
        if (QFile::permissions(target) != kept)
            QFile::setPermissions(target, kept);
    }
    return snapshotOf(bytes);
}
