#pragma once

// Where a set's archives lie in its destination: the one place that joins a folder, a name and a type, so that
// the command builder, the chain and the history all name the same file.

#include "BackupSet.h"

#include <QString>

// FOLDER/ARCNAME.EXTENSION, the folder taken without its trailing separators.
QString ArchivePath(const QString& folder, const QString& arcName, const QString& extension);
// The set's full archive, TARGET/NAME.TYPE, as a run writes it; empty without a name or a known type, so
// that no caller ever acts on TARGET/NAME, which the program never wrote.
QString FullArchivePath(const BackupSet& set);
