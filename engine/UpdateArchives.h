#pragma once

// Finds a set's chain of update archives ("ARCNAME_upd_*.EXT" in its destination) to count or remove it.

#include "BackupSet.h"

int CountUpdateArchives(const BackupSet& set);
// Deletes every matching file; returns how many matched.
int DeleteUpdateArchives(const BackupSet& set);
