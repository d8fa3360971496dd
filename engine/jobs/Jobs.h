#pragma once

// Starting backup jobs and carrying them out: the archive job, the mirror job and the run of every
// set. Jobs work on their own copy of a set, talk to the window only through the job events and the
// message interface, and only one runs at a time in the whole program.

#include "JobOutcome.h"

#include "BackupSet.h"

#include <QtGlobal>

#include <optional>

// Starts the set's job in a worker thread, its result reported through the message interface; whoever
// calls it has asked the user already. A set no longer there and another job running are reported the same
// way. Returns whether a job was started.
bool RunBackupSet(quint32 id);
// Starts the run of every set in a worker thread; false when a job is already running.
bool StartUpdateAll();

// The job procedures, run on the calling thread on the program's runner; each refuses while another job runs.
// Tests only: ArchiveJob and MirrorJob, a set's archive or mirror job whatever its backup type.
JobResult ArchiveJob(quint32 id);
JobResult MirrorJob(quint32 id);
// The job of the set's own backup type.
JobResult RunSetJob(quint32 id);
// Tests only: every set in collection order, each by its backup type; one report at the end lists the failures.
// The window starts the same run on the worker thread with StartUpdateAll.
QList<JobResult> UpdateAllJob();

// What stops the set's archive job before it starts, checked in the order a user would fix it: paths,
// archive name and type, source and destination folders, a destination on another disk than the set
// remembers (an empty source asks the message interface), and too little free space for the run.
// A dry run makes the same checks.
std::optional<JobResult> ArchiveSetProblem(const BackupSet& set);
// The same for a mirror set: rsync, paths, folders and the disk, a mirror folder that is, holds or lies in the
// source, and free space.
std::optional<JobResult> MirrorSetProblem(const BackupSet& set);

// Writes how the run of the set went into its file (the LastResult keys), and today's date as its last run
// when the backup was made, with or without warnings; nothing for a run that did not run. Every job the
// runner carries out is recorded so, whatever started it. False when nothing was written.
bool RecordSetResult(const BackupSet& set, const JobResult& result);

// Tests only: records today's date as the last run of the set and saves that set's file. A run records it
// through RecordSetResult.
void StampLastRun(quint32 id);

bool IsJobRunning();
// Waits for the worker thread started last, handling events meanwhile (the job's events need the
// receiver's thread). Returns false when the wait timed out.
bool WaitForJobThread(int timeoutMs = -1);
