#pragma once

// Where a set's backup lies in its destination: the one place that joins a folder, a name and a type, so that
// the command builders, the chain, the history and the restore all name the same files and folders.

#include "BackupSet.h"

#include <QString>

// FOLDER/ARCNAME.EXTENSION, the folder taken without its trailing separators.
QString ArchivePath(const QString& folder, const QString& arcName, const QString& extension);
// The set's full archive, TARGET/NAME.TYPE, as a run writes it; empty without a name or a known type, so
// that no caller ever acts on TARGET/NAME, which the program never wrote.
QString FullArchivePath(const BackupSet& set);
// TARGET/NAME, the folder a mirror set's rsync keeps an exact copy of the source in.
QString MirrorFolder(const BackupSet& set);
// DEST/NAME.history, the folder that holds one folder per kept chain (for a mirror set, one per run's replaced
// and deleted files, beside the mirror folder).
QString ChainHistoryFolder(const BackupSet& set);
