#include "StagingTree.h"

#include <QFile>
#include <QList>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Opens a folder below parentFd for emptying, giving its owner the rights for it first where it lacks them.
int openForRemoval(int parentFd, const QByteArray& name)
{
    int fd = ::openat(parentFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == EACCES) {
        // Only a real folder gets here: O_NOFOLLOW fails on a link with ELOOP before any right is looked at.
        ::fchmodat(parentFd, name.constData(), 0700, 0);
        fd = ::openat(parentFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    }
    struct stat status;
    if (fd >= 0 && ::fstat(fd, &status) == 0 && (status.st_mode & 0700) != 0700)
        ::fchmod(fd, status.st_mode | 0700);
    return fd;
}

bool isDots(const char* name)
{
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// Removes the entry named below parentFd; a folder depth first without recursion, keeping only the folder being
// emptied open and going back up by "..", so that a deep tree needs neither stack nor descriptors.
bool removeEntryAt(int parentFd, const QByteArray& name)
{
    struct stat status;
    if (::fstatat(parentFd, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(status.st_mode))
        return ::unlinkat(parentFd, name.constData(), 0) == 0 || errno == ENOENT;
    QList<QByteArray> below {name};
    int fd = openForRemoval(parentFd, name);
    if (fd < 0)
        return false;
    for (;;) {
        const int listed = ::dup(fd);
        DIR* dir = listed < 0 ? nullptr : ::fdopendir(listed);
        if (!dir) {
            if (listed >= 0)
                ::close(listed);
            ::close(fd);
            return false;
        }
        ::rewinddir(dir);
        QByteArray folder;
        bool failed = false;
        while (const struct dirent* entry = ::readdir(dir)) {
            if (isDots(entry->d_name))
                continue;
            bool isFolder = entry->d_type == DT_DIR;
            if (entry->d_type == DT_UNKNOWN) {
                struct stat inner;
                isFolder = ::fstatat(fd, entry->d_name, &inner, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(inner.st_mode);
            }
            if (isFolder) {
                if (folder.isEmpty())
                    folder = entry->d_name;
            } else if (::unlinkat(fd, entry->d_name, 0) != 0 && errno != ENOENT) {
                failed = true;
            }
        }
        ::closedir(dir);
        if (failed) {
            ::close(fd);
            return false;
        }
        if (!folder.isEmpty()) {
            const int inner = openForRemoval(fd, folder);
            ::close(fd);
            if (inner < 0)
                return false;
            fd = inner;
            below.append(folder);
            continue;
        }
        const QByteArray emptied = below.takeLast();
        if (below.isEmpty()) {
            ::close(fd);
            return ::unlinkat(parentFd, emptied.constData(), AT_REMOVEDIR) == 0;
        }
        const int up = ::openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        if (up < 0)
            return false;
        if (::unlinkat(up, emptied.constData(), AT_REMOVEDIR) != 0) {
            ::close(up);
            return false;
        }
        fd = up;
    }
}

struct timespec timeOf(const QDateTime& time)
{
    const qint64 msecs = time.toMSecsSinceEpoch();
    struct timespec spec
    {
    };
    spec.tv_sec = time_t(msecs / 1000);
    spec.tv_nsec = long(msecs % 1000) * 1000000L;
    return spec;
}

// Whether a name on disk is the one a listing shows, where "_" may stand for a line break.
bool fitsListed(const QByteArray& onDisk, const QByteArray& listed)
{
    if (onDisk.size() != listed.size())
        return false;
    for (qsizetype i = 0; i < listed.size(); ++i) {
        if (onDisk.at(i) != listed.at(i) && !(listed.at(i) == '_' && onDisk.at(i) == '\n'))
            return false;
    }
    return true;
}

} // namespace

StagingTree::StagingTree(const QString& root)
    : m_fd(::open(QFile::encodeName(root).constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC))
{
}

StagingTree::~StagingTree()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int StagingTree::openParent(const QString& relative, bool create, QByteArray* leaf) const
{
    const QList<QByteArray> parts = QFile::encodeName(relative).split('/');
    for (const QByteArray& part : parts) {
        if (part.isEmpty() || part == "." || part == "..") {
            errno = EINVAL;
            return -1;
        }
    }
    if (m_fd < 0) {
        errno = EBADF;
        return -1;
    }
    int fd = ::dup(m_fd);
    for (qsizetype i = 0; fd >= 0 && i + 1 < parts.size(); ++i) {
        const char* name = parts.at(i).constData();
        int next = ::openat(fd, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0 && errno == ENOENT && create && (::mkdirat(fd, name, 0777) == 0 || errno == EEXIST))
            next = ::openat(fd, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int why = errno;
        ::close(fd);
        fd = next;
        errno = why;
    }
    if (fd >= 0)
        *leaf = parts.last();
    return fd;
}

StagingTree::Kind StagingTree::kindOf(const QString& relative, qint64* size) const
{
    QByteArray leaf;
    const int fd = openParent(relative, false, &leaf);
    if (fd < 0)
        return Kind::Missing;
    struct stat status;
    const bool found = ::fstatat(fd, leaf.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0;
    ::close(fd);
    if (!found)
        return Kind::Missing;
    if (size)
        *size = status.st_size;
    return S_ISDIR(status.st_mode) ? Kind::Folder : S_ISLNK(status.st_mode) ? Kind::Link : Kind::File;
}

std::optional<QString> StagingTree::nameOnDisk(const QString& listed) const
{
    if (kindOf(listed) != Kind::Missing)
        return listed;
    if (!listed.contains(QLatin1Char('_')) || m_fd < 0)
        return std::nullopt;
    const QList<QByteArray> parts = QFile::encodeName(listed).split('/');
    QList<QByteArray> found;
    int fd = ::dup(m_fd);
    for (qsizetype i = 0; fd >= 0 && i < parts.size(); ++i) {
        const QByteArray& part = parts.at(i);
        QByteArray chosen;
        struct stat status;
        if (part.isEmpty() || part == "." || part == "..") {
            // Never a name on disk.
        } else if (::fstatat(fd, part.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
            chosen = part;
        } else if (part.contains('_')) {
            const int listing = ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            DIR* dir = listing < 0 ? nullptr : ::fdopendir(listing);
            int fits = 0;
            while (dir) {
                const struct dirent* entry = ::readdir(dir);
                if (!entry)
                    break;
                const QByteArray name(entry->d_name);
                if (name.contains('\n') && fitsListed(name, part)) {
                    chosen = name;
                    ++fits;
                }
            }
            if (dir)
                ::closedir(dir);
            else if (listing >= 0)
                ::close(listing);
            if (fits != 1)
                chosen.clear();
        }
        if (chosen.isEmpty()) {
            ::close(fd);
            return std::nullopt;
        }
        found.append(chosen);
        if (i + 1 < parts.size()) {
            const int next = ::openat(fd, chosen.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            ::close(fd);
            fd = next;
        }
    }
    if (fd < 0)
        return std::nullopt;
    ::close(fd);
    QStringList names;
    for (const QByteArray& name : std::as_const(found))
        names.append(QFile::decodeName(name));
    return names.join(QLatin1Char('/'));
}

QString StagingTree::makeLink(const QString& relative, const QByteArray& target, const QDateTime& modified) const
{
    QByteArray leaf;
    const int fd = openParent(relative, true, &leaf);
    if (fd < 0)
        return systemError(errno);
    const bool made = removeEntryAt(fd, leaf) && ::symlinkat(target.constData(), fd, leaf.constData()) == 0;
    const QString why = made ? QString() : systemError(errno);
    if (made && modified.isValid()) {
        const struct timespec times[2] = {timeOf(modified), timeOf(modified)};
        ::utimensat(fd, leaf.constData(), times, AT_SYMLINK_NOFOLLOW);
    }
    ::close(fd);
    return why;
}

QString StagingTree::makeFolder(const QString& relative) const
{
    QByteArray leaf;
    const int fd = openParent(relative, false, &leaf);
    if (fd < 0)
        return systemError(errno);
    const bool made = ::mkdirat(fd, leaf.constData(), 0777) == 0 || errno == EEXIST;
    const int why = errno;
    ::close(fd);
    return made ? QString() : systemError(why);
}

void StagingTree::setTime(const QString& relative, const QDateTime& time) const
{
    if (!time.isValid())
        return;
    QByteArray leaf;
    const int fd = openParent(relative, false, &leaf);
    if (fd < 0)
        return;
    const struct timespec times[2] = {timeOf(time), timeOf(time)};
    ::utimensat(fd, leaf.constData(), times, AT_SYMLINK_NOFOLLOW);
    ::close(fd);
}

QString StagingTree::remove(const QString& relative) const
{
    QByteArray leaf;
    const int fd = openParent(relative, false, &leaf);
    if (fd < 0)
        return errno == ENOENT ? QString() : systemError(errno);
    const bool removed = removeEntryAt(fd, leaf);
    const int why = errno;
    ::close(fd);
    return removed ? QString() : systemError(why);
}

bool RemoveWholeFolder(const QString& folder)
{
    QString clean = folder;
    while (clean.size() > 1 && clean.endsWith(QLatin1Char('/')))
        clean.chop(1);
    const qsizetype slash = clean.lastIndexOf(QLatin1Char('/'));
    if (slash < 0 || slash + 1 >= clean.size())
        return false;
    const QString parent = slash == 0 ? QStringLiteral("/") : clean.left(slash);
    const int fd = ::open(QFile::encodeName(parent).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool removed = removeEntryAt(fd, QFile::encodeName(clean.mid(slash + 1)));
    ::close(fd);
    return removed;
}
