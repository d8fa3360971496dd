// The mirror job: rsync makes the mirror folder an exact copy of the source.

#include "MirrorJob.h"

#include "ArchivePath.h"
#include "FolderIdentity.h"
#include "JobChecks.h"
#include "Jobs.h"
#include "MirrorCommand.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "ToolWarnings.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Whether rsync's own account of the run (one --itemize-changes line for each change) shows that it changed
// the mirror. Its progress figures may share a line with the first change once their redraws are taken out.
// An output cut short in the middle may have lost those lines: it counts as a change.
bool mirrorChanged(const RunResult& run)
{
    static const QRegularExpression change(QStringLiteral("(?:^|\\s)(?:[<>ch.][fdLDS][.+?a-zA-Z ]{9} |\\*deleting )"));
    for (const QString* text : {&run.output, &run.secondOutput}) {
        if (change.match(*text).hasMatch() || text->contains(QLatin1String(" left out here")))
            return true;
    }
    return false;
}

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

// Makes the history folder (when missing) and the run's own version folder in it. Only a real folder made by
// the set is written into: a link planted as the history folder would send the replaced files elsewhere.
// Empty when both are there; else why not, for the run to fail with before rsync changes anything.
QString makeVersionFolder(const QString& history, const QString& versions)
{
    struct stat status;
    if (::lstat(encoded(history).constData(), &status) != 0) {
        if (::mkdir(encoded(history).constData(), 0755) != 0 && errno != EEXIST)
            return LoadStringById(StringId::MirrorVersionFolderNotMade).arg(history, qt_error_string(errno));
        if (::lstat(encoded(history).constData(), &status) != 0)
            return LoadStringById(StringId::MirrorVersionFolderNotMade).arg(history, qt_error_string(errno));
    }
    if (!S_ISDIR(status.st_mode))
        return LoadStringById(StringId::MirrorHistoryNotFolder).arg(history);
    if (::mkdir(encoded(versions).constData(), 0755) != 0)
        return LoadStringById(StringId::MirrorVersionFolderNotMade).arg(versions, qt_error_string(errno));
    return {};
}

// A run that replaced and deleted nothing leaves no empty point behind; rmdir takes only an empty folder.
void removeIfEmpty(const QString& history, const QString& versions)
{
    ::rmdir(encoded(versions).constData());
    ::rmdir(encoded(history).constData());
}

} // namespace

JobResult RunMirrorJob(const BackupSet& set, const JobContext& context)
{
    if (const auto problem = MirrorSetProblem(set))
        return *problem;
    if (const auto stopped = JobStopped(set, context))
        return *stopped;
    const QString mirror = MirrorFolder(set);
    const std::optional<FolderIdentity> sourceBefore = IdentityOfFolder(set.source);
    const QString history = ChainHistoryFolder(set);
    const QString versions = NextMirrorVersionFolder(set);
    if (const QString problem = makeVersionFolder(history, versions); !problem.isEmpty())
        return JobFailure(set, JobOutcome::PrepareFailed, problem);
    QDir().mkdir(mirror);
    const Command command = BuildMirrorCommand(set, versions);
    const RunResult run = RunJobTool(command, context);
    // What a stopped or failed run replaced stays in its version folder: those are the only copies left.
    removeIfEmpty(history, versions);
    const QString tool = ToolName(command);
    // What rsync already copied stays: each file it finished is a good copy, and the rest is there from before.
    // Also when the tool ended by itself just as the stop came (Ctrl+C reaches it directly from a terminal).
    if (run.stopped || context.control->shouldStop()) {
        if (auto stopped = JobStopped(set, context)) {
            // rsync changes the mirror in place, and what it said last before it was ended may be lost with it:
            // "the previous backup was left as it was" could be false.
            stopped->reason = stopped->outcome == JobOutcome::TimedOut
                ? LoadStringById(StringId::MirrorTimedOutChanged).arg(context.timeLimit.count()).arg(mirror)
                : LoadStringById(StringId::MirrorStoppedChanged).arg(mirror);
            return *stopped;
        }
    }
    if (run.exitSignal != 0)
        return JobFailure(set, JobOutcome::ToolFailed,
            LoadStringById(StringId::MirrorToolKilledChanged).arg(tool).arg(run.exitSignal).arg(mirror));
    if (!run.error.isEmpty())
        return JobFailure(set, JobOutcome::StartFailed, LoadStringById(StringId::ToolNotRun).arg(tool, run.error));
    // 23: some files could not be copied; 24: some vanished during the transfer. Neither is a failure of all
    // the mirror copied, unless what went is the source itself: then the mirror is no copy of it, and
    // --delete may have emptied it.
    const bool someFilesMissed = run.exitCode == 23 || run.exitCode == 24;
    if (someFilesMissed && IdentityOfFolder(set.source) != sourceBefore)
        return JobFailure(
            set, JobOutcome::ToolFailed, LoadStringById(StringId::SourceVanished).arg(set.source), run.exitCode);
    if (run.exitCode != 0 && !someFilesMissed)
        return JobFailure(set, JobOutcome::ToolFailed,
            mirrorChanged(run)
                ? LoadStringById(StringId::MirrorToolFailedChanged).arg(tool).arg(run.exitCode).arg(mirror)
                : LoadStringById(StringId::ToolExitCode).arg(tool).arg(run.exitCode),
            run.exitCode);
    CopyFolderTimes(set.source, mirror);
    JobResult done {JobOutcome::Done, set.name, run.exitCode, {}, {}};
    if (someFilesMissed) {
        RsyncWarnings missed;
        missed.addText(run.secondOutput);
        missed.addText(run.output);
        done.warningCount = missed.count();
        if (missed.count() > 0) {
            QString names = missed.names().join(QStringLiteral(", "));
            if (missed.count() > missed.names().size())
                names += QStringLiteral(", …");
            done.warning = LoadStringById(StringId::RsyncFilesNotCopied).arg(missed.count()).arg(names);
        } else {
            done.warning = run.exitCode == 24 ? LoadStringById(StringId::FilesVanished)
                                              : LoadStringById(StringId::RsyncPartialTransfer).arg(run.exitCode);
        }
    }
    return done;
}
