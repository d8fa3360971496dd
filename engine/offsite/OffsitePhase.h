#pragma once

// The second phase of a run: the backup a good run made is copied off site, and the result says how that went.
// The folder a fetch from off site writes into; the fetch job itself is in FetchJob.h.

#include "JobContext.h"
#include "JobOutcome.h"

#include "BackupSet.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

// For a set with an off-site destination whose run succeeded: copies the new archives (an archive set) or
// mirrors the source (a mirror set over ssh) there, under the job's control, and marks the result copied or
// failed with the reason. A failed copy never turns the local backup into a failure. Nothing for other sets.
void CopyOffsiteAfterRun(const BackupSet& set, const JobContext& context, JobResult& result);
// A new private folder for archives fetched from off site, removed with the object (check isValid()). It is made
// beside the program's other state, not in /tmp: archives can be larger than a memory file system.
std::unique_ptr<QTemporaryDir> NewOffsiteFetchFolder();
// Whether the off-site destination the text names can be reached and written: empty when it can, else why not,
// in words. Waits for the network; for a thread other than the window's.
QString OffsiteTestAnswer(const QString& destination);
