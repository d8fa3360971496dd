#include "PruneRuns.h"

#include "HistoryPrune.h"
#include "ResourceIds.h"
#include "SetCollection.h"
#include "SetHistory.h"
#include "StoreLock.h"
#include "StringTable.h"
#include "Terminal.h"

#include <QRegularExpression>

namespace {

void printPoints(const PruneOutcome& outcome, bool dryRun)
{
    for (const PrunedPoint& point : outcome.points) {
        // A point the policy let go that could not be removed is still there: kept, for no rule's sake.
        const bool goes = dryRun ? point.reasons == KeepReasons() : point.removed;
        PrintLine(point.stamp + QLatin1Char('\t') + (goes ? QStringLiteral("removed") : QStringLiteral("kept"))
            + QLatin1Char('\t') + KeepReasonWords(point.reasons));
    }
}

bool isStampForm(const QString& stamp)
{
    static const QRegularExpression form(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}_\\d{2}h\\d{2}m\\d{2}s$"));
    return form.match(stamp).hasMatch() && RestoreStampTime(stamp).isValid();
}

} // namespace

ExitStatus PruneSets(const QStringList& setNames, bool several, bool dryRun, bool noWait)
{
    // Thinning removes archives: never while a backup, which may be extending the same chain, runs.
    if (!dryRun && !TakeStoreLock(noWait)) {
        PrintErrorLine(LoadStringById(StringId::RunLockBusyNothingRemoved));
        return ExitSomeFailed;
    }
    bool failed = false;
    for (const QString& name : setNames) {
        const std::optional<BackupSet> set = SetNamed(name);
        if (!set)
            continue;
        if (several)
            PrintLine(QStringLiteral("== ") + set->name);
        const PruneOutcome outcome = PruneSetHistory(*set, dryRun);
        printPoints(outcome, dryRun);
        for (const QString& failure : outcome.failures)
            PrintErrorLine(LoadStringById(StringId::RunNotRemoved).arg(set->name, failure));
        failed = failed || !outcome.failures.isEmpty();
    }
    if (!dryRun)
        StoreLock::release();
    return failed ? ExitSomeFailed : ExitAllSucceeded;
}

ExitStatus PinPoint(const QString& name, const QString& stamp, bool pin)
{
    const std::optional<BackupSet> found = SetNamed(name);
    if (!found) {
        PrintErrorLine(LoadStringById(StringId::RunUnknownSetNothingChanged).arg(name));
        return ExitUsageError;
    }
    if (!isStampForm(stamp)) {
        PrintErrorLine(LoadStringById(StringId::RunNoSuchStamp).arg(stamp));
        return ExitUsageError;
    }
    BackupSet set = *found;
    bool isPoint = false;
    for (const HistoryPoint& point : ReadSetHistory(set).points())
        isPoint = isPoint || point.stamp == stamp;
    // A pin whose point went by other means can still be taken off.
    if (!isPoint && !(!pin && set.pinned.contains(stamp))) {
        PrintErrorLine(LoadStringById(StringId::RunNoSuchPoint).arg(set.name, stamp));
        return ExitSomeFailed;
    }
    if (pin && !set.pinned.contains(stamp))
        set.pinned.append(stamp);
    if (!pin)
        set.pinned.removeAll(stamp);
    // Only this key, into the file as it is now: the set may have changed since it was read.
    for (const SetFileKey& key : SetFileKeys()) {
        if (key.key != QLatin1String("Pinned"))
            continue;
        if (!StampSetFileKeys(set.name, {{key.key, FieldText(set, key)}})) {
            PrintErrorLine(LoadStringById(StringId::RunSetFileNotWritten).arg(set.name));
            return ExitSomeFailed;
        }
    }
    PrintLine(QStringLiteral("== ")
        + LoadStringById(pin ? StringId::RunPointPinned : StringId::RunPointUnpinned).arg(set.name, stamp));
    return ExitAllSucceeded;
}
