#include "JobOutcome.h"

#include "DestinationDisk.h"
#include "ReadableFigures.h"
#include "ResourceIds.h"
#include "SetCollection.h"
#include "StringTable.h"
#include "UserMessages.h"

#include <QLocale>
#include <QMutexLocker>
#include <QStringList>

#include <iterator>

namespace {

// Failures after the tool ran leave output worth reading.
bool toolRan(JobOutcome outcome)
{
    return outcome == JobOutcome::ToolFailed || outcome == JobOutcome::PlaceFailed || outcome == JobOutcome::StartFailed
        || outcome == JobOutcome::NothingArchived || outcome == JobOutcome::ArchiveBad
        || outcome == JobOutcome::WrongPassword;
}

} // namespace

JobResult JobFailure(const BackupSet& set, JobOutcome outcome, const QString& reason, int exitCode)
{
    return {outcome, set.name, exitCode, reason, {}};
}

JobResult JobRefused()
{
    return {JobOutcome::Refused, {}, 0, LoadStringById(StringId::AlreadyRunning), {}};
}

QString JobFailureReason(const JobResult& result)
{
    return result.reason;
}

QString JobFailureText(const JobResult& result)
{
    QString text = LoadStringById(StringId::SetFailed).arg(result.setName, result.reason);
    if (toolRan(result.outcome))
        text += QLatin1Char('\n') + LoadStringById(StringId::ViewLogHint);
    return text;
}

QString JobFailuresText(const QList<JobResult>& results)
{
    QStringList failed;
    QStringList stopped;
    QStringList warned;
    QStringList notOffsite;
    bool anyRan = false;
    for (const JobResult& result : results) {
        if (result.offsiteFailed())
            notOffsite.append(QStringLiteral("%1: %2").arg(result.setName, result.offsiteFailure));
        if (result.hasWarnings()) {
            warned.append(QStringLiteral("%1: %2").arg(result.setName, result.warning));
        } else if (result.outcome == JobOutcome::Stopped) {
            // The user's own Stop is no news to them.
        } else if (result.outcome == JobOutcome::TimedOut) {
            stopped.append(QStringLiteral("%1: %2").arg(result.setName, result.reason));
        } else if (!result.succeeded()) {
            failed.append(QStringLiteral("%1: %2").arg(result.setName, result.reason));
            anyRan = anyRan || toolRan(result.outcome);
        }
    }
    QStringList parts;
    if (!failed.isEmpty())
        parts.append(LoadStringById(StringId::SetsFailed).arg(failed.join(QLatin1Char('\n'))));
    if (!stopped.isEmpty())
        parts.append(LoadStringById(StringId::SetsStopped).arg(stopped.join(QLatin1Char('\n'))));
    if (!warned.isEmpty())
        parts.append(LoadStringById(StringId::SetsMadeWithWarnings).arg(warned.join(QLatin1Char('\n'))));
    if (!notOffsite.isEmpty())
        parts.append(LoadStringById(StringId::SetsNotCopiedOffsite).arg(notOffsite.join(QLatin1Char('\n'))));
    if (anyRan || !warned.isEmpty())
        parts.append(LoadStringById(StringId::ViewLogHint));
    return parts.join(QLatin1Char('\n'));
}

JobResultKind ResultKindOf(const JobResult& result)
{
    switch (result.outcome) {
    case JobOutcome::Done:
        return result.hasWarnings() ? JobResultKind::Warnings : JobResultKind::Done;
    case JobOutcome::Stopped:
    case JobOutcome::TimedOut:
        return JobResultKind::Stopped;
    case JobOutcome::SourceEmpty:
    case JobOutcome::Refused:
    case JobOutcome::SetMissing:
        return JobResultKind::NotRun;
    default:
        return JobResultKind::Failed;
    }
}

namespace {

struct KindKey
{
    JobResultKind kind;
    QLatin1String key;
};

constexpr KindKey kKindKeys[] = {
    {JobResultKind::Done, QLatin1String("done")},
    {JobResultKind::Warnings, QLatin1String("warnings")},
    {JobResultKind::Failed, QLatin1String("failed")},
    {JobResultKind::Stopped, QLatin1String("stopped")},
    {JobResultKind::NotRun, QLatin1String("notrun")},
};

} // namespace

QString ResultKindKey(JobResultKind kind)
{
    for (const KindKey& entry : kKindKeys) {
        if (entry.kind == kind)
            return entry.key;
    }
    return {};
}

std::optional<JobResultKind> ResultKindFromKey(const QString& key)
{
    for (const KindKey& entry : kKindKeys) {
        if (key == entry.key)
            return entry.kind;
    }
    return std::nullopt;
}

QString ResultKindWord(JobResultKind kind)
{
    switch (kind) {
    case JobResultKind::Done:
        return LoadStringById(StringId::WordDone);
    case JobResultKind::Warnings:
        return LoadStringById(StringId::WordWarnings);
    case JobResultKind::Failed:
        return LoadStringById(StringId::WordFailed);
    case JobResultKind::Stopped:
        return LoadStringById(StringId::ResultStopped);
    case JobResultKind::NotRun:
        return LoadStringById(StringId::WordNotRun);
    }
    return {};
}

QString SetResultText(const BackupSet& set)
{
    const std::optional<JobResultKind> kind = ResultKindFromKey(set.lastResult);
    if (!kind)
        return LoadStringById(StringId::NeverRun);
    JobResult result;
    result.setName = set.name;
    result.durationMs = set.lastResultSeconds * 1000;
    result.bytesWritten = set.lastResultBytes;
    result.warningCount = set.lastResultWarnings;
    result.reason = set.lastResultReason;
    if (set.lastResultVerifySeconds >= 0)
        result.testMs = set.lastResultVerifySeconds * 1000;
    result.offsiteCopied = set.lastOffsiteResult == QLatin1String("done");
    if (set.lastOffsiteResult == QLatin1String("failed"))
        result.offsiteFailure = set.lastOffsiteReason;
    switch (*kind) {
    case JobResultKind::Done:
        // A success keeps its note where a failure keeps its reason.
        result.note = set.lastResultReason;
        break;
    case JobResultKind::Warnings:
        result.exitCode = 1;
        result.note = set.lastResultReason;
        break;
    case JobResultKind::Failed:
        result.outcome = JobOutcome::ToolFailed;
        break;
    case JobResultKind::Stopped:
        // Only a time limit leaves a reason worth repeating.
        result.outcome = set.lastResultReason.isEmpty() ? JobOutcome::Stopped : JobOutcome::TimedOut;
        break;
    case JobResultKind::NotRun:
        result.outcome = JobOutcome::SourceEmpty;
        break;
    }
    return JobResultText(result);
}

QString JobResultText(const JobResult& result)
{
    const QString duration = FormatDuration((result.durationMs + 500) / 1000);
    QString written = result.bytesWritten >= 0
        ? LoadStringById(StringId::SizeWritten).arg(FormatByteSize(result.bytesWritten))
        : QString();
    if (result.testMs >= 0)
        written += LoadStringById(StringId::ResultVerified).arg(FormatDuration((result.testMs + 500) / 1000));
    if (result.offsiteCopied)
        written += LoadStringById(StringId::ResultCopiedOffsite);
    if (!result.note.isEmpty())
        written += QStringLiteral(". ") + result.note;
    // The copy that was to survive this computer is missing: that outranks the figures of the run.
    if (result.offsiteFailed())
        return LoadStringById(StringId::ResultOffsiteFailed).arg(result.offsiteFailure);
    switch (ResultKindOf(result)) {
    case JobResultKind::Done:
        return LoadStringById(StringId::ResultDone).arg(duration) + written;
    case JobResultKind::Warnings:
        if (result.warningCount > 0)
            return LoadStringById(StringId::ResultWarningsCounted).arg(result.warningCount).arg(duration) + written;
        return LoadStringById(StringId::ResultWarnings).arg(duration) + written;
    case JobResultKind::Failed:
        return LoadStringById(StringId::ResultFailed).arg(result.reason);
    case JobResultKind::Stopped:
        // Asked by the user needs no reason; a time limit does.
        if (result.outcome == JobOutcome::TimedOut)
            return LoadStringById(StringId::ResultStoppedWhy).arg(result.reason);
        return LoadStringById(StringId::ResultStopped);
    case JobResultKind::NotRun:
        return LoadStringById(StringId::ResultNotRun).arg(result.reason);
    }
    return {};
}

namespace {

// The disk now at the destination becomes the set's only when the user says so: it may be the system disk
// under the bare mount point.
void askToUseDiskFound(const JobResult& result)
{
    std::optional<BackupSet> set;
    {
        QMutexLocker lock(&backupSetsMutex());
        for (const BackupSet& candidate : std::as_const(backupSets)) {
            if (candidate.name == result.setName)
                set = candidate;
        }
    }
    if (!set) {
        userMessages().showMessage(JobFailureText(result), UserMessages::Icon::Warning);
        return;
    }
    const QString question = LoadStringById(StringId::UseDiskFoundQuestion).arg(set->target, set->name);
    if (!userMessages().askYesNo(JobFailureText(result) + QLatin1Char('\n') + question))
        return;
    QString problem;
    if (!AcceptDestinationDisk(*set, &problem))
        userMessages().showMessage(
            (LoadStringById(StringId::DestinationDiskNotRecorded).arg(set->target) + QLatin1Char('\n') + problem)
                .trimmed(),
            UserMessages::Icon::Warning);
}

} // namespace

void ReportJobResult(const JobResult& result)
{
    // The user said No to running an empty source: nothing went wrong.
    if (result.outcome == JobOutcome::SourceEmpty)
        return;
    if (result.offsiteFailed()) {
        userMessages().showMessage(
            LoadStringById(StringId::SetNotCopiedOffsite).arg(result.setName, result.offsiteFailure) + QLatin1Char('\n')
                + LoadStringById(StringId::ViewLogHint),
            UserMessages::Icon::Warning);
        return;
    }
    if (result.hasWarnings()) {
        userMessages().showMessage(LoadStringById(StringId::SetMadeWithWarnings).arg(result.setName, result.warning)
                + QLatin1Char('\n') + LoadStringById(StringId::ViewLogHint),
            UserMessages::Icon::Warning);
        return;
    }
    if (result.succeeded()) {
        // A new chain started behind the user's back is worth a word, though the backup was made.
        if (!result.note.isEmpty() && result.checks.isEmpty())
            userMessages().showMessage(LoadStringById(StringId::SetDoneWithNote).arg(result.setName, result.note),
                UserMessages::Icon::Warning);
        return;
    }
    // The bar says a run the user stopped; a time limit that ended one is said, though not as a failure.
    if (result.outcome == JobOutcome::Stopped)
        return;
    if (result.outcome == JobOutcome::TimedOut) {
        userMessages().showMessage(
            LoadStringById(StringId::SetStopped).arg(result.setName, result.reason), UserMessages::Icon::Warning);
        return;
    }
    if (result.outcome == JobOutcome::Refused) {
        userMessages().showMessage(result.reason, UserMessages::Icon::Warning);
        return;
    }
    if (result.outcome == JobOutcome::DestinationDiskChanged) {
        askToUseDiskFound(result);
        return;
    }
    userMessages().showMessage(JobFailureText(result), UserMessages::Icon::Warning);
}
