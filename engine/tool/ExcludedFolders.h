#pragma once

// What one excluded-folder entry of a set means for its source folder, so that 7-Zip and rsync leave
// out the same folders.

#include <QString>

struct FolderExclusion
{
    enum Kind
    {
        // A single folder name ("cache/"): every folder of that name, at any depth.
        AnyFolderNamed,
        // One folder, given as a path inside the source (absolute, or relative of two or more levels).
        OneFolderInside,
        // An absolute folder outside the source: nothing to leave out.
        Outside,
    };

    Kind kind = Outside;
    // AnyFolderNamed: the entry as stored. OneFolderInside: the path relative to the source, ending in "/".
    QString path;
};

FolderExclusion ClassifyExcludedFolder(const QString& source, const QString& entry);
