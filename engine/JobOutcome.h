#pragma once

// How a job ended, and the report a person reads when it did not succeed.

#include <QList>
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
};

struct JobResult
{
    JobOutcome outcome = JobOutcome::Done;
    QString setName;
    // The tool's exit code, where it ran.
    int exitCode = 0;
    // The failure in words, in the interface language.
    QString reason;

    bool succeeded() const { return outcome == JobOutcome::Done; }
    // The thread result of the classic job procedures: the tool's exit code, or 1 when it could not run.
    int threadResult() const;
};

// The one-line reason for a failed set, without the set's name.
QString JobFailureReason(const JobResult& result);
// The message for one failed job: the set's name, what failed, and where the output is.
QString JobFailureText(const JobResult& result);
// One message listing every failed set of a run of all sets.
QString JobFailuresText(const QList<JobResult>& failures);
// Shows the report of a failed job through the installed message interface; nothing for a success.
void ReportJobResult(const JobResult& result);
