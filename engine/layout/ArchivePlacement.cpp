#include "ArchivePlacement.h"

#include "FileDescriptor.h"
#include "IniFile.h"
#include "LeftoverFiles.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

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
const QString kTemporaryInfix = QStringLiteral(".velmora-");

QString temporaryPrefix(const QFileInfo& finalInfo)
{
    return QLatin1Char('.') + finalInfo.fileName() + kTemporaryInfix;
}

constexpr int kTemporarySuffixLength = 6;

// The new archive keeps the old one's permissions (a user who closed the archive to others expects it to
// stay closed), but only those of a regular file of this user's: in a shared folder another user could
// have planted a link or an open file at the archive's name to open the new archive to everybody.
mode_t archiveMode(const QByteArray& finalPath)
{
    struct stat old;
    if (::lstat(finalPath.constData(), &old) == 0 && S_ISREG(old.st_mode) && old.st_uid == ::geteuid())
        return old.st_mode & 07777;
    return 0644 & ~IniFile::currentUmask();
}

} // namespace

PlacementResult PlaceArchive(const QString& newArchive, const QString& finalPath)
{
    const QFileInfo finalInfo(finalPath);
    const QString folder = finalInfo.absolutePath();
    if (!QFileInfo(folder).isDir())
        return {false, systemError(ENOENT) + QStringLiteral(" (") + folder + QLatin1Char(')')};

    const QByteArray source = QFile::encodeName(newArchive);
    const QByteArray final = QFile::encodeName(finalPath);
    QByteArray temporary = QFile::encodeName(
        folder + QLatin1Char('/') + temporaryPrefix(finalInfo) + QString(kTemporarySuffixLength, QLatin1Char('X')));
    FileDescriptor temporaryFd(::mkstemp(temporary.data()));
    if (temporaryFd.get() < 0)
        return {false, systemError(errno)};
    const mode_t mode = archiveMode(final);

    auto fail = [&](int error) {
        ::unlink(temporary.constData());
        return PlacementResult {false, systemError(error)};
    };

    bool moved = false;
    if (::rename(source.constData(), temporary.constData()) == 0) {
        moved = true;
        // The descriptor now names the file the rename replaced; the moved archive is opened anew, never
        // through a link somebody could have put at its name.
        FileDescriptor movedFd(::open(temporary.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (movedFd.get() < 0 || ::fchmod(movedFd.get(), mode) != 0 || ::fsync(movedFd.get()) != 0)
            return fail(errno);
    } else if (errno == EXDEV) {
        if (::fchmod(temporaryFd.get(), mode) != 0 || !copyInto(source, temporaryFd.get()))
            return fail(errno);
    } else {
        return fail(errno);
    }
    ::close(temporaryFd.release());

    // The only step that removes the old archive, and it is atomic. A link planted at the archive's name
    // is replaced, never written through.
    if (::rename(temporary.constData(), final.constData()) != 0) {
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

QString TemporaryNameBeside(const QString& finalPath)
{
    const QFileInfo finalInfo(finalPath);
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (;;) {
        QString suffix;
        for (int i = 0; i < kTemporarySuffixLength; ++i)
            suffix += QLatin1Char(kLetters[QRandomGenerator::system()->bounded(int(sizeof kLetters) - 1)]);
        const QString path = finalInfo.absolutePath() + QLatin1Char('/') + temporaryPrefix(finalInfo) + suffix;
        struct stat status;
        if (::lstat(QFile::encodeName(path).constData(), &status) != 0 && errno == ENOENT)
            return path;
    }
}

QString TemporaryNamePattern(const QString& finalPath)
{
    const QFileInfo finalInfo(finalPath);
    return finalInfo.absolutePath() + QLatin1Char('/') + temporaryPrefix(finalInfo)
        + QString(kTemporarySuffixLength, QLatin1Char('X'));
}

void RemovePlacementLeftovers(const QString& finalPath)
{
    const QFileInfo finalInfo(finalPath);
    const QString prefix = temporaryPrefix(finalInfo);
    RemoveLeftoverFiles(finalInfo.absolutePath(),
        [&](const QString& name) { return IsTemporaryCopyName(name, prefix, kTemporarySuffixLength); });
}

void RemoveUpdateArchiveLeftovers(const QString& folder, const QString& arcName, const QString& extension)
{
    if (arcName.isEmpty() || extension.isEmpty())
        return;
    const QString start = QLatin1Char('.') + arcName + QStringLiteral("_upd_");
    const QString end = QLatin1Char('.') + extension + kTemporaryInfix;
    RemoveLeftoverFiles(folder, [&](const QString& name) {
        const QString prefix = name.left(name.size() - kTemporarySuffixLength);
        return prefix.size() > start.size() + end.size() && prefix.startsWith(start) && prefix.endsWith(end)
            && IsTemporaryCopyName(name, prefix, kTemporarySuffixLength);
    });
}

QString MoveIntoPlaceNoReplace(const QString& temporaryPath, const QString& finalPath)
{
    const QByteArray temporary = QFile::encodeName(temporaryPath);
    const QByteArray final = QFile::encodeName(finalPath);
    FileDescriptor fd(::open(temporary.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0 || ::fchmod(fd.get(), archiveMode(final)) != 0 || ::fsync(fd.get()) != 0)
        return systemError(errno);
    if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, final.constData(), RENAME_NOREPLACE) != 0) {
        // Some file systems cannot refuse to replace in the rename itself: a hard link can.
        if (errno != EINVAL && errno != ENOSYS)
            return systemError(errno) + QStringLiteral(" (") + finalPath + QLatin1Char(')');
        if (::link(temporary.constData(), final.constData()) != 0)
            return systemError(errno) + QStringLiteral(" (") + finalPath + QLatin1Char(')');
        ::unlink(temporary.constData());
    }
    if (!syncPath(QFile::encodeName(QFileInfo(finalPath).absolutePath()), O_RDONLY | O_DIRECTORY))
        return systemError(errno);
    return {};
}

QString FlushToDisk(const QString& path)
{
    if (!syncPath(QFile::encodeName(path), O_RDONLY)
        || !syncPath(QFile::encodeName(QFileInfo(path).absolutePath()), O_RDONLY | O_DIRECTORY))
        return systemError(errno);
    return {};
}
