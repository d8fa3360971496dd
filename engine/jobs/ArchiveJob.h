#pragma once

// The archive job: 7-Zip writes a new full archive or an update archive under a hidden name beside the set's
// archive, and only a complete one that tested good takes its place.

#include "JobContext.h"
#include "JobOutcome.h"

#include "BackupSet.h"

// Runs the set's archive job on the calling thread, for a set the caller has read, without the job events.
JobResult RunArchiveJob(const BackupSet& set, const JobContext& context);
