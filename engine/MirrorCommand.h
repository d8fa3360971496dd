#pragma once

// Turns a mirror-copying set into the rsync command that makes TARGET/NAME an exact copy of the source.

#include "BackupSet.h"
#include "Command.h"

QString MirrorFolder(const BackupSet& set);
// The --exclude= arguments: types, then folders, each list sorted with SortList.
QStringList MirrorExclusionArguments(const BackupSet& set);
Command BuildMirrorCommand(const BackupSet& set);
