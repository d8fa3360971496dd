#include "ExcludedFolders.h"

#include "BackupSet.h"
#include "FolderPaths.h"

FolderExclusion ClassifyExcludedFolder(const QString& source, const QString& entry)
{
    QString inner = entry;
    while (inner.endsWith(kPathSeparator))
        inner.chop(1);
    if (inner.isEmpty())
        return {};

    if (inner.startsWith(kPathSeparator)) {
        const QString prefix = FolderWithSeparator(source);
        // The source folder itself is no folder inside it.
        if (prefix.isEmpty() || !inner.startsWith(prefix) || inner.size() == prefix.size())
            return {};
        return {FolderExclusion::OneFolderInside, inner.mid(prefix.size()) + kPathSeparator};
    }
    // A partial path of several levels names one place below the source, as an absolute one does.
    if (inner.contains(kPathSeparator))
        return {FolderExclusion::OneFolderInside, inner + kPathSeparator};
    return {FolderExclusion::AnyFolderNamed, entry};
}
