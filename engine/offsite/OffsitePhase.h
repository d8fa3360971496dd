#pragma once

// The second phase of a run: the backup a good run made is copied off site, and the result says how that went.

#include "JobChecks.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

// For a set with an off-site destination whose run succeeded: copies the new archives (an archive set) or
// mirrors the source (a mirror set over ssh) there, under the job's control, and marks the result copied or
// failed with the reason. A failed copy never turns the local backup into a failure. Nothing for other sets.
void CopyOffsiteAfterRun(const BackupSet& set, const JobContext& context, JobResult& result);
// Fetches the archives of the set's off-site copy into the local folder, for a restore when the local disk is
// gone: every one for nothing in asOf (to list or browse every point), or only those a restore as of that stamp
// or date needs (the full archive and the newest update archive at or before it; the newest of all for an empty
// text). The result says Done, or why the archives could not be fetched.
JobResult FetchOffsiteArchivesJob(const BackupSet& set, const QString& folder, const JobContext& context,
    const std::optional<QString>& asOf = std::nullopt);
// A new private folder for archives fetched from off site, removed with the object (check isValid()). It is made
// beside the program's other state, not in /tmp: archives can be larger than a memory file system.
std::unique_ptr<QTemporaryDir> NewOffsiteFetchFolder();
// Of the set's archives named, those a restore as of the stamp or date needs (see FetchOffsiteArchivesJob).
QStringList ArchivesForPoint(const BackupSet& set, const QStringList& names, const std::optional<QString>& asOf);
// Whether the off-site destination the text names can be reached and written: empty when it can, else why not,
// in words. Waits for the network; for a thread other than the window's.
QString OffsiteTestAnswer(const QString& destination);
