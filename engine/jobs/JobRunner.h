#pragma once

// Carries out backup jobs, one at a time in the whole program: on a worker thread of its own or on the
// calling thread. It holds the job slot (and with it the lock on the store that other Velmora programs
// take), keeps the texts and the result of the last run, can end a running job, and ends it by itself
// past a time limit. Everyone, the main window too, learns of a job through the signals: started() comes on the
// thread that starts the job, the others on the thread the job runs on, so a receiver on another thread gets them
// queued, in the order they were emitted.

#include "BackupSet.h"
#include "ConsoleRunner.h"
#include "JobOutcome.h"
#include "JobProgress.h"
#include "RestoreJob.h"
#include "ToolProgress.h"

#include <QMutex>
#include <QObject>

#include <atomic>
#include <chrono>
#include <memory>

class QThread;

class JobRunner : public QObject
{
    Q_OBJECT

public:
    // Which job a set gets: the one of its backup type, or the archive or the mirror job whatever its type.
    enum class Kind
    {
        BySet,
        Archive,
        Mirror,
    };

    explicit JobRunner(QObject* parent = nullptr);
    // Stops a job still running and waits for it.
    ~JobRunner() override;

    // The program's runner, behind the window's commands and the classic job procedures.
    static JobRunner& shared();

    // Every later run is stopped once it has taken longer than this; zero for no limit.
    void setTimeLimit(std::chrono::seconds limit);
    std::chrono::seconds timeLimit() const;
    // The shortest time between two progress signals of later runs (the final 100 comes at once).
    void setProgressInterval(std::chrono::milliseconds interval);
    // Whether a one-set run started on the worker thread reports its result through the message interface.
    void setReportsResults(bool report);
    // Receives the output of every tool of later runs as it comes, on the job's thread; an empty one ends that.
    // A terminal program uses it to show a tool's progress while it works.
    void setOutputListener(RunOutputListener listener);
    // Whether the tools' output outside a set's kept log goes to the last-run files; on by default. A program
    // that passes every byte on to its own output (velmora-run: a terminal, the journal, cron's mail) already
    // keeps it whole there.
    void setKeepsLastRunOutput(bool keep);

    // Start the set's job, or the job of every set in the list one after the other (a run of all sets,
    // with one report at its end), on the worker thread. False when a job runs already, here or in another
    // Velmora program; nothing is reported then.
    bool startSet(quint32 id);
    bool startSets(const QList<quint32>& ids);
    // The same on the calling thread; refused while another job runs. runSets gives the failed sets.
    JobResult runSet(quint32 id, Kind kind = Kind::BySet);
    QList<JobResult> runSets(const QList<quint32>& ids);
    // A restore, as a job like the others (one at a time, Stop, time limit, progress), on the worker thread
    // or the calling thread. It is no backup: no set's last run or result changes.
    bool startRestore(const RestoreRequest& request);
    JobResult runRestore(const RestoreRequest& request);

    // A verification of the set's archives, as a job like the others (one at a time, Stop, time limit,
    // progress, the kept log), on the worker thread or the calling thread. It records only the date of a
    // verification that found every archive good (LastVerified), never the set's last run or result.
    bool startVerify(quint32 id);
    JobResult runVerify(quint32 id);

    // Fetching the archives of a set's off-site copy into a local folder, as a job like a restore, on the
    // worker thread or the calling thread. Nothing is recorded in the set's file.
    // asOf as FetchRequest takes it.
    bool startOffsiteFetch(
        const BackupSet& set, const QString& folder, const std::optional<QString>& asOf = std::nullopt);
    JobResult runOffsiteFetch(
        const BackupSet& set, const QString& folder, const std::optional<QString>& asOf = std::nullopt);

    // Asks the running job to end: its tool gets SIGTERM, and SIGKILL a few seconds later if still running.
    // What the job half wrote is removed and the previous backup stays. Nothing when no job runs.
    void stop();
    // Whether a job of this runner runs: true from just before started() until just before finished().
    bool isRunning() const;
    // Whether a job of any runner runs in this program.
    static bool isAnyRunning();
    // Whether a job could start now: none runs in this program and no other program holds the store's lock.
    static bool canStart();
    // Waits for the job started last on the worker thread, handling events meanwhile (so the signals queued for
    // this thread arrive). False when the wait timed out.
    bool wait(int timeoutMs = -1);
    // The result of the job started last on the worker thread: the set's, or the last failure of a run of
    // several sets.
    JobResult lastResult() const;

signals:
    void started();
    // Each set of the run starts, counted from 1; 1 of 1 for a run of one set. Also for a set refused at once.
    void setStarted(int setIndex, int setCount);
    // The tool is done and the job puts its output in place.
    void copying();
    void finished(const JobResult& result);
    // How far the running job's tool is: a first value with the percent unknown as each set's tool starts,
    // then at most about ten a second while it works, and 100 when it is done.
    void progress(const JobProgress& progress);

private:
    bool begin();
    void end(const JobResult& result);
    void startThread(std::function<JobResult()> work);
    // Runs the set's job with its kept log, and records its result in the set's file.
    JobResult runOne(quint32 id, Kind kind, bool withLogHeading, int setIndex = 1, int setCount = 1);
    JobResult runJob(
        const BackupSet& set, Kind kind, const QString& logPath, bool withLogHeading, int setIndex, int setCount);
    QList<JobResult> runList(const QList<quint32>& ids);
    // Where the tools of a job write: keptLogPath, a set's kept log, or the last-run files.
    RunOutput toolOutput(const QString& keptLogPath) const;
    JobContext restoreContext(const QString& keptLogPath = {});
    JobResult verifyOne(quint32 id);

    RunControl m_control;
    std::atomic<qint64> m_timeLimitSeconds {0};
    std::atomic<bool> m_reportsResults {false};
    std::atomic<qint64> m_progressIntervalMs {kProgressInterval.count()};
    std::atomic<bool> m_keepsLastRunOutput {true};
    RunOutputListener m_outputListener;
    mutable QMutex m_mutex;
    std::unique_ptr<QThread> m_thread;
    JobResult m_lastResult;
};
