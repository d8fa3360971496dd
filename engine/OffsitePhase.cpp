#include "OffsitePhase.h"

#include "Offsite.h"

#include "ResourceIds.h"
#include "StringTable.h"

JobResult FetchOffsiteArchivesJob(const BackupSet& set, const QString& folder, const JobContext& context)
{
    QString problem;
    if (!ParseOffsiteTarget(set.offsite, &problem))
        return JobFailure(set, JobOutcome::PrepareFailed,
            problem.isEmpty() ? LoadStringById(StringId::SetHasNoOffsite).arg(set.name) : problem);
    OffsiteOutcome listed;
    const QList<OffsiteFile> files = ListOffsiteArchives(set, &listed);
    if (!listed.ok())
        return JobFailure(set, JobOutcome::ToolFailed, listed.reason);
    if (files.isEmpty())
        return JobFailure(set, JobOutcome::PrepareFailed, LoadStringById(StringId::NoOffsiteArchives).arg(set.offsite));
    QStringList names;
    for (const OffsiteFile& file : files)
        names.append(file.name);
    const OffsiteOutcome fetched = FetchOffsiteFiles(set, names, folder, context);
    if (const auto stopped = JobStopped(set, context))
        return *stopped;
    if (!fetched.ok())
        return JobFailure(set, JobOutcome::ToolFailed, fetched.reason);
    JobResult done {JobOutcome::Done, set.name, 0, {}, {}};
    done.bytesWritten = fetched.bytesCopied;
    return done;
}

QString OffsiteTestAnswer(const QString& destination)
{
    QString problem;
    const std::optional<OffsiteTarget> target = ParseOffsiteTarget(destination, &problem);
    if (!target)
        return problem.isEmpty() ? LoadStringById(StringId::OffsiteNoneToTest) : problem;
    return TestOffsite(*target).reason;
}

void CopyOffsiteAfterRun(const BackupSet& set, const JobContext& context, JobResult& result)
{
    if (!result.succeeded() || set.offsite.trimmed().isEmpty())
        return;
    QString problem;
    const std::optional<OffsiteTarget> target = ParseOffsiteTarget(set.offsite, &problem);
    if (!target) {
        result.offsiteFailure = problem;
        return;
    }
    if (set.backupType == MirrorCopying && !target->isSsh()) {
        result.offsiteFailure = LoadStringById(StringId::OffsiteMirrorTakesSsh);
        return;
    }
    // The bar starts the second phase from nothing, under its own name.
    if (context.progress) {
        JobProgress start;
        start.percent = 0;
        start.offsite = true;
        start.setIndex = context.setIndex;
        start.setCount = context.setCount;
        context.progress(start);
    }
    const OffsiteOutcome outcome
        = set.backupType == MirrorCopying ? MirrorOffsite(set, context) : CopyArchivesOffsite(set, context);
    if (outcome.ok())
        result.offsiteCopied = true;
    else
        result.offsiteFailure = outcome.reason;
}
