#include "JobRunner.h"

#include "ArchiveCommand.h"
#include "ArchiveJob.h"
#include "ArchiveTest.h"
#include "DestinationDisk.h"
#include "FetchJob.h"
#include "HistoryPrune.h"
#include "JobChecks.h"
#include "JobSlot.h"
#include "Jobs.h"
#include "LastRun.h"
#include "MirrorJob.h"
#include "OffsitePhase.h"
#include "Overdue.h"
#include "ProfileStore.h"
#include "ResourceIds.h"
#include "RunLogs.h"
#include "SetCollection.h"
#include "StringTable.h"
#include "ToolLocations.h"
#include "UpdateArchives.h"
#include "UserMessages.h"
#include "VerifyJob.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QMutexLocker>
#include <QThread>

#include <functional>

JobRunner::JobRunner(QObject* parent)
    : QObject(parent)
{
    qRegisterMetaType<JobResult>();
    qRegisterMetaType<JobProgress>();
}

JobRunner::~JobRunner()
{
    stop();
    wait();
}

JobRunner& JobRunner::shared()
{
    static JobRunner runner;
    return runner;
}

void JobRunner::setTimeLimit(std::chrono::seconds limit)
{
    m_timeLimitSeconds.store(limit.count());
}

std::chrono::seconds JobRunner::timeLimit() const
{
    return std::chrono::seconds(m_timeLimitSeconds.load());
}

void JobRunner::setProgressInterval(std::chrono::milliseconds interval)
{
    m_progressIntervalMs.store(interval.count());
}

void JobRunner::setReportsResults(bool report)
{
    m_reportsResults.store(report);
}

void JobRunner::stop()
{
    if (isRunning())
        m_control.requestStop();
}

bool JobRunner::isRunning() const
{
    return JobSlot::holder() == this;
}

bool JobRunner::isAnyRunning()
{
    return JobSlot::holder() != nullptr;
}

bool JobRunner::canStart()
{
    return JobSlot::isFree();
}

JobResult JobRunner::lastResult() const
{
    QMutexLocker lock(&m_mutex);
    return m_lastResult;
}

// Takes the slot and readies the control for a new run.
bool JobRunner::begin()
{
    if (!JobSlot::tryTake(this))
        return false;
    m_control.reset();
    const qint64 limit = m_timeLimitSeconds.load();
    if (limit > 0)
        m_control.setDeadline(QDeadlineTimer(std::chrono::seconds(limit)));
    emit started();
    return true;
}

void JobRunner::end(const JobResult& result)
{
    JobSlot::release(this);
    emit finished(result);
}

namespace {

// The chain's count of runs, read before any thinning removes the update archive this run added.
void NoteChainRuns(const BackupSet& set, JobResult& result)
{
    const bool newChain = result.archiveMode == QLatin1String("a");
    if (!newChain && result.archiveMode != QLatin1String("u"))
        return;
    const QString runs = ChainRunsAfterRun(set, newChain);
    if (!runs.isEmpty() && runs != set.chainRuns)
        result.chainRuns = runs;
}

// Reads the set just before its job runs, and times the job and keeps its log.
JobResult runLogged(quint32 id, BackupSet& set, const std::function<JobResult(const QString& logPath)>& job)
{
    if (!GetBackupSet(id, set))
        return {JobOutcome::SetMissing, QString(), 0, LoadStringById(StringId::SetGone), {}};
    QElapsedTimer timer;
    timer.start();
    const QString logPath = BeginRunLog(set.id);
    JobResult result = job(logPath);
    result.durationMs = timer.elapsed();
    result.logPath = EndRunLog(set.id, logPath, result);
    return result;
}

} // namespace

JobResult JobRunner::runOne(quint32 id, Kind kind, bool withLogHeading, int setIndex, int setCount)
{
    emit setStarted(setIndex, setCount);
    BackupSet set;
    const JobResult result = runLogged(id, set,
        [&](const QString& logPath) { return runJob(set, kind, logPath, withLogHeading, setIndex, setCount); });
    if (result.outcome != JobOutcome::SetMissing)
        RecordSetResult(set, result);
    return result;
}

JobResult JobRunner::runJob(
    const BackupSet& set, Kind kind, const QString& logPath, bool withLogHeading, int setIndex, int setCount)
{
    const bool mirror = kind == Kind::Mirror || (kind == Kind::BySet && set.backupType == MirrorCopying);
    if (mirror && !RsyncAvailable())
        return JobFailure(set, JobOutcome::ToolMissing, LoadStringById(StringId::RsyncMissing));
    JobContext context;
    if (withLogHeading)
        context.logHeading = QStringLiteral("=== %1 ===").arg(set.name);
    context.output = toolOutput(logPath);
    context.control = &m_control;
    context.timeLimit = timeLimit();
    context.copying = [this] { emit copying(); };
    context.progress = [this](const JobProgress& progress) { emit this->progress(progress); };
    context.progressInterval = std::chrono::milliseconds(m_progressIntervalMs.load());
    context.setIndex = setIndex;
    context.setCount = setCount;
    JobResult result = mirror ? RunMirrorJob(set, context) : RunArchiveJob(set, context);
    if (!mirror && result.succeeded())
        NoteChainRuns(set, result);
    // The history is thinned here, before the off-site copy, so that the copy there follows the chain as it stays.
    if (!m_control.shouldStop())
        PruneAfterRun(set, result);
    CopyOffsiteAfterRun(set, context, result);
    return result;
}

QList<JobResult> JobRunner::runList(const QList<quint32>& ids)
{
    ClearLastRunTexts();
    QList<JobResult> failures;
    QList<JobResult> reported;
    for (qsizetype index = 0; index < ids.size(); ++index) {
        const JobResult result = runOne(ids.at(index), Kind::BySet, true, int(index) + 1, int(ids.size()));
        const JobResultKind resultKind = ResultKindOf(result);
        const bool failed = resultKind == JobResultKind::Failed || resultKind == JobResultKind::Stopped;
        if (failed)
            failures.append(result);
        // The user's own Stop is said in the window, not in a message of failures.
        if ((failed && result.outcome != JobOutcome::Stopped) || result.hasWarnings() || result.offsiteFailed())
            reported.append(result);
        // The sets after a stopped one are not started, nor those after a stop that came while the set's backup,
        // already made, was being copied off site.
        if (result.outcome == JobOutcome::Stopped || result.outcome == JobOutcome::TimedOut || m_control.shouldStop())
            break;
    }
    if (!reported.isEmpty())
        userMessages().showMessage(JobFailuresText(reported), UserMessages::Icon::Warning);
    return failures;
}

void JobRunner::startThread(std::function<JobResult()> work)
{
    QMutexLocker lock(&m_mutex);
    // The thread of the run before has released the slot as almost its last step.
    if (m_thread) {
        m_thread->wait();
        m_thread.reset();
    }
    QThread* thread = QThread::create([this, work = std::move(work)] {
        const JobResult result = work();
        {
            QMutexLocker resultLock(&m_mutex);
            // The analyzer takes the lambda apart from its runner; the runner outlives the thread, since its
            // destructor waits for it.
            // NOLINTNEXTLINE(clang-analyzer-core.CallAndMessage)
            m_lastResult = result;
        }
        end(result);
    });
    m_thread.reset(thread);
    thread->start();
}

bool JobRunner::startSet(quint32 id)
{
    if (!begin())
        return false;
    startThread([this, id] {
        ClearLastRunTexts();
        const JobResult result = runOne(id, Kind::BySet, false);
        if (m_reportsResults.load())
            ReportJobResult(result);
        return result;
    });
    return true;
}

bool JobRunner::startSets(const QList<quint32>& ids)
{
    if (!begin())
        return false;
    startThread([this, ids] {
        const QList<JobResult> failures = runList(ids);
        return failures.isEmpty() ? JobResult {} : failures.last();
    });
    return true;
}

JobResult JobRunner::runSet(quint32 id, Kind kind)
{
    if (!begin())
        return JobRefused();
    ClearLastRunTexts();
    const JobResult result = runOne(id, kind, false);
    end(result);
    return result;
}

QList<JobResult> JobRunner::runSets(const QList<quint32>& ids)
{
    if (!begin())
        return {JobRefused()};
    const QList<JobResult> failures = runList(ids);
    end(failures.isEmpty() ? JobResult {} : failures.last());
    return failures;
}

RunOutput JobRunner::toolOutput(const QString& keptLogPath) const
{
    RunOutput output;
    {
        QMutexLocker lock(&m_mutex);
        output.listener = m_outputListener;
    }
    // A set's kept log is written whatever else happens to the output.
    if (!keptLogPath.isEmpty()) {
        output.file = RunOutput::File::KeptLog;
        output.keptLogPath = keptLogPath;
    } else if (!m_keepsLastRunOutput.load()) {
        output.file = RunOutput::File::None;
    }
    return output;
}

void JobRunner::setOutputListener(RunOutputListener listener)
{
    QMutexLocker lock(&m_mutex);
    m_outputListener = std::move(listener);
}

void JobRunner::setKeepsLastRunOutput(bool keep)
{
    m_keepsLastRunOutput.store(keep);
}

JobContext JobRunner::restoreContext(const QString& keptLogPath)
{
    JobContext context;
    context.output = toolOutput(keptLogPath);
    context.control = &m_control;
    context.timeLimit = timeLimit();
    context.copying = [this] { emit copying(); };
    context.progress = [this](const JobProgress& progress) { emit this->progress(progress); };
    context.progressInterval = std::chrono::milliseconds(m_progressIntervalMs.load());
    return context;
}

// A restore writes nothing into any set's file: it is not a backup, and the set may not even exist here.
bool JobRunner::startRestore(const RestoreRequest& request)
{
    if (!begin())
        return false;
    startThread([this, request] {
        ClearLastRunTexts();
        QElapsedTimer timer;
        timer.start();
        JobResult result = RunRestoreJob(request, restoreContext());
        result.durationMs = timer.elapsed();
        if (m_reportsResults.load())
            ReportJobResult(result);
        return result;
    });
    return true;
}

JobResult JobRunner::runRestore(const RestoreRequest& request)
{
    if (!begin())
        return JobRefused();
    ClearLastRunTexts();
    QElapsedTimer timer;
    timer.start();
    JobResult result = RunRestoreJob(request, restoreContext());
    result.durationMs = timer.elapsed();
    end(result);
    return result;
}

bool JobRunner::startOffsiteFetch(const BackupSet& set, const QString& folder, const std::optional<QString>& asOf)
{
    if (!begin())
        return false;
    startThread([this, set, folder, asOf] {
        ClearLastRunTexts();
        return RunFetchJob({set, folder, asOf}, restoreContext());
    });
    return true;
}

JobResult JobRunner::runOffsiteFetch(const BackupSet& set, const QString& folder, const std::optional<QString>& asOf)
{
    if (!begin())
        return JobRefused();
    ClearLastRunTexts();
    JobResult result = RunFetchJob({set, folder, asOf}, restoreContext());
    end(result);
    return result;
}

JobResult JobRunner::verifyOne(quint32 id)
{
    BackupSet set;
    const JobResult result = runLogged(id, set, [&](const QString& logPath) {
        JobContext context = restoreContext(logPath);
        context.logHeading = QStringLiteral("=== %1 ===").arg(set.name);
        return RunVerifyJob(set, context);
    });
    if (!g_profileStore)
        return result;
    IniValues values;
    // A mirror set has nothing to verify, so nothing was verified.
    if (result.succeeded() && !result.checks.isEmpty())
        values.append({QStringLiteral("LastVerified"), QDateTime::currentDateTime().toString(Qt::ISODate)});
    // Also when another archive of the chain is bad: what the full archive's test found holds for the next update.
    if (result.fullArchiveTested)
        values.append({QStringLiteral("FullArchiveTested"), *result.fullArchiveTested});
    if (!values.isEmpty())
        StampSetFileKeys(set.name, values);
    return result;
}

bool JobRunner::startVerify(quint32 id)
{
    if (!begin())
        return false;
    startThread([this, id] {
        ClearLastRunTexts();
        const JobResult result = verifyOne(id);
        if (m_reportsResults.load()) {
            if (result.succeeded() && result.checks.isEmpty())
                userMessages().showMessage(result.note);
            else
                ReportJobResult(result);
        }
        return result;
    });
    return true;
}

JobResult JobRunner::runVerify(quint32 id)
{
    if (!begin())
        return JobRefused();
    ClearLastRunTexts();
    const JobResult result = verifyOne(id);
    end(result);
    return result;
}

bool JobRunner::wait(int timeoutMs)
{
    QThread* thread = nullptr;
    {
        QMutexLocker lock(&m_mutex);
        thread = m_thread.get();
    }
    if (!thread)
        return true;
    QDeadlineTimer deadline(timeoutMs < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(timeoutMs));
    while (!thread->wait(QDeadlineTimer(10))) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (deadline.hasExpired())
            return false;
    }
    return true;
}

// The classic entry points, on the program's runner.

namespace {

QList<quint32> everySetId()
{
    QMutexLocker lock(&backupSetsMutex());
    QList<quint32> ids;
    for (const BackupSet& set : std::as_const(backupSets))
        ids.append(set.id);
    return ids;
}

} // namespace

bool RunBackupSet(quint32 id)
{
    ClearLastRunTexts();
    BackupSet set;
    if (!GetBackupSet(id, set)) {
        ShowStringMessage(StringId::RunSetError);
        return false;
    }
    JobRunner& runner = JobRunner::shared();
    runner.setReportsResults(true);
    if (!runner.startSet(id)) {
        ReportJobResult(JobRefused());
        return false;
    }
    return true;
}

bool StartUpdateAll()
{
    if (!JobRunner::shared().startSets(everySetId())) {
        ReportJobResult(JobRefused());
        return false;
    }
    return true;
}

JobResult ArchiveJob(quint32 id)
{
    return JobRunner::shared().runSet(id, JobRunner::Kind::Archive);
}

JobResult MirrorJob(quint32 id)
{
    return JobRunner::shared().runSet(id, JobRunner::Kind::Mirror);
}

JobResult RunSetJob(quint32 id)
{
    return JobRunner::shared().runSet(id);
}

QList<JobResult> UpdateAllJob()
{
    return JobRunner::shared().runSets(everySetId());
}

bool RecordSetResult(const BackupSet& set, const JobResult& result)
{
    const JobResultKind kind = ResultKindOf(result);
    if (kind == JobResultKind::NotRun || !g_profileStore)
        return false;
    const bool stopped = kind == JobResultKind::Stopped;
    // A stop the user asked for needs no reason; a time limit and a failure do.
    const QString reason = kind == JobResultKind::Failed || result.outcome == JobOutcome::TimedOut ? result.reason
        : result.succeeded()                                                                       ? result.note
                                                                                                   : QString();
    IniValues values = {
        {QStringLiteral("LastResult"), ResultKindKey(kind)},
        // The program's clock, as the run's stamp and the last-run date have it.
        {QStringLiteral("LastResultTime"), ProgramClock().toString(Qt::ISODate)},
        {QStringLiteral("LastResultSeconds"), QString::number((result.durationMs + 500) / 1000)},
        {QStringLiteral("LastResultBytes"), QString::number(stopped ? -1 : result.bytesWritten)},
        {QStringLiteral("LastResultWarnings"), QString::number(result.warningCount)},
        // One line: a set file keeps one line a key.
        {QStringLiteral("LastResultReason"), QString(reason).replace(QLatin1Char('\n'), QLatin1Char(' '))},
        {QStringLiteral("LastResultVerifySeconds"),
            QString::number(result.testMs < 0 ? -1 : (result.testMs + 500) / 1000)},
    };
    // The off-site copy of this run: a set without a destination there forgets the result of one it had.
    if (result.succeeded()) {
        const QString offsite = result.offsiteFailed() ? QStringLiteral("failed")
            : result.offsiteCopied                     ? QStringLiteral("done")
                                                       : QString();
        values.append({QStringLiteral("LastOffsiteResult"), offsite});
        values.append({QStringLiteral("LastOffsiteReason"),
            QString(result.offsiteFailure).replace(QLatin1Char('\n'), QLatin1Char(' '))});
    }
    // The last-run date is the last success: a backup made, with or without warnings.
    if (result.succeeded())
        values.prepend({QStringLiteral("lastrun"), DateStamp(false)});
    if (result.succeeded() && result.fullArchiveTested)
        values.append({QStringLiteral("FullArchiveTested"), *result.fullArchiveTested});
    if (result.succeeded() && result.chainRuns)
        values.append({QStringLiteral("ChainRuns"), *result.chainRuns});
    // The new chain the changed password asked for is made; the next run extends it.
    if (result.succeeded() && set.passwordChanged)
        values.append({QStringLiteral("PasswordChanged"), QStringLiteral("0")});
    // The disk the destination is on now, where the set remembers none: from now on a run is refused when
    // the destination is on another one. Where it cannot be told the set stays unrecorded and runs as before.
    if (result.succeeded() && set.destinationDisk.isEmpty()) {
        const QString disk = MarkDiskOfFolder(set.target);
        if (!disk.isEmpty())
            values.append({QLatin1String(kDestinationDiskKey), disk});
    }
    // Only these keys, written at once into the file as it is now: the set may have been edited, renamed
    // or deleted by another program since it was read, and none of that may be undone or brought back.
    return StampSetFileKeys(set.name, values);
}

void StampLastRun(quint32 id)
{
    BackupSet set;
    if (!GetBackupSet(id, set) || !g_profileStore)
        return;
    // Only the one key, written at once into the file as it is now: the set may have been edited, renamed
    // or deleted by another program since it was read, and none of that may be undone or brought back.
    StampSetFileLastRun(set.name, DateStamp(false));
}

bool IsJobRunning()
{
    return JobRunner::isAnyRunning();
}

bool WaitForJobThread(int timeoutMs)
{
    // The thread gives the slot back before it ends, so once it has ended the runner is idle.
    return JobRunner::shared().wait(timeoutMs);
}
