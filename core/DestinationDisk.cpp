#include "DestinationDisk.h"

#include "IniFile.h"
#include "MountTable.h"
#include "SetCollection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <sys/stat.h>
#include <sys/sysmacros.h>

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

// The id the marker holds; empty when there is none or it holds nothing usable.
QString markerId(const QString& canonicalFolder)
{
    QFile file(markerPath(canonicalFolder));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString id = QString::fromLatin1(file.read(128)).trimmed();
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

QString MarkDiskOfFolder(const QString& folder)
{
    const std::optional<FolderOnDisk> found = folderOnDisk(folder);
    if (!found)
        return {};
    const QString disk = diskText(*found);
    if (!disk.isEmpty())
        return disk;
    // Written whole or not at all: a torn marker would make the disk look like another one.
    const QByteArray id = QUuid::createUuid().toByteArray(QUuid::Id128) + '\n';
    if (!IniFile::replaceFileAtomically(markerPath(found->canonical), id))
        return {};
    return diskText(*found);
}

bool DestinationOnRecordedDisk(const BackupSet& set)
{
    return set.destinationDisk.isEmpty() || DiskOfFolder(set.target) == set.destinationDisk;
}

bool AcceptDestinationDisk(const BackupSet& set)
{
    const QString disk = MarkDiskOfFolder(set.target);
    if (disk.isEmpty())
        return false;
    return StampSetFileKeys(set.name, {{QLatin1String(kDestinationDiskKey), disk}});
}
