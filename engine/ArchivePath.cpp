#include "ArchivePath.h"

#include "FolderPaths.h"

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
