#include "ChainHistory.h"

#include "ArchivePath.h"
#include "ArchivePlacement.h"
#include "FileDescriptor.h"
#include "UpdateArchives.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError(int error, const QString& path)
{
    return QString::fromLocal8Bit(std::strerror(error)) + QStringLiteral(" (") + path + QLatin1Char(')');
}

std::optional<struct stat> lstatOf(const QString& path)
{
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return status;
}

bool sameFile(const struct stat& one, const struct stat& other)
{
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// The update archives' own stamp form, so that a kept chain sorts among them by its time.
QString stampOf(qint64 seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("yyyy-MM-dd_HH'h'mm'm'ss's'"));
}

// Makes the folder unless it is there; anything but a real folder at its name (a link somebody planted
// could lead the archives anywhere on the disk) is refused.
QString makeFolder(const QString& path)
{
    if (::mkdir(QFile::encodeName(path).constData(), 0777) != 0 && errno != EEXIST)
        return systemError(errno, path);
    const std::optional<struct stat> made = lstatOf(path);
    if (!made || !S_ISDIR(made->st_mode))
        return systemError(ENOTDIR, path);
    return {};
}

void syncFolder(const QString& path)
{
    FileDescriptor fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0)
        ::fsync(fd.get());
}

// Renames without ever replacing a file at the new name; 0 or the error.
int moveNoReplace(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // Some file systems cannot refuse to replace in the rename itself: a hard link can.
    if (::link(source.constData(), target.constData()) != 0)
        return errno;
    ::unlink(source.constData());
    return 0;
}

// The folder of the chain whose full archive is full: the stamp of its time, or of the next second whose
// folder holds no other chain's full archive (a killed replacement of this same chain left its link there).
QString chainFolderFor(const QString& history, const QString& fullName, const std::optional<struct stat>& full)
{
    for (qint64 seconds = full->st_mtim.tv_sec;; ++seconds) {
        const QString folder = history + QLatin1Char('/') + stampOf(seconds);
        const std::optional<struct stat> there = lstatOf(folder);
        if (!there)
            return folder;
        if (!S_ISDIR(there->st_mode))
            continue;
        const std::optional<struct stat> kept = lstatOf(folder + QLatin1Char('/') + fullName);
        if (!kept || sameFile(*kept, *full))
            return folder;
    }
}

// A copy of the full archive under its name in the chain's folder, with its time, for a disk without links.
QString copyKeepingTime(const QString& from, const QString& to, const struct stat& status)
{
    const QString temporary = TemporaryNameBeside(to);
    QFile source(from);
    if (!source.copy(temporary)) {
        QFile::remove(temporary);
        return source.errorString() + QStringLiteral(" (") + to + QLatin1Char(')');
    }
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    ::utimensat(AT_FDCWD, QFile::encodeName(temporary).constData(), times, AT_SYMLINK_NOFOLLOW);
    const QString error = MoveIntoPlaceNoReplace(temporary, to);
    if (!error.isEmpty())
        QFile::remove(temporary);
    return error;
}

} // namespace

ChainReplacement ReplaceChain(const BackupSet& set, const QString& newFullArchive)
{
    ChainReplacement result;
    const QString fullPath = FullArchivePath(set);
    const QString destination = QFileInfo(fullPath).absolutePath();
    const QString fullName = QFileInfo(fullPath).fileName();
    std::optional<struct stat> full = lstatOf(fullPath);
    if (full && S_ISDIR(full->st_mode))
        full.reset();
    const QStringList updates = FindOldFiles(set).updateArchives;
    if (!full && updates.isEmpty()) {
        const PlacementResult placed = PlaceArchive(newFullArchive, fullPath);
        return {placed.placed, placed.error, {}};
    }

    // Update archives without their full archive are dated by the oldest of them.
    std::optional<struct stat> dating = full;
    for (const QString& update : updates) {
        const std::optional<struct stat> status = lstatOf(update);
        if (status && (!dating || status->st_mtim.tv_sec < dating->st_mtim.tv_sec))
            dating = status;
    }
    if (!dating)
        return {false, systemError(ENOENT, fullPath), {}};
    const QString history = ChainHistoryFolder(set);
    if (QString error = makeFolder(history); !error.isEmpty())
        return {false, error, {}};
    // Without the full archive any folder without one will do; the update archives' names are their own.
    const QString folder = chainFolderFor(history, fullName, full ? full : dating);
    if (QString error = makeFolder(folder); !error.isEmpty())
        return {false, error, {}};
    const QString keptFull = folder + QLatin1Char('/') + fullName;
    RemovePlacementLeftovers(keptFull);

    QStringList moved;
    bool keptFullMade = false;
    // A failure puts back what was moved: the destination is then the chain it was.
    auto undo = [&](const QString& error) {
        if (keptFullMade)
            QFile::remove(keptFull);
        for (auto it = moved.crbegin(); it != moved.crend(); ++it)
            moveNoReplace(folder + QLatin1Char('/') + *it, destination + QLatin1Char('/') + *it);
        ::rmdir(QFile::encodeName(folder).constData());
        ::rmdir(QFile::encodeName(history).constData());
        return ChainReplacement {false, error, {}};
    };

    // The update archives go first: until the new full archive has its name, the old one is still there for
    // any that a kill leaves behind.
    for (const QString& update : updates) {
        const QString name = QFileInfo(update).fileName();
        if (const int error = moveNoReplace(update, folder + QLatin1Char('/') + name))
            return undo(systemError(error, folder + QLatin1Char('/') + name));
        moved.append(name);
    }
    if (full && !lstatOf(keptFull)) {
        if (::link(QFile::encodeName(fullPath).constData(), QFile::encodeName(keptFull).constData()) != 0) {
            if (const QString error = copyKeepingTime(fullPath, keptFull, *full); !error.isEmpty())
                return undo(error);
        }
        keptFullMade = true;
    }
    // The kept chain is on disk before the name of its full archive passes to the new one.
    syncFolder(folder);
    syncFolder(history);
    syncFolder(destination);
    const PlacementResult placed = PlaceArchive(newFullArchive, fullPath);
    if (!placed.placed)
        return undo(placed.error);
    result.placed = true;
    result.keptIn = folder;
    return result;
}
