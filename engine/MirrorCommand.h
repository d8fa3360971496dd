#pragma once

// Turns a mirror-copying set into the rsync command that makes TARGET/NAME an exact copy of the source.

#include "BackupSet.h"
#include "Command.h"

QString MirrorFolder(const BackupSet& set);
// The --exclude= arguments: types, then folders, each list sorted with SortList.
QStringList MirrorExclusionArguments(const BackupSet& set);
Command BuildMirrorCommand(const BackupSet& set);

// Gives each folder of the copy the modification time of the folder at the same place in the source; folders
// the source does not have are left alone. rsync leaves a folder it made with the time of the run when the
// source folder's time falls in the same second, so a mirror's and a restore's folders are put right after it.
void CopyFolderTimes(const QString& source, const QString& copy);
