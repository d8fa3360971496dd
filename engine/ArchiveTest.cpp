#include "ArchiveTest.h"

#include "ArchiveCommand.h"
#include "ResourceIds.h"
#include "Settings.h"
#include "StringTable.h"
#include "ToolLocations.h"
#include "UpdateArchives.h"

#include <QElapsedTimer>
#include <QFileInfo>

Command ArchiveTestCommand(const QString& program, const QString& archive)
{
    Command command;
    command.program = program;
    command.arguments = QStringList {QStringLiteral("t"), archive, QStringLiteral("-bsp1")};
    command.text = program + QStringLiteral(" t \"") + archive + QStringLiteral("\" -bsp1");
    command.progress = ProgressFormat::SevenZip;
    return command;
}

ArchiveTestResult TestArchive(const QString& program, const QString& archive, const JobContext& context)
{
    ArchiveTestResult tested;
    QElapsedTimer timer;
    timer.start();
    const RunResult run = RunJobTool(ArchiveTestCommand(program, archive), context);
    tested.durationMs = timer.elapsed();
    if (run.stopped || (context.control && context.control->shouldStop())) {
        tested.stopped = true;
        return tested;
    }
    if (run.exitSignal != 0)
        tested.problem = LoadStringById(StringId::TestKilled).arg(run.exitSignal);
    else if (!run.error.isEmpty())
        tested.problem = LoadStringById(StringId::TestNotRun).arg(run.error);
    // Unlike a run, a test has no warnings worth keeping an archive for: any other code is a fault.
    else if (run.exitCode != 0)
        tested.problem = LoadStringById(StringId::TestExitCode).arg(run.exitCode);
    tested.good = tested.problem.isEmpty();
    return tested;
}

ChainBase CheckChainBase(const BackupSet& set, const QString& program, const JobContext& context)
{
    ChainBase base;
    const QString full = FullArchivePath(set);
    if (set.backupType == FullArchiving || full.isEmpty())
        return base;
    const int updates = CountUpdateArchives(set);
    // A chain at its length starts anew anyway, and a first run has no chain to extend.
    if (updates >= minorUpdatedNumber)
        return base;
    if (!QFileInfo(full).isFile()) {
        // The update archives left hold changes against an archive that is gone: they go with the new one.
        if (updates > 0) {
            base.startNewChain = true;
            base.note = LoadStringById(StringId::FullArchiveMissingNote).arg(full);
        }
        return base;
    }
    // Without the per-set test the full archive is only required to be there: testing it costs as much as
    // reading all of it on every run.
    if (!set.verifyArchive || program.isEmpty())
        return base;
    const ArchiveTestResult tested = TestArchive(program, full, context);
    if (tested.stopped) {
        base.stopped = true;
    } else if (!tested.good) {
        base.startNewChain = true;
        base.note = LoadStringById(StringId::FullArchiveBrokenNote).arg(full);
    }
    return base;
}

namespace {

QString checkLine(const QString& archive, const QString& what)
{
    return QStringLiteral("%1: %2").arg(archive, what);
}

} // namespace

JobResult RunVerifyJob(const BackupSet& set, const JobContext& context)
{
    if (set.backupType == MirrorCopying) {
        JobResult done {JobOutcome::Done, set.name, 0, {}, {}};
        done.note = LoadStringById(StringId::VerifyMirror).arg(set.name);
        return done;
    }
    if (!Locate7Zip())
        return JobFailure(set, JobOutcome::ToolMissing, LoadStringById(StringId::SevenZipMissing));
    const QString program = pathTo7zExe();
    const OldFiles files = FindOldFiles(set);
    if (files.isEmpty())
        return JobFailure(set, JobOutcome::PrepareFailed, LoadStringById(StringId::VerifyNoArchive).arg(set.target));

    QStringList checks;
    QStringList bad;
    // Update archives without their full archive restore nothing: the gap is a fault of the chain.
    if (files.fullArchive.isEmpty()) {
        const QString full = FullArchivePath(set);
        checks.append(checkLine(full, LoadStringById(StringId::ArchiveMissing)));
        bad.append(QLatin1Char('\'') + QFileInfo(full).fileName() + QLatin1Char('\''));
    }
    const QStringList archives = files.paths();
    for (const QString& archive : archives) {
        const ArchiveTestResult tested = TestArchive(program, archive, context);
        if (tested.stopped) {
            JobResult stopped
                = JobStopped(set, context)
                      .value_or(JobFailure(set, JobOutcome::Stopped, LoadStringById(StringId::RunStopped)));
            stopped.checks = checks;
            return stopped;
        }
        if (tested.good) {
            checks.append(checkLine(archive, LoadStringById(StringId::ArchiveGood)));
        } else {
            checks.append(checkLine(archive, LoadStringById(StringId::ArchiveNotGood).arg(tested.problem)));
            bad.append(QLatin1Char('\'') + QFileInfo(archive).fileName() + QLatin1Char('\''));
        }
    }
    if (!bad.isEmpty()) {
        JobResult failed = JobFailure(
            set, JobOutcome::ArchiveBad, LoadStringById(StringId::VerifyFailed).arg(bad.join(QStringLiteral(", "))));
        failed.checks = checks;
        return failed;
    }
    JobResult done {JobOutcome::Done, set.name, 0, {}, {}};
    done.note = LoadStringById(StringId::ArchivesGood).arg(archives.size());
    done.checks = checks;
    return done;
}
