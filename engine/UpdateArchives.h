#pragma once

// Finds a set's chain of update archives ("ARCNAME_upd_*.EXT" in its destination) to count, keep or remove it.

#include "BackupSet.h"

int CountUpdateArchives(const BackupSet& set);

// What Remove Old Files deletes: the set's full archive, where it is a file, and its update archives.
struct OldFiles
{
    QString fullArchive;
    QStringList updateArchives;
    qint64 bytes = 0;

    bool isEmpty() const { return fullArchive.isEmpty() && updateArchives.isEmpty(); }
    QStringList paths() const;
};
OldFiles FindOldFiles(const BackupSet& set);
// Deletes the files found, no other: a file that appeared after the user was asked stays. Returns the paths
// that could not be deleted.
QStringList DeleteOldFiles(const OldFiles& files);
