#include "JobChecks.h"

#include "ArchivePath.h"
#include "DestinationDisk.h"
#include "FolderIdentity.h"
#include "FolderPaths.h"
#include "Jobs.h"
#include "LastRun.h"
#include "Offsite.h"
#include "ProfileStore.h"
#include "ResourceIds.h"
#include "SpaceCheck.h"
#include "StringTable.h"
#include "ToolLocations.h"
#include "UserMessages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isExistingFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

QString sourceMissingReason(const BackupSet& set)
{
    return LoadStringById(StringId::SourceMissing).arg(set.source);
}

// An unmounted disk's mount point is an empty folder that exists: its backup would replace the good one
// with an empty archive, or empty the mirror. Only the user can say it is meant.
bool emptySourceRefused(const BackupSet& set)
{
    const QDir source(set.source);
    if (!source.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        return false;
    return !userMessages().askYesNo(LoadStringById(StringId::EmptySourceQuestion).arg(set.name, set.source));
}

// Whether the set has a backup a stopped run left as it was: its full archive, or a mirror folder with something
// in it. A stop always comes before a run puts its own archive in place.
bool hasEarlierBackup(const BackupSet& set)
{
    if (set.backupType == MirrorCopying) {
        const QString mirror = MirrorFolder(set);
        return isExistingFolder(mirror)
            && !QDir(mirror).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    }
    const QString full = FullArchivePath(set);
    return !full.isEmpty() && QFileInfo::exists(full);
}

} // namespace

std::optional<JobResult> JobStopped(const BackupSet& set, const JobContext& context)
{
    const RunControl::Reason reason = context.control ? context.control->stopReason() : RunControl::Reason::None;
    if (reason == RunControl::Reason::None)
        return std::nullopt;
    // "The previous backup was left as it was" only where there is one.
    const bool earlier = hasEarlierBackup(set);
    if (reason == RunControl::Reason::Asked)
        return JobFailure(set, JobOutcome::Stopped,
            LoadStringById(earlier ? StringId::RunStopped : StringId::RunStoppedNothingBefore));
    return JobFailure(set, JobOutcome::TimedOut,
        LoadStringById(earlier ? StringId::RunTimedOut : StringId::RunTimedOutNothingBefore)
            .arg(context.timeLimit.count()));
}

QString ArchiveTypeInvalidReason(const BackupSet& set)
{
    return LoadStringById(StringId::TypeOrLevelInvalid).arg(set.arcType).arg(set.compLevel);
}

std::optional<JobResult> FolderProblem(const BackupSet& set, const QString& destinationFolder)
{
    if (!isExistingFolder(set.source))
        return JobFailure(set, JobOutcome::SourceMissing, sourceMissingReason(set));
    // Never created behind the user's back: below an unmounted mount point it would fill the system disk.
    if (!isExistingFolder(destinationFolder))
        return JobFailure(
            set, JobOutcome::DestinationMissing, LoadStringById(StringId::DestinationMissing).arg(destinationFolder));
    // A link planted in the marker's place would make the first good run write the marker through it.
    if (const QString planted = DestinationMarkerProblem(set.target); !planted.isEmpty())
        return JobFailure(set, JobOutcome::PrepareFailed, planted);
    // A folder that exists can still be the bare mount point of a disk that is not plugged in.
    if (!DestinationOnRecordedDisk(set))
        return JobFailure(
            set, JobOutcome::DestinationDiskChanged, LoadStringById(StringId::DestinationNotOnDisk).arg(set.target));
    if (emptySourceRefused(set))
        return JobFailure(set, JobOutcome::SourceEmpty, LoadStringById(StringId::SourceEmpty).arg(set.source));
    return std::nullopt;
}

std::optional<JobResult> ArchiveSetProblem(const BackupSet& set)
{
    // Without a destination the archive would land in the root folder.
    if (!IsUsablePath(set.target) || !IsUsablePath(set.source))
        return JobFailure(set, JobOutcome::PrepareFailed, LoadStringById(StringId::PathNotFull));
    // The archive name is a file name in the destination; "../x" would write elsewhere.
    if (!ProfileStore::isValidSetName(set.arcName))
        return JobFailure(
            set, JobOutcome::PrepareFailed, LoadStringById(StringId::ArchiveNameUnusable).arg(set.arcName));
    if (ArcTypeName(set).isEmpty() || CompLevelSwitch(set).isEmpty())
        return JobFailure(set, JobOutcome::PrepareFailed, ArchiveTypeInvalidReason(set));
    // A missing source would make 7-Zip write an empty archive, which must never replace a good one.
    if (const auto problem = FolderProblem(set, set.target))
        return problem;
    // Archives written inside the source are packed into the next archive, which grows by all of them at every
    // run. Judged by the folders themselves, as for a mirror: a bind mount shows the source under another path.
    if (ArchiveFolderInSource(set.source, set.target))
        return JobFailure(
            set, JobOutcome::DestinationInSource, LoadStringById(StringId::ArchiveDestinationInSource).arg(set.target));
    if (const auto offsiteInSource = OffsiteFolderInSourceProblem(set))
        return JobFailure(set, JobOutcome::DestinationInSource, *offsiteInSource);
    return SpaceProblem(set);
}

std::optional<JobResult> MirrorSetProblem(const BackupSet& set)
{
    if (!RsyncAvailable())
        return JobFailure(set, JobOutcome::ToolMissing, LoadStringById(StringId::RsyncMissing));
    if (!IsUsablePath(set.source) || !IsUsablePath(set.target))
        return JobFailure(set, JobOutcome::MirrorUnsafe, LoadStringById(StringId::PathNotFull));
    if (const auto problem = FolderProblem(set, set.target))
        return problem;
    // rsync --delete makes the mirror folder equal to the source and deletes everything else in it. Judged
    // by the folders themselves: one folder may be reached under several paths (a bind mount, a disk
    // mounted twice).
    const QString mirror = MirrorFolder(set);
    // rsync follows a link in the mirror folder's place and --delete empties wherever it leads. One that someone
    // else made in a destination they can write to is a trap; the user's own link stays theirs to use.
    struct stat status;
    if (::lstat(QFile::encodeName(mirror).constData(), &status) == 0 && S_ISLNK(status.st_mode)
        && status.st_uid != ::geteuid())
        return JobFailure(set, JobOutcome::MirrorUnsafe, LoadStringById(StringId::MirrorFolderForeignLink).arg(mirror));
    if (MirrorOverlap(set.source, mirror) != FolderOverlap::None || ArchiveFolderInSource(set.source, mirror))
        return JobFailure(set, JobOutcome::MirrorUnsafe, LoadStringById(StringId::MirrorInsideSource).arg(mirror));
    return SpaceProblem(set);
}
