#include "BackupRuns.h"

#include "ArchiveCommand.h"
#include "ArchivePasswords.h"
#include "ArchivePath.h"
#include "ConsoleRunner.h"
#include "DesktopNotice.h"
#include "DestinationDisk.h"
#include "JobRunner.h"
#include "Jobs.h"
#include "LastRun.h"
#include "MirrorCommand.h"
#include "ProfileStore.h"
#include "ProgressLine.h"
#include "ResourceIds.h"
#include "RunPasswords.h"
#include "ScheduleRuns.h"
#include "SetCollection.h"
#include "StopSignals.h"
#include "StoreLock.h"
#include "StringTable.h"
#include "Terminal.h"
#include "ToolLocations.h"

#include <QEventLoop>
#include <QFileInfo>

#include <optional>

namespace {

bool desktopNotices = true;

// One notification for every set of the run that needs the user: its name and the reason in the interface
// language; a run that did not stop for a person's own Stop.
void noticeOfRun(const QList<JobResult>& attention)
{
    if (attention.isEmpty() || !desktopNotices)
        return;
    const auto reasonOf = [](const JobResult& result) {
        if (result.offsiteFailed())
            return JobResultText(result);
        return result.hasWarnings() && !result.warning.isEmpty() ? result.warning : JobFailureReason(result);
    };
    const JobResult& first = attention.constFirst();
    if (attention.size() == 1) {
        const int summary = first.offsiteFailed() ? StringId::NoticeSetNotOffsite
            : first.hasWarnings()                 ? StringId::NoticeSetWarnings
                                                  : StringId::NoticeSetFailed;
        SendDesktopNotice(
            {LoadStringById(summary).arg(first.setName), reasonOf(first), first.setName, !first.hasWarnings()});
        return;
    }
    QStringList names;
    QStringList lines;
    bool anyFailed = false;
    for (const JobResult& result : attention) {
        names.append(result.setName);
        lines.append(QStringLiteral("%1: %2").arg(result.setName, reasonOf(result)));
        anyFailed = anyFailed || !result.hasWarnings();
    }
    SendDesktopNotice({LoadStringById(StringId::NoticeSetsFailed).arg(names.join(QStringLiteral(", "))),
        lines.join(QLatin1Char('\n')), first.setName, anyFailed});
}

QString backupTypeName(const BackupSet& set, QString (*textOf)(int) = LoadStringById)
{
    switch (set.backupType) {
    case FullArchiving:
        return textOf(StringId::FullArchivingName);
    case MirrorCopying:
        return textOf(StringId::MirrorCopyingName);
    default:
        // The archive job takes every other value for incremental archiving.
        return textOf(StringId::IncrementalArchivingName);
    }
}

void printHeading(const BackupSet& set, const QString& what = {})
{
    PrintLine(QStringLiteral("== %1 (%2)%3").arg(set.name, backupTypeName(set), what));
}

void printSummary(const QString& setName, const QString& outcome)
{
    PrintLine(QStringLiteral("== %1: %2").arg(setName, outcome));
}

// The words of a run's result for a set that could not run.
QString failedText(const QString& reason)
{
    return LoadStringById(StringId::ResultFailed).arg(reason);
}

// The set's short result, and for warnings what was left out.
QString resultText(const JobResult& result)
{
    if (result.hasWarnings() && !result.warning.isEmpty())
        return JobResultText(result) + QStringLiteral(": ") + result.warning;
    return JobResultText(result);
}

// Whether the archive command could be shown; prints it or what stands in its way, with the checks and
// the words of a real run.
bool printArchivePreview(const BackupSet& set)
{
    if (const std::optional<JobResult> problem = ArchiveSetProblem(set)) {
        printSummary(set.name, JobResultText(*problem));
        return false;
    }
    const ArchiveBuild build = PreviewArchiveCommand(set);
    if (build.failure != BuildFailure::None) {
        printSummary(set.name, failedText(LoadStringById(StringId::SevenZipMissing)));
        return false;
    }
    PrintLine(build.command.text);
    if (!set.exTypeList.isEmpty() || !set.exPathList.isEmpty()) {
        BackupSet sorted = set;
        const QStringList entries = ExclusionListText(sorted).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (!entries.isEmpty())
            PrintLine(QStringLiteral("   ")
                + LoadStringById(StringId::RunListFileHolds).arg(entries.join(QStringLiteral(", "))));
    }
    // A new chain never deletes the old one: it is kept in the set's history.
    if (build.restartChain)
        PrintLine(QStringLiteral("   ") + LoadStringById(StringId::RunOldChainKept).arg(ChainHistoryFolder(set)));
    return true;
}

bool printMirrorPreview(const BackupSet& set)
{
    if (const std::optional<JobResult> problem = MirrorSetProblem(set)) {
        printSummary(set.name, JobResultText(*problem));
        return false;
    }
    if (!QFileInfo(MirrorFolder(set)).isDir())
        PrintLine(QStringLiteral("   ") + LoadStringById(StringId::RunFolderCreated).arg(MirrorFolder(set)));
    PrintLine(BuildMirrorCommand(set).text);
    return true;
}

ExitStatus runHeld(const QStringList& setNames, bool all)
{
    JobRunner runner;
    runner.setOutputListener([](const QByteArray& bytes, bool secondStream) { PrintToolOutput(bytes, secondStream); });
    // Every byte goes on to velmora-run's own output, whole; a second copy on disk would only cost time
    // and overwrite the window's log of its last run.
    runner.setKeepsLastRunOutput(false);
    const StopSignals stopSignals(runner);
    const ProgressLine progressLine(runner);
    // The wait may have been long, and the window may have changed the sets meanwhile. Every set is read
    // again just before it runs; only --all lists them all again. What killed saves left is cleared.
    if (all)
        LoadAllBackupSets();
    else
        g_profileStore->RemoveSaveLeftovers();
    const QStringList names = all ? AllSetNames() : setNames;
    int failures = 0;
    int warnings = 0;
    int offsiteFailures = 0;
    int notRun = 0;
    bool stopped = false;
    qsizetype ran = 0;
    // The sets the notification names: failed, not made, or done with warnings.
    QList<JobResult> attention;
    // A set deleted meanwhile counts as done in a run of every set, as it always has: nothing was asked of it.
    qsizetype done = 0;
    for (const QString& name : names) {
        // Read again just before it runs: a long run of every set must run what the window has made of a
        // set meanwhile, and neither run nor bring back a set deleted there.
        // A stop that came between two sets ends the run as well.
        if (stopSignals.received())
            break;
        ++ran;
        const std::optional<BackupSet> set = ReloadBackupSet(name);
        if (!set) {
            if (all) {
                printSummary(name, LoadStringById(StringId::ResultNotRun).arg(LoadStringById(StringId::SetGone)));
                ++done;
            } else {
                printSummary(name, failedText(LoadStringById(StringId::SetGone)));
                ++failures;
                attention.append(JobResult(JobOutcome::SetMissing, name, 0, LoadStringById(StringId::SetGone), {}));
            }
            continue;
        }
        printHeading(*set);
        // Just before it runs: the keyring may have been unlocked or locked since the run began. A set without
        // its password fails through the job like any other failure.
        ProvideSetPassword(*set);
        // The runner records the result and the last-run date in the set's file.
        const JobResult result = RunOnWorker(
            runner, [&] { return runner.startSet(set->id); }, [&] { return RunSetJob(set->id); });
        ForgetArchivePassword(set->id);
        printSummary(set->name, resultText(result));
        if (const JobResultKind kind = ResultKindOf(result);
            (kind != JobResultKind::Done && kind != JobResultKind::Stopped) || result.offsiteFailed())
            attention.append(result);
        if (result.offsiteFailed())
            ++offsiteFailures;
        switch (ResultKindOf(result)) {
        case JobResultKind::Done:
            ++done;
            break;
        case JobResultKind::Warnings:
            ++done;
            ++warnings;
            break;
        case JobResultKind::Failed:
            ++failures;
            break;
        case JobResultKind::Stopped:
            stopped = true;
            break;
        case JobResultKind::NotRun:
            ++notRun;
            break;
        }
        if (stopped)
            break;
    }
    // Also a stop that came between two sets, or before the first.
    stopped = stopped || stopSignals.received();
    noticeOfRun(attention);
    if (names.size() > 1) {
        const QString withWarnings
            = warnings == 0 ? QString() : LoadStringById(StringId::RunSummaryWarnings).arg(warnings);
        QString tail = notRun == 0 ? QString() : LoadStringById(StringId::RunSummaryNotRun).arg(notRun);
        if (offsiteFailures > 0)
            tail += LoadStringById(StringId::RunSummaryNotOffsite).arg(offsiteFailures);
        if (stopped)
            tail += LoadStringById(StringId::RunSummaryStopped);
        // Filled in one pass: a piece is a translated text, never to be searched for placeholders again.
        PrintLine(QStringLiteral("== ")
            + LoadStringById(StringId::RunSummary)
                  .arg(QString::number(done), QString::number(names.size()), withWarnings, QString::number(failures),
                      tail));
    } else if (stopped && ran == 0) {
        PrintLine(QStringLiteral("== ") + LoadStringById(StringId::RunStoppedBeforeAny));
    }
    // A stopped run and a set that could not run leave the backup undone: cron and systemd must see it.
    if (failures > 0 || stopped || notRun > 0)
        return ExitSomeFailed;
    // Cron and systemd must not take a backup that left files out, or one that never left the machine, for a
    // clean success.
    return warnings == 0 && offsiteFailures == 0 ? ExitAllSucceeded : ExitDoneWithWarnings;
}

ExitStatus verifyHeld(const QStringList& setNames, bool all)
{
    JobRunner runner;
    // 7-Zip's own lines stay in the kept log: the report is one line per archive.
    runner.setKeepsLastRunOutput(false);
    const StopSignals stopSignals(runner);
    const ProgressLine progressLine(runner);
    const QStringList names = all ? AllSetNames() : setNames;
    int failures = 0;
    bool stopped = false;
    for (const QString& name : names) {
        if (stopSignals.received())
            break;
        const std::optional<BackupSet> set = ReloadBackupSet(name);
        if (!set) {
            printSummary(name, failedText(LoadStringById(StringId::SetGone)));
            ++failures;
            continue;
        }
        printHeading(*set, LoadStringById(StringId::RunHeadingVerify));
        ProvideSetPassword(*set);
        const JobResult result = RunOnWorker(
            runner, [&] { return runner.startVerify(set->id); }, [&] { return runner.runVerify(set->id); });
        ForgetArchivePassword(set->id);
        for (const QString& line : result.checks)
            PrintLine(QStringLiteral("   ") + line);
        printSummary(set->name, JobResultText(result));
        const JobResultKind kind = ResultKindOf(result);
        if (kind == JobResultKind::Stopped) {
            stopped = true;
            break;
        }
        if (kind != JobResultKind::Done)
            ++failures;
    }
    stopped = stopped || stopSignals.received();
    return failures > 0 || stopped ? ExitSomeFailed : ExitAllSucceeded;
}

QString holderText()
{
    const QString holder = StoreLock::holderDescription();
    return holder.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(holder);
}

} // namespace

void SetDesktopNotices(bool send)
{
    desktopNotices = send;
}

bool DesktopNoticesOn()
{
    return desktopNotices;
}

std::optional<BackupSet> SetNamed(const QString& name)
{
    QMutexLocker lock(&backupSetsMutex());
    // Qt's case folding, as the window uses to keep set names apart.
    for (const BackupSet& set : std::as_const(backupSets)) {
        if (set.name.compare(name, Qt::CaseInsensitive) == 0)
            return set;
    }
    return std::nullopt;
}

void ListSets()
{
    QList<BackupSet> sets;
    {
        QMutexLocker lock(&backupSetsMutex());
        sets = backupSets;
    }
    const QList<QStringList> schedules = ScheduleColumns(sets);
    const QString never = QStringLiteral("never");
    // One text and one write for the whole list: with many sets a write, or a list joined, per line cost more
    // than reading the files.
    QString text;
    text.reserve(sets.size() * 128);
    for (qsizetype i = 0; i < sets.size(); ++i) {
        const BackupSet& set = sets.at(i);
        const QString& lastRun = set.lastRun == QLatin1String("0") || set.lastRun.isEmpty() ? never : set.lastRun;
        if (i > 0)
            text += QLatin1Char('\n');
        // Scripts read these columns: the same words in every interface language.
        text += set.name + QLatin1Char('\t') + backupTypeName(set, EnglishStringById) + QLatin1Char('\t') + set.source
            + QLatin1Char('\t') + set.target + QLatin1Char('\t') + lastRun;
        for (const QString& column : schedules.at(i))
            text += QLatin1Char('\t') + column;
    }
    if (!sets.isEmpty())
        PrintLine(text);
}

QStringList FindSetNames(const QStringList& names, QStringList& unknown)
{
    QStringList found;
    for (const QString& name : names) {
        const std::optional<BackupSet> set = SetNamed(name);
        if (!set)
            unknown.append(name);
        else if (!found.contains(set->name))
            found.append(set->name);
    }
    return found;
}

QStringList AllSetNames()
{
    QMutexLocker lock(&backupSetsMutex());
    QStringList names;
    for (const BackupSet& set : std::as_const(backupSets))
        names.append(set.name);
    return names;
}

JobResult RunOnWorker(
    JobRunner& runner, const std::function<bool()>& start, const std::function<JobResult()>& whenRefused)
{
    QEventLoop loop;
    JobResult result;
    QObject::connect(&runner, &JobRunner::finished, &loop, [&](const JobResult& finished) {
        result = finished;
        loop.quit();
    });
    if (!start())
        return whenRefused();
    loop.exec();
    runner.wait();
    return result;
}

bool TakeStoreLock(bool noWait)
{
    if (StoreLock::acquire(StoreLock::Wait::No))
        return true;
    if (noWait)
        return false;
    PrintLine(QStringLiteral("== ") + LoadStringById(StringId::RunWaitingForLock).arg(holderText()));
    return StoreLock::acquire(StoreLock::Wait::UntilFree);
}

ExitStatus DryRunSets(const QStringList& setNames)
{
    int failures = 0;
    for (const QString& name : setNames) {
        const std::optional<BackupSet> set = SetNamed(name);
        if (!set)
            continue;
        printHeading(*set, LoadStringById(StringId::RunHeadingDryRun));
        const bool shown = set->backupType == MirrorCopying ? printMirrorPreview(*set) : printArchivePreview(*set);
        if (!shown)
            ++failures;
        else if (!set->offsite.trimmed().isEmpty())
            PrintLine(QStringLiteral("   ") + LoadStringById(StringId::RunThenOffsite).arg(set->offsite.trimmed()));
    }
    return failures == 0 ? ExitAllSucceeded : ExitSomeFailed;
}

ExitStatus AcceptDestination(const QString& name)
{
    const std::optional<BackupSet> set = SetNamed(name);
    if (!set) {
        PrintErrorLine(LoadStringById(StringId::RunUnknownSetNothingChanged).arg(name));
        return ExitUsageError;
    }
    QString problem;
    if (!AcceptDestinationDisk(*set, &problem)) {
        PrintErrorLine(LoadStringById(StringId::DestinationDiskNotRecorded).arg(set->target));
        if (!problem.isEmpty())
            PrintErrorLine(problem);
        return ExitSomeFailed;
    }
    PrintLine(QStringLiteral("== ") + LoadStringById(StringId::RunDestinationAccepted).arg(set->name, set->target));
    return ExitAllSucceeded;
}

ExitStatus RunSets(const QStringList& setNames, bool all, bool noWait)
{
    if (!TakeStoreLock(noWait)) {
        PrintErrorLine(LoadStringById(StringId::RunLockBusyNothingRun).arg(holderText()));
        return ExitSomeFailed;
    }
    // Held for the whole run, as the window's Update All holds it between sets.
    const ExitStatus status = runHeld(setNames, all);
    StoreLock::release();
    return status;
}

ExitStatus VerifySets(const QStringList& setNames, bool all, bool noWait)
{
    if (!TakeStoreLock(noWait)) {
        PrintErrorLine(LoadStringById(StringId::RunLockBusyNothingTested).arg(holderText()));
        return ExitSomeFailed;
    }
    const ExitStatus status = verifyHeld(setNames, all);
    StoreLock::release();
    return status;
}
