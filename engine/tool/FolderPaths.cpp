#include "FolderPaths.h"

#include <QDir>

#include "BackupSet.h"

QString TrimmedFolder(const QString& folder)
{
    qsizetype end = folder.size();
    while (end > 1 && folder.at(end - 1) == kPathSeparator)
        --end;
    return folder.left(end);
}

QString FolderWithSeparator(const QString& folder)
{
    const QString trimmed = TrimmedFolder(folder);
    if (trimmed.isEmpty() || trimmed.endsWith(kPathSeparator))
        return trimmed;
    return trimmed + kPathSeparator;
}

bool IsUsablePath(const QString& path)
{
    return !path.trimmed().isEmpty() && QDir::isAbsolutePath(path);
}
