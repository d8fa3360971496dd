// The mirror job: rsync makes the mirror folder an exact copy of the source.

#include "FolderIdentity.h"
#include "JobChecks.h"
#include "Jobs.h"
#include "MirrorCommand.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QDir>

JobResult RunMirrorJob(const BackupSet& set, const JobContext& context)
{
    if (const auto problem = MirrorSetProblem(set))
        return *problem;
    if (const auto stopped = JobStopped(set, context))
        return *stopped;
    const QString mirror = MirrorFolder(set);
    const std::optional<FolderIdentity> sourceBefore = IdentityOfFolder(set.source);
    QDir().mkdir(mirror);
    const Command command = BuildMirrorCommand(set);
    const RunResult run = RunJobTool(command, context);
    // What rsync already copied stays: each file it finished is a good copy, and the rest is there from before.
    // Also when the tool ended by itself just as the stop came (Ctrl+C reaches it directly from a terminal).
    if (run.stopped || context.control->shouldStop()) {
        if (const auto stopped = JobStopped(set, context))
            return *stopped;
    }
    if (run.exitSignal != 0)
        return JobFailure(set, JobOutcome::ToolFailed,
            LoadStringById(StringId::ToolKilled).arg(ToolName(command)).arg(run.exitSignal));
    if (!run.error.isEmpty())
        return JobFailure(
            set, JobOutcome::StartFailed, LoadStringById(StringId::ToolNotRun).arg(ToolName(command), run.error));
    // 24: some source files vanished during the transfer, which is no failure of the mirror, unless what
    // vanished is the source itself: then the mirror is no copy of it, and --delete may have emptied it.
    if (run.exitCode == 24 && IdentityOfFolder(set.source) != sourceBefore)
        return JobFailure(
            set, JobOutcome::ToolFailed, LoadStringById(StringId::SourceVanished).arg(set.source), run.exitCode);
    if (run.exitCode != 0 && run.exitCode != 24)
        return JobFailure(set, JobOutcome::ToolFailed,
            LoadStringById(StringId::ToolExitCode).arg(ToolName(command)).arg(run.exitCode), run.exitCode);
    CopyFolderTimes(set.source, mirror);
    return {JobOutcome::Done, set.name, run.exitCode, {},
        run.exitCode == 24 ? LoadStringById(StringId::FilesVanished) : QString()};
}
