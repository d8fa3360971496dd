#include "Jobs.h"

#include "ArchiveCommand.h"
#include "ArchivePlacement.h"
#include "ConsoleRunner.h"
#include "FolderIdentity.h"
#include "JobEvents.h"
#include "JobSlot.h"
#include "LastRun.h"
#include "MirrorCommand.h"
#include "ProfileStore.h"
#include "SetCollection.h"
#include "StringTable.h"
#include "TempFolder.h"
#include "ToolLocations.h"
#include "ToolWarnings.h"
#include "UpdateArchives.h"
#include "UserMessages.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>

#include <memory>
#include <optional>

quint32 g_selectedSetId = 0;

namespace {

QMutex threadMutex;
std::unique_ptr<QThread> jobThread;
JobResult lastThreadResult;

// Holds the job slot for one job procedure.
class SlotHold
{
public:
    SlotHold()
        : m_held(JobSlot::tryAcquire())
    {
    }
    ~SlotHold()
    {
        if (m_held)
            JobSlot::release();
    }
    SlotHold(const SlotHold&) = delete;
    SlotHold& operator=(const SlotHold&) = delete;
    bool held() const { return m_held; }

private:
    bool m_held;
};

JobResult refused()
{
    return {JobOutcome::Refused, {}, 0, LoadStringById(140), {}};
}

JobResult failure(const BackupSet& set, JobOutcome outcome, const QString& reason, int exitCode = 0)
{
    return {outcome, set.name, exitCode, reason, {}};
}

QString archiveTypeInvalidReason(const BackupSet& set)
{
    return LoadStringById(162).arg(set.arcType).arg(set.compLevel);
}

// Relative paths would depend on the current folder, and rsync takes "name:path" for another machine.
bool isUsablePath(const QString& path)
{
    return !path.trimmed().isEmpty() && QDir::isAbsolutePath(path);
}

bool isExistingFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

QString sourceMissingReason(const BackupSet& set)
{
    return LoadStringById(133).arg(set.source);
}

// An unmounted disk's mount point is an empty folder that exists: its backup would replace the good one
// with an empty archive, or empty the mirror. Only the user can say it is meant.
bool emptySourceRefused(const BackupSet& set)
{
    const QDir source(set.source);
    if (!source.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        return false;
    return !userMessages().askYesNo(LoadStringById(148).arg(set.name, set.source));
}

// Checks shared by both jobs, in the order a user would fix them; empty when the run may go on.
std::optional<JobResult> folderProblem(const BackupSet& set, const QString& destinationFolder)
{
    if (!isExistingFolder(set.source))
        return failure(set, JobOutcome::SourceMissing, sourceMissingReason(set));
    // Never created behind the user's back: below an unmounted mount point it would fill the system disk.
    if (!isExistingFolder(destinationFolder))
        return failure(set, JobOutcome::DestinationMissing, LoadStringById(150).arg(destinationFolder));
    if (emptySourceRefused(set))
        return failure(set, JobOutcome::SourceEmpty, LoadStringById(149).arg(set.source));
    return std::nullopt;
}

} // namespace

std::optional<JobResult> ArchiveSetProblem(const BackupSet& set)
{
    // Without a destination the archive would land in the root folder.
    if (!isUsablePath(set.target) || !isUsablePath(set.source))
        return failure(set, JobOutcome::PrepareFailed, LoadStringById(138));
    // The archive name is a file name in the destination; "../x" would write elsewhere.
    if (!ProfileStore::isValidSetName(set.arcName))
        return failure(set, JobOutcome::PrepareFailed, LoadStringById(145).arg(set.arcName));
    if (ArcTypeName(set).isEmpty() || CompLevelSwitch(set).isEmpty())
        return failure(set, JobOutcome::PrepareFailed, archiveTypeInvalidReason(set));
    // A missing source would make 7-Zip write an empty archive, which must never replace a good one.
    return folderProblem(set, set.target);
}

namespace {

// Runs the command and keeps its texts for the log; a runner error leaves no output worth showing.
RunResult runTool(const Command& command, const QString& logHeading)
{
    RunResult run = ExecuteCommand(command);
    if (!run.error.isEmpty()) {
        run.output.clear();
        run.secondOutput.clear();
    }
    AppendLastRunTexts(logHeading, {run.output, run.secondOutput, run.error});
    return run;
}

QString toolName(const Command& command)
{
    return QFileInfo(command.program).fileName();
}

void removeIfPresent(const QString& path)
{
    if (!path.isEmpty() && QFileInfo::exists(path))
        QFile::remove(path);
}

// Whether the archive holds at least one entry; nothing when 7-Zip cannot tell.
std::optional<bool> archiveHasEntries(const QString& program, const QString& archive)
{
    // An archive without entries is a few dozen bytes; anything larger holds something.
    if (QFileInfo(archive).size() > qint64(64) * 1024)
        return true;
    Command list;
    list.program = program;
    list.arguments = QStringList {QStringLiteral("l"), QStringLiteral("-ba"), archive};
    const RunResult run = ExecuteCommand(list);
    if (!run.error.isEmpty() || run.exitCode != 0)
        return std::nullopt;
    return !run.output.trimmed().isEmpty();
}

// A run that archived nothing (exclusions that match every file) must not replace an archive that holds
// files: that would throw the last good backup away and call it done.
bool wouldReplaceWithNothing(const QString& program, const QString& scratch, const QString& full)
{
    if (!QFileInfo(full).isFile() || archiveHasEntries(program, scratch).value_or(true))
        return false;
    return archiveHasEntries(program, full).value_or(true);
}

QString archiveWarning(const RunResult& run)
{
    SevenZipWarnings warnings;
    warnings.addText(run.output);
    if (warnings.count() == 0)
        return LoadStringById(164).arg(run.exitCode);
    QString names = warnings.names().join(QStringLiteral(", "));
    if (warnings.count() > warnings.names().size())
        names += QStringLiteral(", …");
    return LoadStringById(163).arg(warnings.count()).arg(names);
}

JobResult archiveJobBody(const BackupSet& stored, const QString& logHeading)
{
    BackupSet set = stored;
    if (const auto problem = ArchiveSetProblem(set))
        return *problem;

    const ArchiveBuild build = BuildArchiveCommand(set);
    switch (build.failure) {
    case BuildFailure::None:
        break;
    case BuildFailure::ToolMissing:
        return failure(set, JobOutcome::ToolMissing, LoadStringById(131));
    case BuildFailure::ListFileUnwritable:
        return failure(set, JobOutcome::PrepareFailed, LoadStringById(137).arg(build.error));
    case BuildFailure::ArchiveTypeInvalid:
        return failure(set, JobOutcome::PrepareFailed, archiveTypeInvalidReason(set));
    }

    // A run killed while 7-Zip wrote or the job placed an archive left its temporary copy beside it.
    RemovePlacementLeftovers(g_fullArchivePath);
    RemoveUpdateArchiveLeftovers(set.target, set.arcName, ArcTypeName(set));
    const bool updateMode = g_archiveMode == QLatin1String("u");
    const RunResult run = runTool(build.command, logHeading);
    RemoveTempFile(g_listFilePath);
    // Whatever 7-Zip half wrote goes; the previous archive and chain stay as they were.
    auto discardNewArchive = [&] {
        removeIfPresent(g_scratchArchivePath);
        removeIfPresent(build.updateWritePath);
    };

    const QString tool = toolName(build.command);
    if (run.exitSignal != 0) {
        discardNewArchive();
        return failure(set, JobOutcome::ToolFailed, LoadStringById(160).arg(tool).arg(run.exitSignal));
    }
    if (!run.error.isEmpty()) {
        discardNewArchive();
        return failure(set, JobOutcome::StartFailed, LoadStringById(135).arg(tool, run.error));
    }
    // 7-Zip exits with 1 on warnings (a file it could not read): the archive is still the newest backup.
    if (run.exitCode < 0 || run.exitCode >= 2) {
        discardNewArchive();
        return failure(set, JobOutcome::ToolFailed, LoadStringById(134).arg(tool).arg(run.exitCode), run.exitCode);
    }

    SendJobEvent(WM_BACKUP_COPYING);
    if (!updateMode) {
        if (!QFileInfo::exists(g_scratchArchivePath))
            return failure(set, JobOutcome::PlaceFailed, LoadStringById(136).arg(LoadStringById(143)), run.exitCode);
        if (wouldReplaceWithNothing(build.command.program, g_scratchArchivePath, g_fullArchivePath)) {
            discardNewArchive();
            return failure(
                set, JobOutcome::NothingArchived, LoadStringById(161).arg(set.source, g_fullArchivePath), run.exitCode);
        }
        const PlacementResult placed = PlaceArchive(g_scratchArchivePath, g_fullArchivePath);
        if (!placed.placed) {
            discardNewArchive();
            return failure(set, JobOutcome::PlaceFailed, LoadStringById(136).arg(placed.error), run.exitCode);
        }
        // The old chain belongs to the archive just replaced; it goes only now that the new one is safe.
        if (build.restartChain)
            DeleteUpdateArchives(set);
    } else if (QFileInfo::exists(build.updateWritePath)) {
        // 7-Zip leaves its update archive to the system's write-back; the run is done once it is on disk
        // under its own name, which never replaces another run's update archive.
        const QString error = MoveIntoPlaceNoReplace(build.updateWritePath, build.updateArchivePath);
        if (!error.isEmpty()) {
            discardNewArchive();
            return failure(set, JobOutcome::PlaceFailed, LoadStringById(136).arg(error), run.exitCode);
        }
    }
    JobResult done {JobOutcome::Done, set.name, run.exitCode, {}, {}};
    if (run.exitCode != 0)
        done.warning = archiveWarning(run);
    return done;
}

JobResult mirrorJobBody(const BackupSet& set, const QString& logHeading)
{
    if (const auto problem = MirrorSetProblem(set))
        return *problem;
    const QString mirror = MirrorFolder(set);
    const std::optional<FolderIdentity> sourceBefore = IdentityOfFolder(set.source);
    QDir().mkdir(mirror);
    const Command command = BuildMirrorCommand(set);
    const RunResult run = runTool(command, logHeading);
    if (run.exitSignal != 0)
        return failure(set, JobOutcome::ToolFailed, LoadStringById(160).arg(toolName(command)).arg(run.exitSignal));
    if (!run.error.isEmpty())
        return failure(set, JobOutcome::StartFailed, LoadStringById(135).arg(toolName(command), run.error));
    // 24: some source files vanished during the transfer, which is no failure of the mirror, unless what
    // vanished is the source itself: then the mirror is no copy of it, and --delete may have emptied it.
    if (run.exitCode == 24 && IdentityOfFolder(set.source) != sourceBefore)
        return failure(set, JobOutcome::ToolFailed, LoadStringById(151).arg(set.source), run.exitCode);
    if (run.exitCode != 0 && run.exitCode != 24)
        return failure(
            set, JobOutcome::ToolFailed, LoadStringById(134).arg(toolName(command)).arg(run.exitCode), run.exitCode);
    return {JobOutcome::Done, set.name, run.exitCode, {}, run.exitCode == 24 ? LoadStringById(166) : QString()};
}

bool rsyncAvailable()
{
    const QFileInfo rsync(RobocopyPath());
    return rsync.isFile() && rsync.isExecutable();
}

} // namespace

std::optional<JobResult> MirrorSetProblem(const BackupSet& set)
{
    if (!rsyncAvailable())
        return failure(set, JobOutcome::ToolMissing, LoadStringById(132));
    if (!isUsablePath(set.source) || !isUsablePath(set.target))
        return failure(set, JobOutcome::MirrorUnsafe, LoadStringById(138));
    if (const auto problem = folderProblem(set, set.target))
        return problem;
    // rsync --delete makes the mirror folder equal to the source and deletes everything else in it. Judged
    // by the folders themselves: one folder may be reached under several paths (a bind mount, a disk
    // mounted twice).
    const QString mirror = MirrorFolder(set);
    if (MirrorOverlap(set.source, mirror) != FolderOverlap::None)
        return failure(set, JobOutcome::MirrorUnsafe, LoadStringById(139).arg(mirror));
    return std::nullopt;
}

namespace {

// One set's job with its events; the caller holds the slot. A heading marks its output in a shared log.
JobResult runJobBody(quint32 id, bool mirror, bool withLogHeading = false)
{
    BackupSet set;
    if (!GetBackupSet(id, set))
        return {JobOutcome::SetMissing, QString(), 0, LoadStringById(142), {}};
    if (mirror && !rsyncAvailable())
        return failure(set, JobOutcome::ToolMissing, LoadStringById(132));
    SendJobEvent(WM_BACKUP_STARTED);
    const QString heading = withLogHeading ? QStringLiteral("=== %1 ===").arg(set.name) : QString();
    const JobResult result = mirror ? mirrorJobBody(set, heading) : archiveJobBody(set, heading);
    SendJobEvent(WM_BACKUP_FINISHED);
    return result;
}

bool isMirrorSet(quint32 id)
{
    BackupSet set;
    return GetBackupSet(id, set) && set.backupType == MirrorCopying;
}

// Runs the work in a new worker thread that releases the slot when it ends; the caller took the slot.
void startJobThread(std::function<JobResult()> work)
{
    QMutexLocker lock(&threadMutex);
    if (jobThread) {
        jobThread->wait();
        jobThread.reset();
    }
    jobThread.reset(QThread::create([work = std::move(work)] {
        const JobResult result = work();
        {
            QMutexLocker resultLock(&threadMutex);
            lastThreadResult = result;
        }
        JobSlot::release();
    }));
    jobThread->start();
}

QList<JobResult> updateAllBody()
{
    ClearLastRunTexts();
    SendJobEvent(WM_BACKUP_STARTED);
    QList<JobResult> failures;
    QList<JobResult> reported;
    // The count is read anew before every pass, so the index stays in range.
    for (qsizetype index = 0;; ++index) {
        quint32 id = 0;
        {
            QMutexLocker lock(&backupSetsMutex());
            if (index >= backupSets.size())
                break;
            id = backupSets.at(index).id;
        }
        const JobResult result = runJobBody(id, isMirrorSet(id), true);
        if (!result.succeeded() && result.outcome != JobOutcome::SetMissing)
            failures.append(result);
        if ((!result.succeeded() && result.outcome != JobOutcome::SetMissing) || result.hasWarnings())
            reported.append(result);
    }
    SendJobEvent(WM_BACKUP_FINISHED);
    if (!reported.isEmpty())
        userMessages().showMessage(JobFailuresText(reported), UserMessages::Icon::Warning);
    return failures;
}

} // namespace

bool RunBackupSet()
{
    const quint32 id = g_selectedSetId;
    ClearLastRunTexts();
    BackupSet set;
    if (!GetBackupSet(id, set)) {
        ShowStringMessage(105);
        return false;
    }
    // Refused before the question, also while another program runs a backup, so nobody confirms in vain.
    if (JobSlot::isBusy() || !JobSlot::tryAcquire()) {
        ReportJobResult(refused());
        return false;
    }
    JobSlot::release();
    if (!userMessages().askOkCancel(LoadFormattedString(104, set.name)))
        return false;
    if (!JobSlot::tryAcquire()) {
        ReportJobResult(refused());
        return false;
    }
    const bool mirror = set.backupType == MirrorCopying;
    startJobThread([id, mirror] {
        const JobResult result = runJobBody(id, mirror);
        ReportJobResult(result);
        return result;
    });
    return true;
}

bool StartUpdateAll()
{
    if (!JobSlot::tryAcquire()) {
        ReportJobResult(refused());
        return false;
    }
    startJobThread([] {
        const QList<JobResult> failures = updateAllBody();
        return failures.isEmpty() ? JobResult {} : failures.last();
    });
    return true;
}

namespace {

JobResult runOnThisThread(quint32 id, bool mirror)
{
    SlotHold hold;
    if (!hold.held())
        return refused();
    ClearLastRunTexts();
    return runJobBody(id, mirror);
}

} // namespace

JobResult ArchiveJob(quint32 id)
{
    return runOnThisThread(id, false);
}

JobResult MirrorJob(quint32 id)
{
    return runOnThisThread(id, true);
}

JobResult RunSetJob(quint32 id)
{
    return isMirrorSet(id) ? MirrorJob(id) : ArchiveJob(id);
}

QList<JobResult> UpdateAllJob()
{
    SlotHold hold;
    if (!hold.held())
        return {refused()};
    return updateAllBody();
}

void StampLastRunOf(quint32 id)
{
    BackupSet set;
    if (!GetBackupSet(id, set) || !g_profileStore)
        return;
    // Only the one key, written at once into the file as it is now: the set may have been edited, renamed
    // or deleted by another program since it was read, and none of that may be undone or brought back.
    StampSetFileLastRun(set.name, DateStamp(false));
}

void StampLastRun()
{
    StampLastRunOf(g_selectedSetId);
}

bool IsJobRunning()
{
    return JobSlot::isBusy();
}

bool WaitForJobThread(int timeoutMs)
{
    QThread* thread = nullptr;
    {
        QMutexLocker lock(&threadMutex);
        thread = jobThread.get();
    }
    if (!thread)
        return true;
    QDeadlineTimer deadline(timeoutMs < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(timeoutMs));
    while (!thread->wait(QDeadlineTimer(10))) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (deadline.hasExpired())
            return false;
    }
    // The slot is released as the thread's last step.
    while (JobSlot::isBusy() && !deadline.hasExpired())
        QThread::msleep(1);
    return true;
}

JobResult LastJobResult()
{
    QMutexLocker lock(&threadMutex);
    return lastThreadResult;
}
