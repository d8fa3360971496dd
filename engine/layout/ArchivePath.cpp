#include "ArchivePath.h"

#include "FolderPaths.h"

#include <QFileInfo>

QString ArchivePath(const QString& folder, const QString& arcName, const QString& extension)
{
    const QString trimmed = TrimmedFolder(folder);
    const QString base = trimmed.endsWith(kPathSeparator) ? trimmed : trimmed + kPathSeparator;
    return base + arcName + QLatin1Char('.') + extension;
}

QString FullArchivePath(const BackupSet& set)
{
    const QString extension = ArcTypeName(set);
    if (set.arcName.isEmpty() || extension.isEmpty())
        return {};
    return ArchivePath(set.target, set.arcName, extension);
}

QString MirrorFolder(const BackupSet& set)
{
    return FolderWithSeparator(set.target) + set.name;
}

QString ChainHistoryFolder(const BackupSet& set)
{
    // A mirror's history sits beside the mirror folder, out of reach of rsync's --delete inside it.
    if (set.backupType == MirrorCopying)
        return set.target.isEmpty() || set.name.isEmpty() ? QString() : MirrorFolder(set) + QStringLiteral(".history");
    const QString full = FullArchivePath(set);
    if (full.isEmpty())
        return {};
    return QFileInfo(full).absolutePath() + QLatin1Char('/') + set.arcName + QStringLiteral(".history");
}
