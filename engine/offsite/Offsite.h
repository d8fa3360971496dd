#pragma once

// Copies of a set's backups off the machine: the archives of an archive set copied to an off-site destination
// after each good run, a mirror set mirrored there straight from its source, and archives fetched back for a
// restore when the local disk is gone. rsync over ssh and rclone carry everything; Velmora never prompts
// (ssh runs in batch mode; an unknown host key is refused) and keeps no password for either.

#include "JobContext.h"
#include "OffsiteOutcome.h"
#include "OffsiteTarget.h"

#include "BackupSet.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

// The second phase of a good run of an archive set, under the job's control (Stop, time limit, log) with
// progress marked offsite: every file of the set's local chain (full archive and update archives) that is
// missing there or differs is copied under a temporary name and renamed when whole, then checked there by size
// and checksum; only then do files of the set's naming there that are no longer in the local chain go (an old
// chain after a restart). Nothing else in the folder is touched.
OffsiteOutcome CopyArchivesOffsite(const BackupSet& set, const JobContext& context);
// The reason an archive set's off-site folder may not be used: it is, through an rclone remote of this
// computer's disks, the source folder or inside it. Nothing when it is not, or cannot be told.
std::optional<QString> OffsiteFolderInSourceProblem(const BackupSet& set);
// The same for a mirror set with an ssh destination: rsync -a --delete SOURCE/ USER@HOST:PATH/NAME, where NAME
// is the source folder's name, after the same checks as a local mirror (a source that is there and not empty,
// a destination that is not, holds or lies in the source, also when the host is this machine).
OffsiteOutcome MirrorOffsite(const BackupSet& set, const JobContext& context);
// Whether the destination can be reached and written: makes the folder, writes a small file and removes it.
// For the properties' Test button and velmora-run; bounded by the time limit.
OffsiteOutcome TestOffsite(const OffsiteTarget& target, std::chrono::seconds limit = std::chrono::seconds(60));
// The files in the off-site folder of the set's naming (full archive and update archives, never temporary or
// partial copies), sorted by name; the outcome says why when it cannot be listed.
QList<OffsiteFile> ListOffsiteArchives(const BackupSet& set, OffsiteOutcome* outcome = nullptr);
// Fetches the named files of the off-site folder into a local folder (each checked by size, written under a
// temporary name and renamed when whole), under the job's control with progress marked offsite.
OffsiteOutcome FetchOffsiteFiles(
    const BackupSet& set, const QStringList& names, const QString& localFolder, const JobContext& context);
