#include "JobOutcome.h"

#include "StringTable.h"
#include "UserMessages.h"

#include <QStringList>

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

void ReportJobResult(const JobResult& result)
{
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
