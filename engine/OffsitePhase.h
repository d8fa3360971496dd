#pragma once

// The second phase of a run: the backup a good run made is copied off site, and the result says how that went.

#include "JobChecks.h"

// For a set with an off-site destination whose run succeeded: copies the new archives (an archive set) or
// mirrors the source (a mirror set over ssh) there, under the job's control, and marks the result copied or
// failed with the reason. A failed copy never turns the local backup into a failure. Nothing for other sets.
void CopyOffsiteAfterRun(const BackupSet& set, const JobContext& context, JobResult& result);
// Fetches every archive of the set's off-site copy into the local folder, for a restore when the local disk is
// gone: the result says Done, or why the archives could not be fetched.
JobResult FetchOffsiteArchivesJob(const BackupSet& set, const QString& folder, const JobContext& context);
// Whether the off-site destination the text names can be reached and written: empty when it can, else why not,
// in words. Waits for the network; for a thread other than the window's.
QString OffsiteTestAnswer(const QString& destination);
