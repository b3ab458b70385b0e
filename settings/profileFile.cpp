#include "settings/profileFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString lastError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    // The close of a written file reports errors of its own (NFS, some card drivers).
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool writeAll(int fd, const QByteArray& content)
{
    const char* data = content.constData();
    qint64 left = content.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

} // namespace

namespace ProfileFile {

ReadResult Read(const QString& path, qint64 maxBytes, QByteArray* content)
{
    // Non-blocking, so that a FIFO under a profile's name cannot hold the open.
    Descriptor fd(::open(QFile::encodeName(path).constData(),
                         O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Refused;
    struct stat info = {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > maxBytes)
        return ReadResult::Refused;
    // One byte more than allowed tells a file that grew since the check.
    QByteArray bytes(int(maxBytes) + 1, Qt::Uninitialized);
    qint64 total = 0;
    while (total < bytes.size()) {
        const ssize_t got = ::read(fd.get(), bytes.data() + total, size_t(bytes.size() - total));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return ReadResult::Refused;
        if (got == 0)
            break;
        total += got;
    }
    if (total > maxBytes)
        return ReadResult::Refused;
    bytes.truncate(int(total));
    *content = bytes;
    return ReadResult::Read;
}

bool Replace(const QString& path, const QByteArray& content, QString* why)
{
    const QByteArray target = QFile::encodeName(path);
    mode_t mode = 0644;
    struct stat old = {};
    if (::lstat(target.constData(), &old) == 0) {
        if (!S_ISREG(old.st_mode)) {
            *why = QStringLiteral("not a profile file");
            return false;
        }
        mode = old.st_mode & 07777;
    } else if (errno != ENOENT) {
        *why = lastError();
        return false;
    }

    const QFileInfo info(path);
    QByteArray scratch;
    int created = -1;
    for (int attempt = 0; created < 0 && attempt < 100; ++attempt) {
        scratch = QFile::encodeName(info.absolutePath() + QLatin1String("/.") + info.fileName() +
                                    QStringLiteral(".%1-%2.tmp").arg(::getpid()).arg(attempt));
        created =
            ::open(scratch.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (created < 0 && errno != EEXIST)
            break;
    }
    if (created < 0) {
        *why = lastError();
        return false;
    }
    Descriptor fd(created);
    // A full card fails a write or, where space is handed out late, the flush.
    const bool written = writeAll(fd.get(), content) && ::fsync(fd.get()) == 0;
    const int writeErrno = errno;
    if (!written || !fd.close()) {
        *why = QString::fromLocal8Bit(std::strerror(written ? errno : writeErrno));
        ::unlink(scratch.constData());
        return false;
    }
    // rename() replaces a link planted meanwhile instead of writing through it.
    if (::rename(scratch.constData(), target.constData()) != 0) {
        *why = lastError();
        ::unlink(scratch.constData());
        return false;
    }
    return true;
}

} // namespace ProfileFile
