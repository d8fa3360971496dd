#pragma once

// How a job ended, and the report a person reads when it did not succeed.

#include <QList>
#include <QMetaType>
#include <QString>

enum class JobOutcome
{
    Done,
    Refused,
    SetMissing,
    ToolMissing,
    SourceMissing,
    SourceEmpty,
    DestinationMissing,
    MirrorUnsafe,
    PrepareFailed,
    StartFailed,
    ToolFailed,
    PlaceFailed,
    // 7-Zip ran and archived nothing at all, which would have replaced an archive that holds files.
    NothingArchived,
    // The run was ended before its tool was done; what it half wrote was removed.
    Stopped,
    // The same, because the run went past its time limit.
    TimedOut,
};

struct JobResult
{
    JobOutcome outcome = JobOutcome::Done;
    QString setName;
    // The tool's exit code, where it ran.
    int exitCode = 0;
    // The failure in words, in the interface language.
    QString reason;
    // For a success with warnings (7-Zip's exit code 1, rsync's 24): what was left out, in words.
    QString warning;

    bool succeeded() const { return outcome == JobOutcome::Done; }
    // The backup was made, but the tool reported files it could not take.
    bool hasWarnings() const { return succeeded() && exitCode != 0; }
};

// The one-line reason for a failed set, without the set's name.
QString JobFailureReason(const JobResult& result);
// The message for one failed job: the set's name, what failed, and where the output is.
QString JobFailureText(const JobResult& result);
// One message listing every failed set of a run of all sets, and then every set done with warnings.
QString JobFailuresText(const QList<JobResult>& results);
// Shows the report of a failed job, or of a success with warnings, through the installed message
// interface; nothing for a clean success.
void ReportJobResult(const JobResult& result);

Q_DECLARE_METATYPE(JobResult)
