#include "DestinationDisk.h"

#include "IniFile.h"
#include "MountTable.h"
#include "ResourceIds.h"
#include "SetCollection.h"
#include "StringTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// The file system's UUID as udev names it under /dev/disk/by-uuid: the link to the mount's device. Empty
// for what has none (a tmpfs, a network mount) and where udev keeps no such folder.
QString uuidOfMount(const MountEntry& mount)
{
    const QString device
        = mount.source.startsWith(QLatin1Char('/')) ? QFileInfo(mount.source).canonicalFilePath() : QString();
    const QDir byUuid(QStringLiteral("/dev/disk/by-uuid"));
    const QFileInfoList links = byUuid.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& link : links) {
        const QString target = link.canonicalFilePath();
        if (target.isEmpty())
            continue;
        if (!device.isEmpty() && target == device)
            return link.fileName();
        // The source may be a name the kernel gives and no file has ("/dev/root"); the device number tells.
        struct stat status;
        if (::stat(QFile::encodeName(target).constData(), &status) == 0 && S_ISBLK(status.st_mode)
            && status.st_rdev == makedev(mount.major, mount.minor))
            return link.fileName();
    }
    return {};
}

QString markerPath(const QString& canonicalFolder)
{
    return canonicalFolder + QLatin1Char('/') + QLatin1String(kDestinationMarkerName);
}

// The id the marker holds; empty when there is none or it holds nothing usable. Others may write to the
// folder: a link or a pipe planted in the marker's place is not read (a pipe would block the run for ever).
QString markerId(const QString& canonicalFolder)
{
    const int fd = ::open(QFile::encodeName(markerPath(canonicalFolder)).constData(),
        O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat status;
    char bytes[128];
    ssize_t got = -1;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode))
        got = ::read(fd, bytes, sizeof bytes);
    ::close(fd);
    if (got <= 0)
        return {};
    const QString id = QString::fromLatin1(bytes, qsizetype(got)).trimmed();
    if (id.isEmpty() || id.contains(QLatin1Char(' ')) || id.contains(QLatin1Char('\n')))
        return {};
    return id;
}

struct FolderOnDisk
{
    QString canonical;
    MountEntry mount;
    QString uuid;
};

std::optional<FolderOnDisk> folderOnDisk(const QString& folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return std::nullopt;
    FolderOnDisk found;
    found.canonical = QFileInfo(folder).canonicalFilePath();
    const std::optional<MountEntry> mount = MountHolding(found.canonical);
    if (found.canonical.isEmpty() || !mount)
        return std::nullopt;
    found.mount = *mount;
    found.uuid = uuidOfMount(*mount);
    return found;
}

QString diskText(const FolderOnDisk& folder)
{
    if (!folder.uuid.isEmpty())
        return QStringLiteral("uuid:") + folder.uuid;
    const QString id = markerId(folder.canonical);
    if (id.isEmpty())
        return {};
    // The mount's type and source as well: a marker copied along with the folder onto the system disk must
    // not make the bare mount point pass for the disk.
    return QStringLiteral("marker:%1 %2 %3").arg(id, folder.mount.fsType, folder.mount.source);
}

} // namespace

QString DiskOfFolder(const QString& folder)
{
    const std::optional<FolderOnDisk> found = folderOnDisk(folder);
    return found ? diskText(*found) : QString();
}

QString DestinationMarkerProblem(const QString& folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty())
        return {};
    const QString marker = markerPath(canonical);
    struct stat status;
    if (::lstat(QFile::encodeName(marker).constData(), &status) != 0 || S_ISREG(status.st_mode))
        return {};
    return LoadStringById(
        S_ISLNK(status.st_mode) ? StringId::DestinationMarkerIsLink : StringId::DestinationMarkerNotFile)
        .arg(marker);
}

QString MarkDiskOfFolder(const QString& folder, QString* problem)
{
    const std::optional<FolderOnDisk> found = folderOnDisk(folder);
    if (!found)
        return {};
    if (const QString planted = DestinationMarkerProblem(found->canonical); !planted.isEmpty()) {
        if (problem)
            *problem = planted;
        return {};
    }
    const QString disk = diskText(*found);
    if (!disk.isEmpty())
        return disk;
    // Written whole or not at all: a torn marker would make the disk look like another one. Never through a
    // link someone put there in the meantime.
    const QByteArray id = QUuid::createUuid().toByteArray(QUuid::Id128) + '\n';
    bool linkFound = false;
    if (!IniFile::replaceFileAtomically(markerPath(found->canonical), id, IniFile::LinkAtPath::Refuse, &linkFound)) {
        if (problem)
            *problem = DestinationMarkerProblem(found->canonical);
        return {};
    }
    return diskText(*found);
}

bool DestinationOnRecordedDisk(const BackupSet& set)
{
    return set.destinationDisk.isEmpty() || DiskOfFolder(set.target) == set.destinationDisk;
}

bool AcceptDestinationDisk(const BackupSet& set, QString* problem)
{
    const QString disk = MarkDiskOfFolder(set.target, problem);
    if (disk.isEmpty())
        return false;
    return StampSetFileKeys(set.name, {{QLatin1String(kDestinationDiskKey), disk}});
}
