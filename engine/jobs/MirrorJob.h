#pragma once

// The mirror job: rsync makes the set's mirror folder an exact copy of its source.

#include "JobContext.h"
#include "JobOutcome.h"

#include "BackupSet.h"

// Runs the set's mirror job on the calling thread, for a set the caller has read, without the job events.
JobResult RunMirrorJob(const BackupSet& set, const JobContext& context);
