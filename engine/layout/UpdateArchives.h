#pragma once

// Finds a set's chain of update archives ("ARCNAME_upd_*.EXT" in its destination) to count, keep or remove it.

#include "BackupSet.h"

#include <QDateTime>

int CountUpdateArchives(const BackupSet& set);
// How many update runs the current chain has had, for its length rule: the count the set remembers for the full
// archive there now (thinning removes update archives, the runs stay counted), never fewer than the update
// archives beside it.
int ChainRunCount(const BackupSet& set);
// The set's ChainRuns value after a good run: a new chain has had none, an update archive adds one.
QString ChainRunsAfterRun(const BackupSet& set, bool newChain);

// What Remove Old Files deletes, with what a person needs to weigh it: the files that go (the set's current
// full archive, where it is a file, and its update archives), the restore points that go with them, and the
// older chains kept in the set's history folder, which stay.
struct OldFiles
{
    QString fullArchive;
    QStringList updateArchives;
    qint64 bytes = 0;
    // The points Restore offers from these files: none without the full archive, since an update archive
    // alone restores nothing; else the full archive and each update archive named with a time.
    int restorePoints = 0;
    QDateTime oldestPoint;
    QDateTime newestPoint;
    // DEST/NAME.history and how many kept chains it holds; they are not among the files deleted.
    QString historyFolder;
    int keptChains = 0;

    bool isEmpty() const { return fullArchive.isEmpty() && updateArchives.isEmpty(); }
    QStringList paths() const;
};
// Nothing for a mirror set: its folder is no chain of archives.
OldFiles FindOldFiles(const BackupSet& set);
// Deletes the files found, no other: a file that appeared after the user was asked stays. Returns the paths
// that could not be deleted.
QStringList DeleteOldFiles(const OldFiles& files);
