#include "textfilereader.h"

#include <QByteArray>
#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

class FileDescriptor final
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) { }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    int get() const { return m_fd; }

private:
    int m_fd;
};

Error failure(Error::Code code, const QString &path, const QString &why)
{
    return Error { code, u"Cannot read "_s + path + u": "_s + why + u'.' };
}

Error systemFailure(const QString &path, int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return failure(Error::NotFound, path, u"it does not exist"_s);
    case EACCES:
    case EPERM:
        return failure(Error::Io, path, u"permission denied"_s);
    default:
        return failure(Error::Io, path, qt_error_string(error));
    }
}

// Only regular files: opening a FIFO, socket or device could block forever or
// have side effects.
std::optional<Error> refuseUnlessRegular(const QString &path, const struct stat &info)
{
    if (S_ISDIR(info.st_mode))
        return failure(Error::BadInput, path, u"it is a folder, not a file"_s);
    if (!S_ISREG(info.st_mode))
        return failure(Error::BadInput, path, u"it is not a regular file"_s);
    if (info.st_size > TextFileReader::maxBytes)
        return failure(Error::BadInput, path, u"it is larger than 16 MiB"_s);
    return std::nullopt;
}

} // namespace

Result<QString> TextFileReader::readUtf8(const QString &path)
{
    Result<QByteArray> bytes = readBytes(path);
    if (!bytes)
        return bytes.error();
    return decodeUtf8(bytes.value(), path);
}

Result<QString> TextFileReader::decodeUtf8(const QByteArray &bytes, const QString &path)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return failure(Error::BadInput, path, u"it is not valid UTF-8"_s);
    return text;
}

Result<QByteArray> TextFileReader::readBytes(const QString &path)
{
    if (path.isEmpty())
        return Error { Error::NotFound, u"Cannot read a file: no path was given."_s };

    const QByteArray nativePath = QFile::encodeName(path);
    struct stat info
    {
    };
    if (::stat(nativePath.constData(), &info) != 0)
        return systemFailure(path, errno);
    if (auto refused = refuseUnlessRegular(path, info))
        return *refused;

    // O_NONBLOCK as well: the path may have been replaced by a FIFO since the stat.
    const FileDescriptor fd(
        ::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0)
        return systemFailure(path, errno);
    if (::fstat(fd.get(), &info) != 0)
        return systemFailure(path, errno);
    if (auto refused = refuseUnlessRegular(path, info))
        return *refused;

    // One byte more than the limit is read, so a file that grew since the stat is still refused.
    QByteArray bytes;
    bytes.resize(qsizetype(info.st_size) + 1);
    qsizetype total = 0;
    while (true) {
        if (total == bytes.size()) {
            if (total > maxBytes)
                return failure(Error::BadInput, path, u"it is larger than 16 MiB"_s);
            bytes.resize(std::min<qsizetype>(bytes.size() * 2, maxBytes + 1));
        }
        const ssize_t count = ::read(fd.get(), bytes.data() + total, size_t(bytes.size() - total));
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return systemFailure(path, errno);
        }
        if (count == 0)
            break;
        total += count;
    }
    if (total > maxBytes)
        return failure(Error::BadInput, path, u"it is larger than 16 MiB"_s);
    bytes.truncate(total);
    return bytes;
}
