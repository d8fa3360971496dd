#include "JobOutcome.h"

#include "ReadableFigures.h"
#include "StringTable.h"
#include "UserMessages.h"

#include <QLocale>
#include <QStringList>

#include <iterator>

namespace {

// Failures after the tool ran leave output worth reading.
bool toolRan(JobOutcome outcome)
{
    return outcome == JobOutcome::ToolFailed || outcome == JobOutcome::PlaceFailed || outcome == JobOutcome::StartFailed
        || outcome == JobOutcome::NothingArchived;
}

} // namespace

QString JobFailureReason(const JobResult& result)
{
    return result.reason;
}

QString JobFailureText(const JobResult& result)
{
    QString text = LoadStringById(130).arg(result.setName, result.reason);
    if (toolRan(result.outcome))
        text += QLatin1Char('\n') + LoadStringById(144);
    return text;
}

QString JobFailuresText(const QList<JobResult>& results)
{
    QStringList failed;
    QStringList warned;
    bool anyRan = false;
    for (const JobResult& result : results) {
        if (result.hasWarnings()) {
            warned.append(QStringLiteral("%1: %2").arg(result.setName, result.warning));
        } else if (!result.succeeded()) {
            failed.append(QStringLiteral("%1: %2").arg(result.setName, result.reason));
            anyRan = anyRan || toolRan(result.outcome);
        }
    }
    QStringList parts;
    if (!failed.isEmpty())
        parts.append(LoadStringById(141).arg(failed.join(QLatin1Char('\n'))));
    if (!warned.isEmpty())
        parts.append(LoadStringById(167).arg(warned.join(QLatin1Char('\n'))));
    if (anyRan || !warned.isEmpty())
        parts.append(LoadStringById(144));
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
        return LoadStringById(259);
    case JobResultKind::Warnings:
        return LoadStringById(260);
    case JobResultKind::Failed:
        return LoadStringById(261);
    case JobResultKind::Stopped:
        return LoadStringById(244);
    case JobResultKind::NotRun:
        return LoadStringById(263);
    }
    return {};
}

QString SetResultText(const BackupSet& set)
{
    const std::optional<JobResultKind> kind = ResultKindFromKey(set.lastResult);
    if (!kind)
        return LoadStringById(258);
    JobResult result;
    result.setName = set.name;
    result.durationMs = set.lastResultSeconds * 1000;
    result.bytesWritten = set.lastResultBytes;
    result.warningCount = set.lastResultWarnings;
    result.reason = set.lastResultReason;
    switch (*kind) {
    case JobResultKind::Done:
        break;
    case JobResultKind::Warnings:
        result.exitCode = 1;
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
    const QString written
        = result.bytesWritten >= 0 ? LoadStringById(249).arg(FormatByteSize(result.bytesWritten)) : QString();
    switch (ResultKindOf(result)) {
    case JobResultKind::Done:
        return LoadStringById(240).arg(duration) + written;
    case JobResultKind::Warnings:
        if (result.warningCount > 0)
            return LoadStringById(242).arg(result.warningCount).arg(duration) + written;
        return LoadStringById(241).arg(duration) + written;
    case JobResultKind::Failed:
        return LoadStringById(243).arg(result.reason);
    case JobResultKind::Stopped:
        // Asked by the user needs no reason; a time limit does.
        if (result.outcome == JobOutcome::TimedOut)
            return LoadStringById(245).arg(result.reason);
        return LoadStringById(244);
    case JobResultKind::NotRun:
        return LoadStringById(246).arg(result.reason);
    }
    return {};
}

void ReportJobResult(const JobResult& result)
{
    // The user said No to running an empty source: nothing went wrong.
    if (result.outcome == JobOutcome::SourceEmpty)
        return;
    if (result.hasWarnings()) {
        userMessages().showMessage(
            LoadStringById(165).arg(result.setName, result.warning) + QLatin1Char('\n') + LoadStringById(144),
            UserMessages::Icon::Warning);
        return;
    }
    if (result.succeeded())
        return;
    if (result.outcome == JobOutcome::Refused) {
        userMessages().showMessage(result.reason, UserMessages::Icon::Warning);
        return;
    }
    userMessages().showMessage(JobFailureText(result), UserMessages::Icon::Warning);
}
