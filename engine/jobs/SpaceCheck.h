#pragma once

// Whether the destination has room for the set's next run, judged before the run starts. The estimates err
// towards running: a run refused for space changes nothing, but one refused wrongly leaves no backup.

#include "JobOutcome.h"

#include "BackupSet.h"

#include <optional>

// How much a first full archive is taken to shrink the source at most: only text-like data compresses
// further, so a destination that cannot hold even a tenth of the source is plainly too small.
inline constexpr qint64 kFirstArchiveShrink = 10;

// The bytes the set's next run needs in its destination beside what is there: a new full archive as large
// as the previous one (it stands beside the old one until the rename), or for a first one the source's size
// shrunk by kFirstArchiveShrink (the whole size at the level that stores); an update archive as large as the
// largest of the chain; for a mirror, what the source holds beyond what the mirror holds. 0 when there is
// nothing to judge by: an update run with no update archive yet, a mirror with exclusions (the source's size
// would count files rsync never copies).
qint64 SpaceNeeded(const BackupSet& set);
// The refusal of a run whose destination has less room than SpaceNeeded; nothing when it may go on.
std::optional<JobResult> SpaceProblem(const BackupSet& set);
