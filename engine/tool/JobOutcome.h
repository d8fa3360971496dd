#pragma once

// How a job ended, and the report a person reads when it did not succeed.

#include "BackupSet.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

#include <optional>

enum class JobOutcome
{
    Done,
    Refused,
    SetMissing,
    ToolMissing,
    SourceMissing,
    SourceEmpty,
    DestinationMissing,
    // The destination folder is on another file system than at the set's first run: its disk is not mounted.
    DestinationDiskChanged,
    // The destination has plainly too little free space for the run.
    SpaceTooShort,
    MirrorUnsafe,
    PrepareFailed,
    StartFailed,
    ToolFailed,
    PlaceFailed,
    // 7-Zip ran and archived nothing at all, which would have replaced an archive that holds files.
    NothingArchived,
    // A new archive did not test good and was not put in place, or a verification found an archive bad.
    ArchiveBad,
    // The run was ended before its tool was done; what it half wrote was removed.
    Stopped,
    // The same, because the run went past its time limit.
    TimedOut,
    // An encrypted set's password was not given (the keyring is locked, nobody answered): nothing was written.
    PasswordMissing,
    // The password does not open the set's archives: nothing was changed.
    WrongPassword,
    // An archive set's destination is its source or inside it: each archive would pack the ones before.
    DestinationInSource,
};

struct JobResult
{
    JobResult() = default;
    JobResult(JobOutcome how, const QString& set, int code, const QString& why, const QString& leftOut)
        : outcome(how)
        , setName(set)
        , exitCode(code)
        , reason(why)
        , warning(leftOut)
    {
    }

    JobOutcome outcome = JobOutcome::Done;
    QString setName;
    // The tool's exit code, where it ran.
    int exitCode = 0;
    // The failure in words, in the interface language.
    QString reason;
    // For a success with warnings (7-Zip's exit code 1, rsync's 23 and 24, files left out of a zip archive or
    // changed while they were read): what was left out, in words.
    QString warning;
    // How many files the warning is about; 0 when the tool did not name them.
    int warningCount = 0;
    // From the start of the job to its result.
    qint64 durationMs = 0;
    // The size of the archive or update archive the run put in place; -1 when it wrote none.
    qint64 bytesWritten = -1;
    // The file that keeps the run's whole output; empty when none was kept.
    QString logPath;
    // How long testing the run's archives took (the new one, and the chain's full archive where it was tested);
    // -1 when none was tested.
    qint64 testMs = -1;
    // For the set's FullArchiveTested: the good test of its full archive this job made, an empty text to forget the
    // last one (a new full archive not tested, or one found bad), nothing to leave it.
    std::optional<QString> fullArchiveTested;
    // How an archive job that put its archive in place ran 7-Zip: "a" for a new full archive, "u" for an update
    // archive; empty for other jobs. The chain's count of runs follows from it.
    QString archiveMode;
    // For the set's ChainRuns: the chain's count of runs after this run, where it changed; written with the result,
    // so a run writes its set file once.
    std::optional<QString> chainRuns;
    // What a person should know of a success that is no warning: why a new full archive was started, or
    // what a verification found.
    QString note;
    // A verification's report: one line per archive, its path and "OK" or what was wrong.
    QStringList checks;
    // After a good run of a set with an off-site destination: whether the copy there was made, or why not.
    bool offsiteCopied = false;
    QString offsiteFailure;

    bool succeeded() const { return outcome == JobOutcome::Done; }
    // The backup was made, but without some files, or with some that may be incomplete.
    bool hasWarnings() const { return succeeded() && (exitCode != 0 || !warning.isEmpty()); }
    // The backup was made here, but its copy off site failed.
    bool offsiteFailed() const { return succeeded() && !offsiteFailure.isEmpty(); }
};

// How a run went, as the set remembers it and the window shows it.
enum class JobResultKind
{
    Done,
    Warnings,
    Failed,
    // Asked to stop, or past the time limit.
    Stopped,
    // Nothing ran and nothing changed: the user answered No to an empty source, another job held the
    // slot, or the set was gone. Neither a failure nor a run to remember.
    NotRun,
};

JobResultKind ResultKindOf(const JobResult& result);
// The word a set file stores for the kind ("done", "warnings", "failed", "stopped", "notrun"), and back;
// nothing for a word that is none of them.
QString ResultKindKey(JobResultKind kind);
std::optional<JobResultKind> ResultKindFromKey(const QString& key);
// The short result in the interface language: "Done in 2 min 14 s, 1.2 GB written, verified in 9 s", "Done
// with 3 warnings in 5 s", a success's note after it, "Failed: REASON", "Stopped".
QString JobResultText(const JobResult& result);
// The kind in a word, for a column of results.
QString ResultKindWord(JobResultKind kind);
// The last result the set remembers, as JobResultText gives it, or "Never run".
QString SetResultText(const BackupSet& set);

// A failed run of the set, for the outcome and its reason in words.
JobResult JobFailure(const BackupSet& set, JobOutcome outcome, const QString& reason, int exitCode = 0);
// A run refused because another job holds the slot.
JobResult JobRefused();
// The one-line reason for a failed set, without the set's name.
QString JobFailureReason(const JobResult& result);
// The message for one failed job: the set's name, what failed, and where the output is.
QString JobFailureText(const JobResult& result);
// One message listing every failed set of a run of all sets, the sets a time limit stopped, and then every set
// done with warnings; a set the user stopped is not listed.
QString JobFailuresText(const QList<JobResult>& results);
// Shows the report of a failed job, of one a time limit stopped, or of a success with warnings, through the
// installed message interface; nothing for a clean success or a run the user stopped.
void ReportJobResult(const JobResult& result);

Q_DECLARE_METATYPE(JobResult)
