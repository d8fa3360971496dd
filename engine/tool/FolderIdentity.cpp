#include "FolderIdentity.h"

#include "MountTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <algorithm>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

using Identities = QList<FolderIdentity>;

QString parentOf(const QString& canonical)
{
    const qsizetype cut = canonical.lastIndexOf(QLatin1Char('/'));
    return cut <= 0 ? QStringLiteral("/") : canonical.left(cut);
}

bool isSameOrInside(const QString& inner, const QString& outer)
{
    return inner == outer || outer == QLatin1String("/") || inner.startsWith(outer + QLatin1Char('/'));
}

// The identities of the folders above the canonical path, nearest first, up to the root. Each is looked up
// by its path, so a folder reached through a bind mount counts under the path it is seen at here.
Identities identitiesAbove(const QString& canonical)
{
    Identities identities;
    QString path = canonical;
    while (path != QLatin1String("/")) {
        path = parentOf(path);
        if (const auto identity = IdentityOfFolder(path))
            identities.append(*identity);
    }
    return identities;
}

QStringList mountPoints()
{
    QStringList points;
    for (const MountEntry& entry : ReadMountTable())
        points.append(entry.point);
    return points;
}

// Whether a folder mounted strictly inside `outer` is one of the `targets`.
bool mountInsideIsOneOf(const QStringList& points, const QString& outer, const Identities& targets)
{
    for (const QString& point : points) {
        if (point == outer || !isSameOrInside(point, outer))
            continue;
        const auto identity = IdentityOfFolder(point);
        if (identity && targets.contains(*identity))
            return true;
    }
    return false;
}

} // namespace

std::optional<FolderIdentity> IdentityOfFolder(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    struct statx status;
    if (::statx(AT_FDCWD, QFile::encodeName(path).constData(), 0, STATX_TYPE | STATX_INO | STATX_BTIME, &status) != 0
        || !S_ISDIR(status.stx_mode))
        return std::nullopt;
    FolderIdentity identity {quint64(makedev(status.stx_dev_major, status.stx_dev_minor)), quint64(status.stx_ino)};
    // A folder removed and made anew may get the freed inode number back, but not the old birth time.
    if (status.stx_mask & STATX_BTIME)
        identity.birth = qint64(status.stx_btime.tv_sec) * 1000000000 + status.stx_btime.tv_nsec;
    return identity;
}

QString CanonicalPathOf(const QString& path)
{
    QString existing = QDir::cleanPath(QDir(path).absolutePath());
    QString rest;
    while (!existing.isEmpty() && !QFileInfo::exists(existing)) {
        const qsizetype cut = existing.lastIndexOf(QLatin1Char('/'));
        rest = existing.mid(cut) + rest;
        existing = cut <= 0 ? QString() : existing.left(cut);
    }
    const QString resolved = existing.isEmpty() ? QString() : QFileInfo(existing).canonicalFilePath();
    const QString canonical = QDir::cleanPath((resolved == QLatin1String("/") ? QString() : resolved) + rest);
    return canonical.isEmpty() ? QStringLiteral("/") : canonical;
}

FolderOverlap MirrorOverlap(const QString& source, const QString& mirror)
{
    const QString sourcePath = CanonicalPathOf(source);
    const QString mirrorPath = CanonicalPathOf(mirror);
    const auto sourceIdentity = IdentityOfFolder(sourcePath);
    if (!sourceIdentity)
        return FolderOverlap::None;
    const auto mirrorIdentity = IdentityOfFolder(mirrorPath);
    if (mirrorIdentity == sourceIdentity)
        return FolderOverlap::Same;

    // A mirror that does not exist yet is inside the source when one of the folders above it is.
    Identities aroundMirror = identitiesAbove(mirrorPath);
    if (aroundMirror.contains(*sourceIdentity))
        return FolderOverlap::MirrorInsideSource;
    Identities aroundSource = identitiesAbove(sourcePath);
    if (mirrorIdentity && aroundSource.contains(*mirrorIdentity))
        return FolderOverlap::SourceInsideMirror;

    // rsync -a crosses mount points: a mount inside the source showing the mirror or a folder above it
    // makes the copy run into itself, and one inside the mirror showing the source is deleted by --delete.
    const QStringList points = mountPoints();
    if (mirrorIdentity)
        aroundMirror.prepend(*mirrorIdentity);
    if (mountInsideIsOneOf(points, sourcePath, aroundMirror))
        return FolderOverlap::MirrorInsideSource;
    aroundSource.prepend(*sourceIdentity);
    if (mirrorIdentity && mountInsideIsOneOf(points, mirrorPath, aroundSource))
        return FolderOverlap::SourceInsideMirror;
    return FolderOverlap::None;
}

bool ArchiveFolderInSource(const QString& source, const QString& folder)
{
    // A source inside the archive folder is fine: the archives lie beside it, not in it.
    const FolderOverlap overlap = MirrorOverlap(source, folder);
    if (overlap == FolderOverlap::Same || overlap == FolderOverlap::MirrorInsideSource)
        return true;
    // A bind mount elsewhere of a folder inside the source: going up from it never meets the source, but both
    // are places of one file system, and their paths inside it tell.
    const auto placeOf = [](const QString& path) -> std::optional<std::pair<MountEntry, QString>> {
        const QString canonical = CanonicalPathOf(path);
        const auto mount = MountHolding(canonical);
        if (!mount || mount->root.isEmpty())
            return std::nullopt;
        const QString below = mount->point == QLatin1String("/") ? canonical : canonical.mid(mount->point.size());
        return std::make_pair(*mount, QDir::cleanPath(mount->root + QLatin1Char('/') + below));
    };
    const auto sourcePlace = placeOf(source);
    const auto folderPlace = placeOf(folder);
    return sourcePlace && folderPlace && sourcePlace->first.major == folderPlace->first.major
        && sourcePlace->first.minor == folderPlace->first.minor
        && isSameOrInside(folderPlace->second, sourcePlace->second);
}
