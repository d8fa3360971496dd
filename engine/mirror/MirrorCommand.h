#pragma once

// Turns a mirror-copying set into the rsync command that makes TARGET/NAME an exact copy of the source.

#include "BackupSet.h"
#include "Command.h"

#include <QDateTime>

// The time a mirror's runs and its versions go by: OverdueClock, which tests set with VELMORA_NOW.
QDateTime MirrorClock();
// DEST/NAME.history/STAMP for a run starting now (the time OverdueClock gives), where rsync keeps what the run
// replaces or deletes in the mirror. A stamp already taken there (two runs in one second, or anything planted
// under that name) moves the stamp on by a second, so one run's versions never overwrite another's.
QString NextMirrorVersionFolder(const BackupSet& set);
// The --exclude= arguments: types, then folders, each list sorted with SortList.
QStringList MirrorExclusionArguments(const BackupSet& set);
// versionFolder: where the run keeps the files it replaces or deletes; empty for NextMirrorVersionFolder(set).
Command BuildMirrorCommand(const BackupSet& set, const QString& versionFolder = {});

// Gives each folder of the copy the modification time of the folder at the same place in the source; folders
// the source does not have are left alone. rsync leaves a folder it made with the time of the run when the
// source folder's time falls in the same second, so a mirror's and a restore's folders are put right after it.
void CopyFolderTimes(const QString& source, const QString& copy);
