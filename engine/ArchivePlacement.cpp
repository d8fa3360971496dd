#include "ArchivePlacement.h"

#include "LeftoverFiles.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Closes a descriptor on every path out of a function.
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    {
    }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

bool syncPath(const QByteArray& path, int flags)
{
    FileDescriptor fd(::open(path.constData(), flags | O_CLOEXEC));
    return fd.get() >= 0 && ::fsync(fd.get()) == 0;
}

// Copies the file's bytes into the open descriptor and flushes them; sets errno on failure.
bool copyInto(const QByteArray& from, int to)
{
    FileDescriptor source(::open(from.constData(), O_RDONLY | O_CLOEXEC));
    if (source.get() < 0)
        return false;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(source.get(), buffer.data(), size_t(buffer.size()));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0)
            break;
        for (ssize_t done = 0; done < got;) {
            const ssize_t wrote = ::write(to, buffer.constData() + done, size_t(got - done));
            if (wrote < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            done += wrote;
        }
    }
    return ::fsync(to) == 0;
}

// The temporary name is the archive's own name behind a dot, so it stays hidden and is known as its own.
QString temporaryPrefix(const QFileInfo& finalInfo)
{
    return QLatin1Char('.') + finalInfo.fileName() + QStringLiteral(".velmora-");
}

constexpr int kTemporarySuffixLength = 6;

} // namespace

PlacementResult PlaceArchive(const QString& newArchive, const QString& finalPath)
{
    const QFileInfo finalInfo(finalPath);
    const QString folder = finalInfo.absolutePath();
    if (!QFileInfo(folder).isDir())
        return {false, systemError(ENOENT) + QStringLiteral(" (") + folder + QLatin1Char(')')};

    const QByteArray source = QFile::encodeName(newArchive);
    QByteArray temporary = QFile::encodeName(
        folder + QLatin1Char('/') + temporaryPrefix(finalInfo) + QString(kTemporarySuffixLength, QLatin1Char('X')));
    FileDescriptor temporaryFd(::mkstemp(temporary.data()));
    if (temporaryFd.get() < 0)
        return {false, systemError(errno)};
    ::fchmod(
        temporaryFd.get(), 0644 & ~[] {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            return mask;
        }());

    auto fail = [&](int error) {
        ::unlink(temporary.constData());
        return PlacementResult {false, systemError(error)};
    };

    bool moved = false;
    if (::rename(source.constData(), temporary.constData()) == 0) {
        moved = true;
        if (!syncPath(temporary, O_RDONLY))
            return fail(errno);
    } else if (errno == EXDEV) {
        if (!copyInto(source, temporaryFd.get()))
            return fail(errno);
    } else {
        return fail(errno);
    }
    ::close(temporaryFd.release());

    // The new archive keeps the old one's permissions: a user who closed the archive to others expects it
    // to stay closed.
    struct stat old;
    if (::stat(QFile::encodeName(finalPath).constData(), &old) == 0)
        ::chmod(temporary.constData(), old.st_mode & 07777);

    // The only step that removes the old archive, and it is atomic.
    if (::rename(temporary.constData(), QFile::encodeName(finalPath).constData()) != 0) {
        const int error = errno;
        if (moved)
            ::rename(temporary.constData(), source.constData());
        return fail(error);
    }
    syncPath(QFile::encodeName(folder), O_RDONLY | O_DIRECTORY);
    if (!moved)
        ::unlink(source.constData());
    return {true, {}};
}

void RemovePlacementLeftovers(const QString& finalPath)
{
    const QFileInfo finalInfo(finalPath);
    const QString prefix = temporaryPrefix(finalInfo);
    RemoveLeftoverFiles(finalInfo.absolutePath(),
        [&](const QString& name) { return IsTemporaryCopyName(name, prefix, kTemporarySuffixLength); });
}

QString FlushToDisk(const QString& path)
{
    if (!syncPath(QFile::encodeName(path), O_RDONLY)
        || !syncPath(QFile::encodeName(QFileInfo(path).absolutePath()), O_RDONLY | O_DIRECTORY))
        return systemError(errno);
    return {};
}
