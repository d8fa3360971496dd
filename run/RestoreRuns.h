#pragma once

// What velmora-run does to give backups back: list a set's (or a full archive's) restore points, restore
// one of them into a folder, list the versions of one file.

#include "BackupRuns.h"
#include "RunOptions.h"

// For RunOptions::Mode::Points, Restore and Versions, with the store opened. A set name no set has is a
// usage error, as for backups.
ExitStatus RunRestoreMode(const RunOptions& options);
